#include "database/database_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "database/format.h"
#include "database/path_rules.h"

namespace kvr {
namespace {

using namespace format;

// The bytes still to read, and the first failure met.
struct Cursor {
  std::string_view bytes;
  ReadFailure& failure;
  std::size_t at = 0;

  std::size_t left() const { return bytes.size() - at; }
  bool fail(Status status, std::size_t offset, const char* field) {
    failure = {status, static_cast<std::uint32_t>(offset), field};
    return false;
  }
  bool word(std::uint32_t& value, const char* field) {
    if (left() < kWordBytes) return fail(kStatusReadFailed, at, field);
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    value = b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t{b[3]} << 24;
    at += kWordBytes;
    return true;
  }
  // A size word; one whose size is 0 makes the file unusable.
  bool size(std::uint32_t& value, const char* field) {
    if (!word(value, field)) return false;
    value &= kSizeMask;
    return value != 0 || fail(kStatusDatabaseUnusable, at - kWordBytes, field);
  }
  // A zero-terminated text of at most `limit` characters; a longer one makes the file unusable.
  bool text(std::string& value, std::size_t limit, const char* field) {
    const std::size_t span = std::min(left(), limit + 1);
    const void* zero = std::memchr(bytes.data() + at, 0, span);
    if (zero == nullptr) {
      return fail(span > limit ? kStatusDatabaseUnusable : kStatusReadFailed, at, field);
    }
    value.assign(bytes.data() + at, static_cast<const char*>(zero));
    at += value.size() + 1;
    return true;
  }
};

bool read_variables(Cursor& in, StoredBoard& board) {
  if (in.left() < kLabelLength) return in.fail(kStatusReadFailed, in.at, "the label");
  in.at = kLabelLength;
  std::uint32_t s1 = 0;
  std::uint32_t count = 0;
  if (!in.size(s1, "the first size word") || !in.word(count, "the variable count")) return false;
  for (std::uint32_t i = 0; i < count; ++i) {
    StoredVariable variable;
    variable.offset = static_cast<std::uint32_t>(in.at);
    if (!in.text(variable.name, kMaxVariableName, "a variable name") ||
        !in.text(variable.value, kMaxVariableValue, "a variable value")) {
      return false;
    }
    board.variables.push_back(std::move(variable));
  }
  // The padding runs to the end that S1 gives, counted in 32 bits as the analyser counts it.
  const std::uint32_t section_end = s1 + static_cast<std::uint32_t>(kLabelLength);
  if (in.at < section_end) {
    if (section_end > in.bytes.size()) return in.fail(kStatusReadFailed, in.at, "the padding");
    in.at = section_end;
  }
  return true;
}

bool read_classes(Cursor& in, StoredBoard& board, std::uint32_t count) {
  board.class_offset = static_cast<std::uint32_t>(in.at);
  for (std::uint32_t i = 0; i < count; ++i) {
    ClassRecord c;
    for (std::uint32_t* word : {&c.rev, &c.size, &c.addr, &c.who}) {
      if (!in.word(*word, "a class record")) return false;
    }
    board.classes.push_back(c);
  }
  return true;
}

// The device records until they account for `count` devices; a version 2 group is expanded into
// the devices it stands for, never past `count` of them.
bool read_devices(Cursor& in, StoredBoard& board, std::uint32_t count, bool v2) {
  for (std::uint32_t k = 0; k < count;) {
    const auto offset = static_cast<std::uint32_t>(in.at);
    DeviceRecord d;
    std::uint32_t group = 1;
    for (std::uint32_t* word : {&d.dev_id, &d.cls_id, &d.prior, &d.parent, &d.subpath, &d.connect,
                                &d.sub_id[0], &d.sub_id[1], &d.sub_id[2], &d.sub_id[3], &d.mainIR,
                                &d.preIR, &d.preDR, &d.posIR, &d.posDR}) {
      if (!in.word(*word, "a device record")) return false;
    }
    if (v2 && !in.word(group, "a device count of a group")) return false;
    for (std::uint32_t n = 0; n < group && board.devices.size() < count; ++n) {
      board.devices.push_back(d);
      board.device_offsets.push_back(offset);
      d = derived_follower(d);
    }
    k += group;  // in 32 bits, as the analyser counts
  }
  return true;
}

bool read_high_level(Cursor& in, StoredBoard& board, std::uint32_t count) {
  board.high_level_offset = static_cast<std::uint32_t>(in.at);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t high_level = 0;
    if (!in.word(high_level, "a high-level entry")) return false;
    if (in.left() < kNameFieldBytes) return in.fail(kStatusReadFailed, in.at, "a device name");
    std::array<char, 8> field{};
    std::memcpy(field.data(), in.bytes.data() + in.at, kNameFieldBytes);
    in.at += kNameFieldBytes;
    board.high_level.push_back(high_level);
    board.name_fields.push_back(field);
  }
  return true;
}

bool read_control_and_high_level(Cursor& in, StoredBoard& board, bool v2) {
  std::uint32_t s2 = 0;
  std::uint32_t devices = 0;
  std::uint32_t classes = 0;
  if (!in.size(s2, "the second size word") || !in.word(devices, "the device count") ||
      !in.word(classes, "the class count")) {
    return false;
  }
  if (!read_classes(in, board, classes)) return false;
  if (devices > in.left() / kHighLevelEntryBytes) {
    return in.fail(kStatusReadFailed, in.bytes.size(), "the devices that the device count gives");
  }
  return read_devices(in, board, devices, v2) && read_high_level(in, board, devices);
}

}  // namespace

Status read_board_database(std::string_view bytes, std::uint8_t version, StoredBoard& board,
                           ReadFailure& failure) {
  board = StoredBoard{};
  board.version = version == 2 ? 2 : 1;
  failure = ReadFailure{};
  Cursor in{bytes, failure};
  try {
    if ((version == 2 && !read_variables(in, board)) ||
        !read_control_and_high_level(in, board, version == 2)) {
      return failure.status;
    }
  } catch (const std::bad_alloc&) {
    failure = {kStatusNoMemory, static_cast<std::uint32_t>(in.at), "memory"};
    return kStatusNoMemory;
  }
  board.end_offset = static_cast<std::uint32_t>(in.at);
  return kStatusOk;
}

std::string_view name_in(const std::array<char, 8>& field) {
  const void* zero = std::memchr(field.data(), 0, field.size());
  const std::size_t length =
      zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - field.data())
                      : field.size();
  return {field.data(), length};
}

}  // namespace kvr
