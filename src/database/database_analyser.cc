#include "database/database_analyser.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "base/ascii.h"
#include "database/byte_io.h"
#include "database/format.h"

namespace kvr {
namespace {

using namespace format;

// The dump, gathered in a buffer of its own and handed to the stream in large pieces; in brief
// mode it gathers nothing at all. Whatever it holds reaches the stream before the analyser
// returns, so the dispatcher's messages follow it in order.
class Dump {
 public:
  Dump(bool verbose, std::FILE* out) : verbose_(verbose), out_(out) {
    if (verbose_) text_.resize(kFlushBytes + 8192);
  }
  ~Dump() { flush(); }
  Dump(const Dump&) = delete;
  Dump& operator=(const Dump&) = delete;

  // A plain copy into room kept ready. A dump is tens of millions of short pieces, and the
  // compiler left this a call for its many callers, so it is taken in by force (and flush(), the
  // rare part, kept out).
  [[gnu::always_inline]] Dump& operator<<(std::string_view text) {
    if (verbose_) {
      if (used_ + text.size() > text_.size()) text_.resize(used_ + text.size());
      copy(text_.data() + used_, text.data(), text.size());
      used_ += text.size();
      if (used_ >= kFlushBytes) flush();
    }
    return *this;
  }
  bool shown() const { return verbose_; }
  Dump& decimal(std::uint32_t value) { return number(value, 10); }
  Dump& hex(std::uint32_t value) {
    *this << "0x";
    return number(value, 16);
  }
  [[gnu::noinline]] void flush() {
    if (used_ != 0) std::fwrite(text_.data(), 1, used_, out_);
    used_ = 0;
  }

 private:
  static constexpr std::size_t kFlushBytes = std::size_t{1} << 16;
  // Copies `size` bytes; a piece of up to 16 (most of them) as two moves of a fixed size that may
  // overlap, without a call.
  static void copy(char* to, const char* from, std::size_t size) {
    if (size >= 8 && size <= 16) {
      std::memcpy(to, from, 8);
      std::memcpy(to + size - 8, from + size - 8, 8);
    } else if (size >= 4 && size < 8) {
      std::memcpy(to, from, 4);
      std::memcpy(to + size - 4, from + size - 4, 4);
    } else if (size < 4) {
      for (std::size_t i = 0; i < size; ++i) to[i] = from[i];
    } else {
      std::memcpy(to, from, size);
    }
  }
  [[gnu::always_inline]] Dump& number(std::uint32_t value, std::uint32_t base) {
    if (!verbose_) return *this;
    char digits[10];
    char* at = digits + sizeof digits;
    do {
      *--at = "0123456789abcdef"[value % base];
      value /= base;
    } while (value != 0);
    return *this << std::string_view(at, static_cast<std::size_t>(digits + sizeof digits - at));
  }

  bool verbose_;
  std::FILE* out_;
  std::string text_;  // the room, of which the first `used_` bytes wait for the stream
  std::size_t used_ = 0;
};

Status read_size(ByteReader& in, std::uint32_t& size) {
  std::uint32_t word = 0;
  const Status status = in.word(word);
  if (status != kStatusOk) return status;
  size = word & kSizeMask;
  return size == 0 ? kStatusDatabaseUnusable : kStatusOk;
}

// "The <section> is S bytes." and "The number of <things> is N.", an empty line after the
// second when N is not 0.
void print_header(Dump& dump, const char* section, std::uint32_t size, const char* things,
                  std::uint32_t count) {
  dump << "The " << section << " is ";
  dump.decimal(size) << " bytes.\nThe number of " << things << " is ";
  dump.decimal(count) << ".\n";
  if (count != 0) dump << "\n";
}

// A name or value as the dump shows it: its letters in lower case.
template <std::size_t kLimit>
struct LoweredText {
  std::array<char, kLimit> bytes;
  std::size_t length = 0;
  std::string_view view() const { return std::string_view(bytes.data(), length); }
};

// Reads a zero-terminated text of at most kLimit characters, into `text` when the dump shows it.
// A longer text makes the file unusable.
template <std::size_t kLimit>
Status read_lowered_text(ByteReader& in, const Dump& dump, LoweredText<kLimit>& text) {
  text.length = 0;
  for (;;) {
    const char* bytes = nullptr;
    std::size_t count = 0;
    bool ended = false;
    const Status status = in.span_to_zero(bytes, count, ended, kLimit - text.length);
    if (status != kStatusOk) return status;
    if (text.length + count > kLimit) return kStatusDatabaseUnusable;
    if (dump.shown()) {
      std::memcpy(text.bytes.data() + text.length, bytes, count);
      lower_in_place(text.bytes.data() + text.length, count);
    }
    text.length += count;
    if (ended) return kStatusOk;
  }
}

Status analyse_variable_section(BoardModel& model, ByteReader& in, Dump& dump) {
  std::uint8_t byte = 0;
  for (std::size_t i = 0; i < kLabelLength; ++i) {
    if (Status status = in.byte(byte); status != kStatusOk) return status;
  }
  dump << "The label is ";
  dump.decimal(static_cast<std::uint32_t>(kLabelLength)) << " bytes.\n";
  std::uint32_t s1 = 0;
  Status status = read_size(in, s1);
  if (status == kStatusOk) status = in.word(model.variable_count);
  if (status != kStatusOk) return status;
  print_header(dump, "first header and variable section", s1, "variables", model.variable_count);

  const auto name = std::make_unique<LoweredText<kMaxVariableName>>();
  const auto value = std::make_unique<LoweredText<kMaxVariableValue>>();
  for (std::uint32_t i = 0; i < model.variable_count; ++i) {
    status = read_lowered_text(in, dump, *name);
    if (status == kStatusOk) status = read_lowered_text(in, dump, *value);
    if (status != kStatusOk) return status;
    dump << "  Variable ";
    dump.decimal(i) << "\n    name  = [" << name->view() << "]\n    value = " << value->view()
                    << "\n";
  }
  if (model.variable_count != 0) dump << "\n";

  // Both in unsigned 32-bit arithmetic: a section longer than S1 claims prints a wrapped padding
  // and skips nothing.
  const std::uint32_t section_end = s1 + static_cast<std::uint32_t>(kLabelLength);
  dump << "The padding is ";
  dump.decimal(section_end - in.counter) << " bytes.\n";
  while (in.counter < section_end) {
    if (status = in.byte(byte); status != kStatusOk) return status;
  }
  return kStatusOk;
}

Status analyse_classes(const BoardModel& model, ByteReader& in, Dump& dump) {
  for (std::uint32_t i = 0; i < model.class_count; ++i) {
    std::array<std::uint32_t, 4> words{};
    for (std::uint32_t& word : words) {
      if (Status status = in.word(word); status != kStatusOk) return status;
    }
    dump << "  Class ";
    dump.decimal(i) << "\n    rev  = ";
    dump.hex(words[0]) << "\n    size = ";
    dump.hex(words[1]) << "\n    addr = ";
    dump.hex(words[2]) << "\n    who  = ";
    dump.hex(words[3]) << "\n";
  }
  return kStatusOk;
}

constexpr std::array<std::string_view, kDeviceWords + 1> kDeviceFields = {
    "    dev_id    = ", "    cls_id    = ", "    prior     = ", "    parent    = ",
    "    subpath   = ", "    connect   = ", "    sub_id[0] = ", "    sub_id[1] = ",
    "    sub_id[2] = ", "    sub_id[3] = ", "    mainIR    = ", "    preIR     = ",
    "    preDR     = ", "    posIR     = ", "    posDR     = ", "    dev_count = "};

Status analyse_device_records(const BoardModel& model, ByteReader& in, Dump& dump, bool v2) {
  const std::size_t word_count = v2 ? kDeviceWords + 1 : kDeviceWords;
  // Every pass reads a whole record before k moves, so even a dev_count of 0, or one that makes k
  // wrap, cannot keep the loop going past the end of the file.
  for (std::uint32_t k = 0; k < model.device_count;) {
    std::array<std::uint32_t, kDeviceWords + 1> words{};
    for (std::size_t w = 0; w < word_count; ++w) {
      if (Status status = in.word(words[w]); status != kStatusOk) return status;
    }
    dump << "  Device ";
    dump.decimal(k) << "\n";
    for (std::size_t w = 0; w < word_count; ++w) {
      dump << kDeviceFields[w];
      dump.hex(words[w]) << "\n";
    }
    k += v2 ? words[kDeviceWords] : 1;
  }
  return kStatusOk;
}

Status analyse_high_level_section(const BoardModel& model, ByteReader& in, Dump& dump) {
  if (model.device_count != 0) dump << "\n";
  dump << "The high-level section's device count is ";
  dump.decimal(model.device_count) << ".\n";
  if (model.device_count != 0) dump << "\n";
  for (std::uint32_t i = 0; i < model.device_count; ++i) {
    std::uint32_t device_class = 0;
    std::array<char, kNameFieldBytes + 1> name{};
    Status status = in.word(device_class);
    for (std::size_t b = 0; status == kStatusOk && b < kNameFieldBytes; ++b) {
      std::uint8_t byte = 0;
      status = in.byte(byte);
      name[b] = static_cast<char>(byte);
    }
    if (status != kStatusOk) return status;
    dump << "  Device ";
    dump.decimal(i) << "\n    name  = \"" << std::string_view(name.data()) << "\"\n    class = ";
    dump.hex(device_class) << "\n";
  }
  return kStatusOk;
}

Status analyse_control_section(BoardModel& model, ByteReader& in, Dump& dump, bool v2) {
  std::uint32_t s2 = 0;
  Status status = read_size(in, s2);
  if (status == kStatusOk) status = in.word(model.device_count);
  if (status == kStatusOk) status = in.word(model.class_count);
  if (status != kStatusOk) return status;
  print_header(dump, "second header and control section", s2, "classes", model.class_count);
  if (status = analyse_classes(model, in, dump); status != kStatusOk) return status;
  if (model.class_count != 0) dump << "\n";
  dump << "The number of devices is ";
  dump.decimal(model.device_count) << ".\n";
  if (model.device_count != 0) dump << "\n";
  return analyse_device_records(model, in, dump, v2);
}

}  // namespace

Status analyse_board_database(BoardModel& model, std::FILE* stream, std::uint16_t verbose,
                              std::uint8_t version, std::FILE* out) {
  const bool v2 = version == 2;
  Status status = kStatusOk;
  try {
    ByteReader in(stream);
    Dump dump(verbose != 0, out);
    dump << "The file format is version ";
    dump.decimal(version) << ".\n";
    status = v2 ? analyse_variable_section(model, in, dump) : kStatusOk;
    if (status == kStatusOk) status = analyse_control_section(model, in, dump, v2);
    if (status == kStatusOk) status = analyse_high_level_section(model, in, dump);
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  if (status == kStatusOk) std::rewind(stream);
  return status;
}

}  // namespace kvr
