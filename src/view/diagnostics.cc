#include "view/diagnostics.h"

#include <cstdio>

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

}  // namespace

std::string status_title(Status status) {
  return std::string(title_of(status)) + " [" + std::to_string(status) + "]";
}

std::string config_diagnostic(const std::string& file, std::uint32_t line, std::uint32_t column,
                              Status status, std::string_view line_text) {
  std::string message = file + ":" + std::to_string(line);
  if (column != 0) message += ":" + std::to_string(column);
  message += ": error: " + title_and_status(status);
  message.append(line_text) += "\n";
  if (column != 0) {
    // Tabs before the column stay tabs, so that the caret stands under the character on a screen.
    for (std::uint32_t i = 0; i + 1 < column; ++i) {
      message += i < line_text.size() && line_text[i] == '\t' ? '\t' : ' ';
    }
    message += "^\n";
  }
  return message + explanation(status);
}

std::string database_diagnostic(const std::string& file, const ReadFailure& failure) {
  char offset[16];
  std::snprintf(offset, sizeof offset, "0x%X", static_cast<unsigned>(failure.offset));
  return file + ": error at offset " + offset + " (" + failure.field +
         "): " + title_and_status(failure.status) + explanation(failure.status);
}

void print_memory_diagnostic(const char* program, std::FILE* err) {
  std::fprintf(err, "%s: error: memory: %s [%d]\n%s", program, title_of(kStatusNoMemory),
               static_cast<int>(kStatusNoMemory), explanation(kStatusNoMemory));
}

std::string file_diagnostic(const std::string& file, std::string_view what, Status status) {
  std::string message = file + ": error: ";
  message.append(what) += ": " + title_and_status(status);
  return message + explanation(status);
}

}  // namespace kvr
