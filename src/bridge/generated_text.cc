#include "bridge/generated_text.h"

#include <algorithm>

#include "base/ascii.h"

namespace kvr {

std::string printable(std::string_view text) {
  std::string shown(text);
  for (char& c : shown) c = c >= ' ' && c <= '~' ? c : '?';
  return shown;
}

bool is_device_name(std::string_view name) {
  return !name.empty() && name.size() <= kDeviceNameLength && is_letter(name[0]) &&
         std::all_of(name.begin(), name.end(), is_name_char);
}

std::string board_config_comment(std::string_view lead, std::string_view text) {
  const std::string shown = printable(text);
  const std::string later = ";" + std::string(std::max<std::size_t>(lead.size(), 2) - 1, ' ');
  // Room for the text on each line; a lead as wide as the line still leaves some.
  const std::size_t room =
      std::max<std::size_t>(kCommentWidth - std::min(lead.size(), kCommentWidth), 20);
  std::string lines;
  std::string_view rest = shown;
  for (bool first = true; first || !rest.empty(); first = false) {
    std::size_t cut = rest.size();
    std::size_t next = cut;
    if (rest.size() > room) {
      // The last blank within the room ends the line and is dropped; without one, cut at the room.
      const std::size_t blank = rest.substr(0, room + 1).rfind(' ');
      cut = blank == std::string_view::npos || blank == 0 ? room : blank;
      next = cut < rest.size() && rest[cut] == ' ' ? cut + 1 : cut;
    }
    std::string_view piece = rest.substr(0, cut);
    lines.append(first ? lead : std::string_view(later)).append(piece) += '\n';
    rest.remove_prefix(next);
  }
  return lines;
}

std::string openocd_comment(std::string_view text) {
  std::string shown = printable(text);
  for (char& c : shown) {
    if (c == '\\') c = '/';
    if (c == '{' || c == '}') c = '?';
  }
  return "# " + shown + "\n";
}

bool is_openocd_word(std::string_view word) {
  return !word.empty() && std::all_of(word.begin(), word.end(), is_name_char);
}

std::string svf_comment(std::string_view text) {
  return "! " + printable(text) + "\n";
}

}  // namespace kvr
