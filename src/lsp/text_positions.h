// Where things stand in a document, in the three ways the server counts them.
//
// A document is the bytes the client sends: its text as UTF-8, exactly as a board.cfg saved in
// UTF-8 holds it, and those bytes are what the checks read. The client counts positions in lines
// and in code units of its encoding (UTF-16 by default, UTF-8 when both sides agree on it); a line
// ends at LF, CR LF or a lone CR, as the protocol has it. kvrbuild numbers lines by LF alone (a
// lone CR ends no line), so its places go through their byte offsets before they become the
// client's positions. A byte that is not part of valid UTF-8 counts as one code unit.
#ifndef KVR_LSP_TEXT_POSITIONS_H_
#define KVR_LSP_TEXT_POSITIONS_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kvr::lsp {

enum class Encoding { kUtf16, kUtf8 };

// A line and a code-unit count within it, as the client counts them, both from 0.
struct Position {
  std::uint32_t line = 0;
  std::uint32_t character = 0;
  friend bool operator==(const Position&, const Position&) = default;
};

// The client's lines of a text.
class ClientLines {
 public:
  ClientLines() = default;
  explicit ClientLines(std::string_view text);  // the text must outlive this record

  std::string_view text() const { return text_; }
  // The byte offset of a client position; a position past its line's end stands at that end, a
  // line past the last at the end of the text.
  std::size_t offset_of(const Position& position, Encoding encoding) const;
  Position position_of(std::size_t offset, Encoding encoding) const;
  // The client's line count and the byte range [begin, end) of line `line`, without its line end.
  std::size_t line_count() const { return starts_.size(); }
  std::size_t line_begin(std::size_t line) const { return starts_[line]; }
  std::size_t line_end(std::size_t line) const;

 private:
  // On a line longer than kMarkStep bytes, a mark about every kMarkStep bytes: a UTF-8 sequence's
  // start and the UTF-16 code units before it on its line, so that a place on a line of
  // megabytes is counted from the mark before it rather than from the line's start.
  struct Mark {
    std::size_t offset;
    std::uint32_t units;
  };
  static constexpr std::size_t kMarkStep = 4096;
  // The mark nearest before `offset` on line `line`, else the line's start.
  Mark mark_before(std::size_t line, std::size_t offset) const;
  // That before the code unit `character` of line `line`, else the line's start.
  Mark mark_before_unit(std::size_t line, std::uint32_t character) const;

  std::string_view text_;
  std::vector<std::size_t> starts_;  // the client's lines
  std::vector<Mark> marks_;          // in offset order
};

// Code units of the bytes [begin, end) of a line.
std::uint32_t units_between(std::string_view text, std::size_t begin, std::size_t end,
                            Encoding encoding);

// Walks forward through a text turning increasing offsets into positions, each step costing the
// bytes passed over: for the many positions of one answer in document order.
class PositionCursor {
 public:
  PositionCursor(const ClientLines& lines, Encoding encoding)
      : lines_(lines), encoding_(encoding) {}
  Position at(std::size_t offset);  // offsets must not decrease

 private:
  const ClientLines& lines_;
  Encoding encoding_;
  std::size_t line_ = 0, offset_ = 0;
  std::uint32_t character_ = 0;
};

}  // namespace kvr::lsp

#endif  // KVR_LSP_TEXT_POSITIONS_H_
