#include "lint/diagnostics.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "library/error_texts.h"

namespace kvr {
namespace {

// The title and explanation kvrbuild gives a status; they need no memory of their own.
const char* title_of(Status status) {
  const ErrorText* text = find_error_text(status);
  return text != nullptr ? text->title : "Unknown error";
}

const char* explanation(Status status) {
  const ErrorText* text = find_error_text(status);
  return text != nullptr ? text->explanation : "";
}

std::string title_and_status(Status status) {
  return status_title(status) + "\n";
}

// kvrbuild's explanation, with its options named as kvrbuild's: kvrview has no -i of its own.
std::string explanation_for_kvrview(Status status) {
  std::string text = explanation(status);
  for (const auto& [option, command] :
       {std::pair<std::string_view, std::string_view>{"the -vi option", "`kvrbuild -vi'"},
        {"the -i option", "`kvrbuild -i'"}}) {
    for (std::size_t at; (at = text.find(option)) != std::string::npos;) {
      text.replace(at, option.size(), command);
    }
  }
  return text;
}

// "FILE:LINE:COLUMN: ", or "FILE: " for the file as a whole.
std::string location(const std::string& file, const SourceRange& range) {
  if (range.whole_file()) return file + ": ";
  return file + ":" + std::to_string(range.line) + ":" + std::to_string(range.column + 1) + ": ";
}

// The line `range` stands on and a caret under its first column; nothing for the file as a whole.
std::string quoted_line(const SourceRange& range, const LineTexts& lines) {
  if (range.whole_file()) return "";
  const auto found = lines.find(range.full_line);
  const std::string_view line = found != lines.end() ? found->second : std::string_view();
  std::string text = std::string(line) + "\n";
  // Tabs before the column stay tabs, so that the caret stands under the character on a screen.
  for (std::uint32_t i = 0; i < range.column; ++i) {
    text += i < line.size() && line[i] == '\t' ? '\t' : ' ';
  }
  return text + "^\n";
}

const char* severity_word(Severity severity) {
  switch (severity) {
    case Severity::kError:
      return "error";
    case Severity::kWarning:
      return "warning";
    default:
      return "note";
  }
}

}  // namespace

std::string Diagnostic::code() const {
  return status != kStatusOk ? std::to_string(status) : check;
}

std::string Diagnostic::headline() const {
  if (status != kStatusOk) {
    return message + " [" + std::to_string(status) + "]" + (detail.empty() ? "" : ": " + detail);
  }
  if (check.empty()) return message;  // a refusal of kvrview's own, such as --build's label
  return message + (severity == Severity::kError ? " [-Werror=" : " [-W") + check + "]";
}

std::string render_diagnostic(const std::string& file, const Diagnostic& diagnostic,
                              const LineTexts& lines, bool explain) {
  std::string text = location(file, diagnostic.range) + severity_word(diagnostic.severity) + ": " +
                     diagnostic.headline() + "\n";
  if (diagnostic.quote) text += quoted_line(diagnostic.range, lines);
  for (const Remark& remark : diagnostic.remarks) {
    const bool help = remark.kind == Remark::Kind::kHelp;
    text += location(file, help ? diagnostic.range : remark.range) + (help ? "help: " : "note: ") +
            remark.text + "\n";
    const bool elsewhere = remark.range.full_line != diagnostic.range.full_line ||
                           remark.range.column != diagnostic.range.column;
    if (!help && elsewhere) text += quoted_line(remark.range, lines);
  }
  return explain ? text + diagnostic.explanation : text;
}

Diagnostic error_diagnostic(Status status, const SourceRange& range) {
  Diagnostic d;
  d.severity = Severity::kError;
  d.status = status;
  d.message = title_of(status);
  d.range = range;
  d.explanation = explanation_for_kvrview(status);
  return d;
}

std::string status_title(Status status) {
  return std::string(title_of(status)) + " [" + std::to_string(status) + "]";
}

std::string title_of_status(Status status) {
  return title_of(status);
}

std::string explanation_of_status(Status status) {
  return explanation_for_kvrview(status);
}

std::string database_diagnostic(const std::string& file, const ReadFailure& failure) {
  char offset[16];
  std::snprintf(offset, sizeof offset, "0x%X", static_cast<unsigned>(failure.offset));
  return file + ": error at offset " + offset + " (" + failure.field +
         "): " + title_and_status(failure.status) + explanation_for_kvrview(failure.status);
}

void print_memory_diagnostic(const char* program, std::FILE* err) {
  std::fprintf(err, "%s: error: memory: %s [%d]\n%s", program, title_of(kStatusNoMemory),
               static_cast<int>(kStatusNoMemory), explanation(kStatusNoMemory));
}

std::string file_diagnostic(const std::string& file, std::string_view what, Status status) {
  std::string message = file + ": error: ";
  message.append(what) += ": " + title_and_status(status);
  return message + explanation_for_kvrview(status);
}

std::string apply_fix(std::string_view text, const FixIt& fix) {
  std::vector<const TextEdit*> edits;
  for (const TextEdit& edit : fix.edits) edits.push_back(&edit);
  std::sort(edits.begin(), edits.end(),
            [](const TextEdit* a, const TextEdit* b) { return a->range.offset < b->range.offset; });
  std::string fixed;
  std::size_t at = 0;
  for (const TextEdit* edit : edits) {
    const std::size_t begin = std::min(edit->range.offset, text.size());
    const std::size_t end =
        std::min(begin + (edit->range.end_column - edit->range.column), text.size());
    fixed.append(text.substr(at, begin - at)).append(edit->text);
    at = std::max(at, end);
  }
  return fixed.append(text.substr(std::min(at, text.size())));
}

}  // namespace kvr
