#include "lsp/board_document.h"

#include "base/ascii.h"
#include "config/board_config_parser.h"
#include "database/device_walk.h"
#include "database/format.h"
#include "lsp/check_findings.h"

namespace kvr::lsp {
namespace {

// The kind and version of a text, told from its first bytes as kvrbuild tells a file's: -135 for
// a text too short for a label (or a database label without its size word), -240 for a database
// label without the version 2 tag.
Status recognise_text(std::string_view text, bool& database, std::uint8_t& version) {
  using namespace format;
  if (text.size() < kLabelLength) return kStatusReadFailed;
  const auto word_at = [&](std::size_t offset) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data() + offset);
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t{bytes[3]} << 24;
  };
  if (equal_nocase_n(text.data(), kDatabaseLabel, kLabelLength) == 0) {
    if (text.size() < kLabelLength + kWordBytes) return kStatusReadFailed;
    if (tag_of(word_at(kLabelLength)) != 2) return kStatusDatabaseNotVersion2;
    database = true;
    version = 2;
    return kStatusOk;
  }
  database =
      equal_nocase_n(text.data(), kConfigLabel, kLabelLength) != 0 && tag_of(word_at(0)) == 1;
  version = equal_nocase_n(text.data(), kConfigLabel, kLabelLength) == 0 ? 2 : 1;
  return kStatusOk;
}

// The board as kvrbuild would store it, with each device's class ID as written.
LoadedBoard loaded_board(const BoardModel& model, std::uint8_t version, const WrittenBoard& written,
                         const std::string& uri) {
  LoadedBoard loaded;
  loaded.file_name = uri;
  StoredBoard& board = loaded.board;
  board.version = version;
  model.variables.for_each_variable([&](std::string_view name, std::string_view value) {
    board.variables.push_back({std::string(name), std::string(value), 0});
  });
  board.classes = model.classes;
  board.devices = device_records(model);
  for (std::size_t i = 0; i < model.devices.size(); ++i) {
    board.high_level.push_back(model.devices[i].high_level);
    board.name_fields.push_back(model.devices[i].name);
    loaded.class_ids.push_back(written.devices[i].class_id);
  }
  return loaded;
}

bool blank_or_comment(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ';';
}

}  // namespace

void set_document_text(BoardDocument& document, std::string text, const CheckSettings& settings) {
  document.reading = ConfigReading{};
  document.reading.text = std::move(text);
  document.lines = TextLines(document.reading.text);
  document.loaded.reset();
  document.outline = BoardOutline{};
  document.places = ScanPlaces{};
  document.findings.clear();
  bool database = false;
  std::uint8_t version = 1;
  const Status recognition = recognise_text(document.text(), database, version);
  document.configuration = recognition == kStatusOk && !database;
  if (std::optional<Finding> refused = file_kind_finding(document, recognition, database)) {
    document.findings.push_back(std::move(*refused));
    return;
  }
  ConfigReading& reading = document.reading;
  reading.version = version;
  BoardModel model;
  reading.status = parse_board_config(model, LineSource{nullptr, 0, nullptr, reading.text}, nullptr,
                                      nullptr, version, &reading.stop, &reading.written);
  if (reading.status == kStatusOk) {
    document.loaded = loaded_board(model, version, reading.written, document.uri);
    document.places = scan_places(document.loaded->board);
  }
  document.outline = board_outline(document.text(), version);
  document.findings = check_findings(document, settings);
}

std::pair<std::size_t, std::size_t> token_range_at(const BoardDocument& document,
                                                   std::size_t offset) {
  const std::size_t index = token_at(document.outline, offset);
  if (index != kNone) {
    const Token& token = document.outline.tokens[index];
    if (token.begin <= offset && offset < token.end) return {token.begin, token.end};
  }
  const std::string& text = document.text();
  std::size_t end = offset;
  while (end < text.size() && !blank_or_comment(text[end]) && text[end] != '\0') ++end;
  return {offset, end};
}

}  // namespace kvr::lsp
