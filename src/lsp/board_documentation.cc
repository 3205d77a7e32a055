#include "lsp/board_documentation.h"

#include "base/ascii.h"
#include "frontend/console_text.h"

namespace kvr::lsp {
namespace {

constexpr std::string_view kVariableList = "THE CURRENTLY SUPPORTED CONFIGURATION VARIABLES";

bool heading(std::string_view line) {
  return !line.empty() && line[0] != ' ';
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::string bracketed(std::string_view name) {
  return "[" + std::string(name) + "]";
}

// A section: its first line (the heading) and the line after its last.
struct Section {
  const char* const* begin = nullptr;
  const char* const* end = nullptr;
};

// The sections of the verbose information, in order.
std::vector<Section> sections() {
  std::vector<Section> found;
  for (const char* const* line = kVerboseInformationLines; *line != nullptr; ++line) {
    if (!heading(*line)) continue;
    if (!found.empty()) found.back().end = line;
    found.push_back({line, nullptr});
  }
  if (!found.empty()) {
    const char* const* last = found.back().begin;
    while (*last != nullptr) ++last;
    found.back().end = last;
  }
  return found;
}

// The heading with the lines that continue it (indented, naming further variables).
std::string heading_of(const Section& section) {
  std::string text = *section.begin;
  for (const char* const* line = section.begin + 1;
       line < section.end && std::string_view(*line).find_first_not_of(' ') > 2 &&
       std::string_view(*line).find('[') != std::string_view::npos;
       ++line) {
    text += *line;
  }
  return text;
}

bool mentions(const Section& section, std::string_view name) {
  for (const char* const* line = section.begin; line < section.end; ++line) {
    if (std::string_view(*line).find(bracketed(name)) != std::string_view::npos) return true;
  }
  return false;
}

const Section* section_of(const std::vector<Section>& all, std::string_view name) {
  for (const Section& section : all) {
    if (upper_cased(heading_of(section)).find(bracketed(name)) != std::string::npos)
      return &section;
  }
  bool after_list = false;
  for (const Section& section : all) {
    if (after_list && mentions(section, name)) return &section;
    after_list = after_list || std::string_view(*section.begin) == kVariableList;
  }
  return nullptr;
}

}  // namespace

std::string family_description(std::string_view type_name) {
  for (const char* const* line = kBriefInformationLines; *line != nullptr; ++line) {
    std::string_view text = *line;
    if (!text.starts_with("  ") || !text.substr(2).starts_with(type_name)) continue;
    text.remove_prefix(2 + type_name.size());
    if (text.empty() || text.front() != ' ') continue;
    text = trimmed(text);
    if (text.starts_with("- ")) text.remove_prefix(2);
    return std::string(text);
  }
  return "";
}

std::string variable_row(std::string_view name) {
  std::string row;
  bool in_list = false;
  for (const char* const* line = kVerboseInformationLines; *line != nullptr; ++line) {
    const std::string_view text = *line;
    if (heading(text)) in_list = text == kVariableList;
    if (!in_list) continue;
    if (!row.empty()) {
      // A row goes on on a line of its own that begins far to the right ("or string").
      if (text.find_first_not_of(' ') > 8 && !trimmed(text).starts_with("[")) {
        row += std::string(trimmed(text)) + "\n";
        continue;
      }
      break;
    }
    if (trimmed(text).starts_with(bracketed(name) + " ")) row = std::string(trimmed(text)) + "\n";
  }
  return row;
}

std::string variable_section(std::string_view name) {
  const std::vector<Section> all = sections();
  const Section* section = section_of(all, name);
  if (section == nullptr) return "";
  std::string text;
  for (const char* const* line = section->begin; line < section->end; ++line) {
    text += std::string(*line) + "\n";
  }
  while (text.ends_with("\n\n")) text.pop_back();
  return text;
}

std::vector<DocumentedValue> documented_values(std::string_view name) {
  std::vector<DocumentedValue> values;
  const std::vector<Section> all = sections();
  const Section* section = section_of(all, name);
  if (section == nullptr) return values;
  const std::string opening = bracketed(name) + " is";
  // 0: before the paragraph; 1: in it; 2: after it, before the list; 3: in the list.
  int state = 0;
  for (const char* const* line = section->begin + 1; line < section->end && state < 4; ++line) {
    const std::string_view text = *line;
    const std::string_view content = trimmed(text);
    if (state == 0 && text.starts_with("  " + opening)) {
      state = 1;
    } else if ((state == 1 || state == 2) && content.empty()) {
      state = 2;
    } else if ((state == 2 || state == 3) && text.starts_with("    '")) {
      state = 3;
      const std::size_t close = content.find('\'', 1);
      if (close == std::string_view::npos) continue;
      values.push_back({std::string(content.substr(0, close + 1)),
                        std::string(trimmed(content.substr(close + 1)))});
    } else if (state == 3 && text.find_first_not_of(' ') > 6) {
      continue;  // a meaning that goes on on the next line
    } else if (state >= 2) {
      state = 4;
    }
  }
  return values;
}

std::vector<std::string> boolean_words() {
  std::vector<std::string> words;
  for (const char* const* line = kVerboseInformationLines; *line != nullptr; ++line) {
    std::string_view text = trimmed(*line);
    for (const std::string_view label : {"for yes:", "for no:"}) {
      if (!text.starts_with(label)) continue;
      text.remove_prefix(label.size());
      for (std::size_t at = 0; at < text.size();) {
        const std::size_t begin = text.find_first_not_of(' ', at);
        if (begin == std::string_view::npos) break;
        const std::size_t end = std::min(text.find(' ', begin), text.size());
        words.emplace_back(text.substr(begin, end - begin));
        at = end;
      }
    }
  }
  return words;
}

}  // namespace kvr::lsp
