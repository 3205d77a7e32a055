#include "lint/board_analysis.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "config/board_config_parser.h"
#include "database/scan_paths.h"
#include "lint/parse_errors.h"

namespace kvr {
namespace {

// A parse of `text` that keeps the whole model and tells `written` of each statement.
Status parse_fully(std::string_view text, std::uint8_t version, BoardModel& model, ParseStop& stop,
                   WrittenBoard& written) {
  return parse_board_config(model, LineSource{nullptr, 0, nullptr, text}, nullptr, nullptr, version,
                            &stop, &written);
}

bool before(const NamePlace& place, const ParseStop& stop) {
  // The stop's column counts from 1: the statement that stands there is out.
  return std::make_tuple(place.full_line, place.column + 1u) <
         std::make_tuple(stop.full_line, stop.column);
}

// The statements of a reading that stopped at `stop`, without those told of after it.
void keep_before(WrittenBoard& written, const ParseStop& stop) {
  std::erase_if(written.devices,
                [&](const WrittenDevice& d) { return !before(d.name_place, stop); });
  std::erase_if(written.variables,
                [&](const WrittenVariable& v) { return !before(v.name_place, stop); });
}

// The devices of the board with their places on the scan path.
void lay_out(BoardAnalysis& a, const BoardModel& model, const WrittenBoard& written) {
  const StoredBoard& board = a.board->board;
  const TextLines& lines = a.tokens.lines;
  for (std::size_t i = 0; i < board.devices.size(); ++i) {
    const DeviceRecord& record = board.devices[i];
    const WrittenDevice& w = written.devices[i];
    AnalysedDevice d;
    d.name = w.name;
    d.class_id = w.class_id;
    d.name_range = range_of(lines, w.name_place.full_line, w.name_place.column,
                            w.name_place.column + static_cast<std::uint32_t>(w.name.size() + 2));
    d.class_range = range_of(lines, w.class_place.full_line, w.class_place.column,
                             w.class_place.column + static_cast<std::uint32_t>(w.class_id.size()));
    d.statement = a.tokens.statement_of[token_at_offset(a.tokens, d.name_range.offset)];
    d.family_row = model.devices[i].family;
    d.high_level = board.high_level[i];
    d.ir_length = record.mainIR;
    d.linker = record.connect == 1;
    if (record.parent != 0) {
      d.linker_device = record.parent - 1;
      d.sub_path = record.subpath;
    }
    a.devices.push_back(std::move(d));
  }
  const ScanPaths paths = scan_paths(board);
  std::vector<std::uint64_t> main_before(paths.main.size() + 1, 0);
  for (std::size_t p = 0; p < paths.main.size(); ++p) {
    main_before[p + 1] = main_before[p] + a.devices[paths.main[p]].ir_length;
  }
  a.main_ir = main_before.back();
  a.main_devices = paths.main.size();
  std::vector<std::size_t> main_place(board.devices.size(), 0);
  for (std::size_t p = 0; p < paths.main.size(); ++p) {
    AnalysedDevice& d = a.devices[paths.main[p]];
    d.path_index = p;
    d.ir_before = main_before[p];
    d.ir_after = a.main_ir - main_before[p + 1];
    main_place[paths.main[p]] = p;
  }
  for (const auto& [linker, sub_paths] : paths.sub_paths) {
    AnalysedLinker l;
    l.device = linker;
    const AnalysedDevice& at = a.devices[linker];
    for (std::uint32_t k = 0; k < 4; ++k) {
      const DevicePath& path = sub_paths[k];
      l.sub_paths[k].assign(path.begin(), path.end());
      std::uint64_t total = 0;
      for (const std::size_t i : path) total += a.devices[i].ir_length;
      l.sub_path_ir[k] = total;
      std::uint64_t so_far = 0;
      for (std::size_t q = 0; q < path.size(); ++q) {
        AnalysedDevice& d = a.devices[path[q]];
        d.path_index = q;
        d.ir_before = at.ir_before + at.ir_length + so_far;
        so_far += d.ir_length;
        d.ir_after = total - so_far + at.ir_after;
      }
    }
    a.linkers.push_back(std::move(l));
  }
}

// A fix-it of the label check turns the file into a version 2 file: kept only when that file
// reads without an error.
void keep_working_label_fixes(std::vector<Diagnostic>& found, std::string_view text) {
  for (Diagnostic& d : found) {
    if (d.check != "label") continue;
    for (Remark& remark : d.remarks) {
      std::erase_if(remark.fixes, [&](const FixIt& fix) {
        const std::string fixed = apply_fix(text, fix);
        ParseStop stop;
        return parse_status(fixed, config_version_of(fixed), stop) != kStatusOk;
      });
    }
  }
}

}  // namespace

BoardAnalysis analyse_board_text(std::string_view name, std::string_view bytes,
                                 const CheckSettings& settings) {
  BoardAnalysis a;
  a.name = name;
  a.text = bytes;
  a.version = config_version_of(bytes);
  ConfigReading& reading = a.reading;
  reading.text = a.text;
  reading.version = a.version;
  BoardModel model;
  reading.status = parse_fully(a.text, a.version, model, reading.stop, reading.written);
  a.tokens = lex_board_text(a.text, a.version);
  ErrorsRead errors = read_errors(reading, a.tokens, settings.read_on, kMostErrors);

  // The statements the checks look at: the file's, or those of the file with the broken
  // statements left out.
  WrittenBoard rest_written;
  const WrittenBoard* written = &reading.written;
  BoardModel rest_model;
  const BoardModel* laid = &model;
  if (reading.status == kStatusOk) {
    a.board.emplace();
    take_model(model, a.version, reading.written, *a.board);
    a.complete = true;
  } else if (settings.read_on) {
    ParseStop stop;
    const Status status = parse_fully(errors.rest, a.version, rest_model, stop, rest_written);
    if (status == kStatusOk) {
      a.board.emplace();
      take_model(rest_model, a.version, rest_written, *a.board);
      laid = &rest_model;
    } else {
      keep_before(rest_written, stop);
    }
    written = &rest_written;
  }
  if (a.board) {
    a.board->file_name = a.name;
    lay_out(a, *laid, *written);
  }

  const CheckInput input{reading, a.tokens.lines, *written, a.complete ? &*a.board : nullptr};
  std::vector<Diagnostic> found = check_findings(input, settings);
  keep_working_label_fixes(found, a.text);
  for (Diagnostic& error : errors.errors) found.push_back(std::move(error));
  // In file order; an error last among those at its place.
  std::stable_sort(found.begin(), found.end(), [](const Diagnostic& x, const Diagnostic& y) {
    return std::tie(x.range.full_line, x.range.column) <
           std::tie(y.range.full_line, y.range.column);
  });
  a.failed = std::any_of(found.begin(), found.end(),
                         [](const Diagnostic& d) { return d.severity == Severity::kError; });
  a.diagnostics = std::move(found);
  return a;
}

std::string check_text(const BoardAnalysis& analysis) {
  LineTexts lines;
  const auto keep = [&](const SourceRange& range) {
    if (!range.whole_file() && !lines.contains(range.full_line)) {
      lines[range.full_line] =
          std::string(line_text(analysis.text, analysis.tokens.lines, range.full_line));
    }
  };
  for (const Diagnostic& d : analysis.diagnostics) {
    keep(d.range);
    for (const Remark& r : d.remarks) keep(r.range);
  }
  std::string text;
  std::set<Status> explained;
  for (const Diagnostic& d : analysis.diagnostics) {
    const bool explain = d.status != kStatusOk && explained.insert(d.status).second;
    text += render_diagnostic(analysis.name, d, lines, explain);
  }
  return text;
}

}  // namespace kvr
