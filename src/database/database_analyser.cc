#include "database/database_analyser.h"

#include <array>
#include <cstddef>

#include "base/ascii.h"
#include "database/byte_io.h"
#include "database/format.h"

namespace kvr {
namespace {

using namespace format;

// The reading position and the dump target, passed to every step. The counter is the number of
// bytes read so far; the analyser never seeks, so it is also the file offset.
struct Reader {
  std::FILE* stream;
  std::uint32_t counter;
  bool verbose;
  std::FILE* out;
};

// Every printed text comes through here so that brief mode prints nothing at all.
template <typename... Args>
void print(const Reader& r, const char* format, Args... args) {
  if (r.verbose) std::fprintf(r.out, format, args...);
}

void print_text(const Reader& r, const char* text) {
  if (r.verbose) std::fputs(text, r.out);
}

Status read_size(Reader& r, std::uint32_t& size) {
  std::uint32_t word = 0;
  const Status status = read_word(&word, r.counter, r.stream);
  if (status != kStatusOk) return status;
  size = word & kSizeMask;
  return size == 0 ? kStatusDatabaseUnusable : kStatusOk;
}

// Reads a zero-terminated text into `buffer` (room for `limit` characters and the zero), turning
// letters into lower case. More than `limit` characters make the file unusable.
template <std::size_t N>
Status read_lowered_text(Reader& r, std::array<char, N>& buffer, std::size_t limit) {
  for (std::size_t length = 0;; ++length) {
    std::uint8_t byte = 0;
    const Status status = read_byte(&byte, r.counter, r.stream);
    if (status != kStatusOk) return status;
    if (byte == 0) {
      buffer[length] = '\0';
      return kStatusOk;
    }
    if (length == limit) return kStatusDatabaseUnusable;
    buffer[length] = to_lower(static_cast<char>(byte));
  }
}

Status analyse_variable_section(BoardModel& model, Reader& r) {
  std::uint8_t byte = 0;
  for (std::uint32_t i = 0; i < kLabelLength; ++i) {
    const Status status = read_byte(&byte, r.counter, r.stream);
    if (status != kStatusOk) return status;
  }
  print(r, "The label is %u bytes.\n", static_cast<unsigned>(kLabelLength));
  std::uint32_t s1 = 0;
  Status status = read_size(r, s1);
  if (status == kStatusOk) status = read_word(&model.variable_count, r.counter, r.stream);
  if (status != kStatusOk) return status;
  print(r, "The first header and variable section is %u bytes.\n", s1);
  print(r, "The number of variables is %u.\n", model.variable_count);
  if (model.variable_count != 0) print_text(r, "\n");

  // Fixed buffers whatever the count says: the count is read from the file and may be anything.
  std::array<char, kMaxVariableName + 1> name{};
  std::array<char, kMaxVariableValue + 1> value{};
  for (std::uint32_t i = 0; i < model.variable_count; ++i) {
    status = read_lowered_text(r, name, kMaxVariableName);
    if (status == kStatusOk) status = read_lowered_text(r, value, kMaxVariableValue);
    if (status != kStatusOk) return status;
    print(r, "  Variable %u\n", i);
    print(r, "    name  = [%s]\n", name.data());
    print(r, "    value = %s\n", value.data());
  }
  if (model.variable_count != 0) print_text(r, "\n");

  // Both in unsigned 32-bit arithmetic: a section longer than S1 claims prints a wrapped padding
  // and skips nothing.
  const std::uint32_t section_end = s1 + static_cast<std::uint32_t>(kLabelLength);
  print(r, "The padding is %u bytes.\n", section_end - r.counter);
  while (r.counter < section_end) {
    status = read_byte(&byte, r.counter, r.stream);
    if (status != kStatusOk) return status;
  }
  return kStatusOk;
}

Status analyse_classes(const BoardModel& model, Reader& r) {
  for (std::uint32_t i = 0; i < model.class_count; ++i) {
    std::array<std::uint32_t, 4> words{};
    for (std::uint32_t& word : words) {
      const Status status = read_word(&word, r.counter, r.stream);
      if (status != kStatusOk) return status;
    }
    print(r, "  Class %u\n", i);
    print(r, "    rev  = 0x%x\n", words[0]);
    print(r, "    size = 0x%x\n", words[1]);
    print(r, "    addr = 0x%x\n", words[2]);
    print(r, "    who  = 0x%x\n", words[3]);
  }
  return kStatusOk;
}

constexpr std::array<const char*, 16> kDeviceFieldFormats = {
    "    dev_id    = 0x%x\n", "    cls_id    = 0x%x\n", "    prior     = 0x%x\n",
    "    parent    = 0x%x\n", "    subpath   = 0x%x\n", "    connect   = 0x%x\n",
    "    sub_id[0] = 0x%x\n", "    sub_id[1] = 0x%x\n", "    sub_id[2] = 0x%x\n",
    "    sub_id[3] = 0x%x\n", "    mainIR    = 0x%x\n", "    preIR     = 0x%x\n",
    "    preDR     = 0x%x\n", "    posIR     = 0x%x\n", "    posDR     = 0x%x\n",
    "    dev_count = 0x%x\n"};

Status analyse_device_records(const BoardModel& model, Reader& r, bool v2) {
  const std::size_t word_count = v2 ? kDeviceWords + 1 : kDeviceWords;
  // Every pass reads a whole record before k moves, so even a dev_count of 0, or one that makes k
  // wrap, cannot keep the loop going past the end of the file.
  for (std::uint32_t k = 0; k < model.device_count;) {
    std::array<std::uint32_t, kDeviceWords + 1> words{};
    for (std::size_t w = 0; w < word_count; ++w) {
      const Status status = read_word(&words[w], r.counter, r.stream);
      if (status != kStatusOk) return status;
    }
    print(r, "  Device %u\n", k);
    for (std::size_t w = 0; w < word_count; ++w) print(r, kDeviceFieldFormats[w], words[w]);
    k += v2 ? words[kDeviceWords] : 1;
  }
  return kStatusOk;
}

Status analyse_high_level_section(const BoardModel& model, Reader& r) {
  if (model.device_count != 0) print_text(r, "\n");
  print(r, "The high-level section's device count is %u.\n", model.device_count);
  if (model.device_count != 0) print_text(r, "\n");
  std::array<char, kNameFieldBytes + 1> name{};
  for (std::uint32_t i = 0; i < model.device_count; ++i) {
    std::uint32_t device_class = 0;
    Status status = read_word(&device_class, r.counter, r.stream);
    for (std::size_t b = 0; status == kStatusOk && b < kNameFieldBytes; ++b) {
      std::uint8_t byte = 0;
      status = read_byte(&byte, r.counter, r.stream);
      name[b] = static_cast<char>(byte);
    }
    if (status != kStatusOk) return status;
    print(r, "  Device %u\n", i);
    print(r, "    name  = \"%s\"\n", name.data());
    print(r, "    class = 0x%x\n", device_class);
  }
  return kStatusOk;
}

Status analyse_control_section(BoardModel& model, Reader& r, bool v2) {
  std::uint32_t s2 = 0;
  Status status = read_size(r, s2);
  if (status == kStatusOk) status = read_word(&model.device_count, r.counter, r.stream);
  if (status == kStatusOk) status = read_word(&model.class_count, r.counter, r.stream);
  if (status != kStatusOk) return status;
  print(r, "The second header and control section is %u bytes.\n", s2);
  print(r, "The number of classes is %u.\n", model.class_count);
  if (model.class_count != 0) print_text(r, "\n");
  status = analyse_classes(model, r);
  if (status != kStatusOk) return status;
  if (model.class_count != 0) print_text(r, "\n");
  print(r, "The number of devices is %u.\n", model.device_count);
  if (model.device_count != 0) print_text(r, "\n");
  return analyse_device_records(model, r, v2);
}

}  // namespace

Status analyse_board_database(BoardModel& model, std::FILE* stream, std::uint16_t verbose,
                              std::uint8_t version, std::FILE* out) {
  Reader r{stream, 0, verbose != 0, out};
  const bool v2 = version == 2;
  print(r, "The file format is version %u.\n", static_cast<unsigned>(version));
  Status status = v2 ? analyse_variable_section(model, r) : kStatusOk;
  if (status == kStatusOk) status = analyse_control_section(model, r, v2);
  if (status == kStatusOk) status = analyse_high_level_section(model, r);
  if (status != kStatusOk) return status;
  std::rewind(stream);
  return kStatusOk;
}

}  // namespace kvr
