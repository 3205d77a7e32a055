// Helpers for the tests of the texts the program carries: a text as a list of lines, the body of
// a section, and the example files it shows.
#ifndef KVR_TESTS_DOCS_DOC_TEXT_H_
#define KVR_TESTS_DOCS_DOC_TEXT_H_

#include <cstddef>
#include <string>
#include <vector>

namespace kvr::testing {

using Lines = std::vector<std::string>;

// The lines of a null-terminated line list.
inline Lines lines_of(const char* const* list) {
  Lines lines;
  for (; *list != nullptr; ++list) lines.emplace_back(*list);
  return lines;
}

// A heading is a line that starts at the first column (all other text is indented).
inline bool is_heading(const std::string& line) {
  return !line.empty() && line[0] != ' ';
}

// The lines under `heading` up to the next heading, without the empty lines at the end; the
// indented second line of a two-line heading stays in the body. Empty when the heading is absent.
inline Lines section_body(const Lines& lines, const std::string& heading) {
  std::size_t i = 0;
  while (i < lines.size() && lines[i] != heading) ++i;
  Lines body;
  for (++i; i < lines.size() && !is_heading(lines[i]); ++i) body.push_back(lines[i]);
  while (!body.empty() && body.back().empty()) body.pop_back();
  return body;
}

// An example file: a line ending in "file:", then (after at most one empty line) the file's lines,
// each indented by four spaces that are not part of the file.
struct ExampleFile {
  std::size_t intro_index = 0;  // index of the line ending in "file:"
  Lines lines;
};

inline std::vector<ExampleFile> example_files(const Lines& lines) {
  std::vector<ExampleFile> files;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& intro = lines[i];
    if (intro.size() < 5 || intro.compare(intro.size() - 5, 5, "file:") != 0) continue;
    ExampleFile file{i, {}};
    std::size_t j = i + 1 + (i + 1 < lines.size() && lines[i + 1].empty() ? 1 : 0);
    for (; j < lines.size() && lines[j].rfind("    ", 0) == 0; ++j) {
      file.lines.push_back(lines[j].substr(4));
    }
    files.push_back(file);
  }
  return files;
}

inline std::string joined(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

}  // namespace kvr::testing

#endif  // KVR_TESTS_DOCS_DOC_TEXT_H_
