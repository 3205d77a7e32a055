#include "lint/diagnostics.h"

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

// "FILE:LINE:COLUMN: " or as much of it as `place` has.
std::string location(const std::string& file, const Place& place) {
  std::string text = file;
  if (place.full_line != 0) text += ":" + std::to_string(place.line);
  if (place.full_line != 0 && place.column != 0) text += ":" + std::to_string(place.column);
  return text + ": ";
}

// The line `place` stands on and a caret under its column; nothing for the file as a whole.
std::string quoted_line(const Place& place, const LineTexts& lines) {
  if (place.full_line == 0) return "";
  const auto found = lines.find(place.full_line);
  const std::string_view line = found != lines.end() ? found->second : std::string_view();
  std::string text = std::string(line) + "\n";
  if (place.column == 0) return text;
  // Tabs before the column stay tabs, so that the caret stands under the character on a screen.
  for (std::uint32_t i = 0; i + 1 < place.column; ++i) {
    text += i < line.size() && line[i] == '\t' ? '\t' : ' ';
  }
  return text + "^\n";
}

}  // namespace

std::string render_diagnostic(const std::string& file, const Diagnostic& diagnostic,
                              const LineTexts& lines) {
  std::string text =
      location(file, diagnostic.place) + diagnostic.severity + ": " + diagnostic.text + "\n";
  if (diagnostic.quote) text += quoted_line(diagnostic.place, lines);
  for (const Remark& remark : diagnostic.remarks) {
    const bool help = std::string_view(remark.kind) == "help";
    text += location(file, help ? diagnostic.place : remark.place) + remark.kind + ": " +
            remark.text + "\n";
    const bool elsewhere = remark.place.full_line != diagnostic.place.full_line ||
                           remark.place.column != diagnostic.place.column;
    if (!help && elsewhere) text += quoted_line(remark.place, lines);
  }
  return text + diagnostic.explanation;
}

Diagnostic error_diagnostic(Status status, const Place& place) {
  return {"error", place, status_title(status), {}, explanation_for_kvrview(status)};
}

std::string status_title(Status status) {
  return std::string(title_of(status)) + " [" + std::to_string(status) + "]";
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

}  // namespace kvr
