#include "lint/board_format.h"

#include "lint/parse_errors.h"

namespace kvr {

FormatResult format_board_text(std::string_view text) {
  FormatResult result;
  ParseStop stop;
  const Status status = parse_status(text, config_version_of(text), stop);
  if (status != kStatusOk) {
    result.reason = "line " + std::to_string(stop.line) + ": " + status_title(status);
    return result;
  }
  result.ok = true;
  result.text = text;
  return result;
}

}  // namespace kvr
