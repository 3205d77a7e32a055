// board.dat layout
// ================
//
// Every number is a 32-bit word stored least significant byte first. A size word holds a section
// size in bits 0-23 and a tag in bits 24-31, so no section can pass 0xFFFFFF bytes. Offsets are
// in bytes from the start of the file; V variables, C class records, D devices, G device groups.
//
// Version 2
//   0            8        label ";DAT-2.0", no terminating zero
//   8            4        size word: S1 in bits 0-23, format version 2 in bits 24-31
//   12           4        V
//   16           varies   V times: name bytes, 0, value bytes, 0 (model order)
//   ...          0-3      zero padding, so that S1 is a multiple of 4
//   8+S1         4        size word: S2 in bits 0-23, 0 in bits 24-31
//   12+S1        4        D (devices, not groups)
//   16+S1        4        C
//   20+S1        16*C     class records: rev, size, addr, who
//   20+S1+16*C   64*G     device groups: the 15 device words, then dev_count
//   8+S1+S2      12*D     high-level entries: class word, 8-byte name field
//   S1 = 8 + sum(len(name) + 1 + len(value) + 1) + padding; S2 = 12 + 16*C + 64*G.
//
// Version 1
//   0            4        size word: S2 in bits 0-23, format version 1 in bits 24-31
//   4            4        D
//   8            4        C
//   12           16*C     class records
//   12+16*C      60*D     device records: the 15 device words
//   S2           12*D     high-level entries
//   S2 = 12 + 16*C + 60*D. Configure variables are not stored in version 1.
//
// The 15 device words, in order: dev_id, cls_id, prior, parent, subpath, connect, sub_id[0..3],
// mainIR, preIR, preDR, posIR, posDR. A device name field is the name (1 to 8 lower-case
// characters) followed by zero bytes; an 8-character name has no zero byte.
//
// Grouping (version 2). A group of dev_count stands for its stored device followed by
// dev_count - 1 followers, and a reader derives each follower from the device just before it:
// dev_id + 1, prior = that dev_id, the same cls_id, parent, subpath, connect, sub_id and mainIR,
// preIR + mainIR, preDR + 1, posIR - mainIR, posDR - 1. The baseline rule lets a device join the
// open group when it is not a linker (connect 0), lies on the main path (parent 0) and has the
// cls_id of the device before it. That rule alone can fold devices a reader would rebuild wrongly:
// devices of one family share a cls_id even when a bypass or generic device has its own IR length,
// and the first main-path device after a linker's sub-paths follows a sub-path device whose path
// fields belong to another path. So a device joins only when, in addition, each of its fifteen
// fields equals what the derivation gives from the device before it; otherwise it opens a group of
// its own. Every group member is then exactly its derived value, so expanding the groups gives
// back every device unchanged, and a group of one is always valid for readers.
//
// Writing order. The sections are written straight through the model; the exact S2 (known only
// after grouping) and the version tag are filled in afterwards by seeking back, so a file that a
// failure cut short never carries a valid version tag.
#include "database/database_writer.h"

#include <cstdint>

#include "database/byte_io.h"

namespace kvr {
namespace {

constexpr std::uint64_t kSectionLimit = 0xFFFFFF;
constexpr char kLabel[] = ";DAT-2.0";
constexpr std::uint32_t kLabelLength = sizeof kLabel - 1;
constexpr std::uint32_t kRecordBytesV1 = 60;
constexpr std::uint32_t kGroupBytesV2 = 64;

// What a reader derives for the device that follows `previous` inside a group.
DeviceRecord derived_follower(const DeviceRecord& previous) {
  DeviceRecord next = previous;
  next.dev_id = previous.dev_id + 1;
  next.prior = previous.dev_id;
  next.preIR = previous.preIR + previous.mainIR;
  next.preDR = previous.preDR + 1;
  next.posIR = previous.posIR - previous.mainIR;
  next.posDR = previous.posDR - 1;
  return next;
}

bool joins_group(const DeviceRecord& device, const DeviceRecord& previous) {
  const bool baseline_rule =
      device.connect == 0 && device.parent == 0 && device.cls_id == previous.cls_id;
  // The derivation check keeps the grouping lossless; see the layout notes above.
  return baseline_rule && device == derived_follower(previous);
}

Status write_device_words(const DeviceRecord& d, std::FILE* stream) {
  const std::uint32_t words[] = {d.dev_id,  d.cls_id,    d.prior,     d.parent,    d.subpath,
                                 d.connect, d.sub_id[0], d.sub_id[1], d.sub_id[2], d.sub_id[3],
                                 d.mainIR,  d.preIR,     d.preDR,     d.posIR,     d.posDR};
  for (const std::uint32_t word : words) {
    const Status status = write_word(word, stream);
    if (status != kStatusOk) return status;
  }
  return kStatusOk;
}

Status write_text_with_zero(const std::string& text, std::FILE* stream) {
  for (const char c : text) {
    const Status status = write_byte(static_cast<unsigned char>(c), stream);
    if (status != kStatusOk) return status;
  }
  return write_byte(0, stream);
}

// Label, S1, the variables and their padding. `s1` receives the padded size of the section.
Status write_variable_section(const BoardModel& model, std::FILE* stream, std::uint32_t& s1) {
  for (std::uint32_t i = 0; i < kLabelLength; ++i) {
    // A label that cannot be written means the output is not usable at all; it is reported as
    // the read-side failure code, unlike every later write.
    if (write_byte(static_cast<unsigned char>(kLabel[i]), stream) != kStatusOk) {
      return kStatusReadFailed;
    }
  }
  std::uint64_t size = 8;
  for (std::uint32_t i = 0; i < model.variable_count; ++i) {
    size += model.variables[i].name.size() + 1 + model.variables[i].value.size() + 1;
  }
  const std::uint64_t padding = (4 - size % 4) % 4;
  size += padding;
  if (size > kSectionLimit) return kStatusSectionTooLarge;
  s1 = static_cast<std::uint32_t>(size);

  Status status = write_word(s1, stream);
  if (status == kStatusOk) status = write_word(model.variable_count, stream);
  for (std::uint32_t i = 0; status == kStatusOk && i < model.variable_count; ++i) {
    status = write_text_with_zero(model.variables[i].name, stream);
    if (status == kStatusOk) status = write_text_with_zero(model.variables[i].value, stream);
  }
  for (std::uint64_t i = 0; status == kStatusOk && i < padding; ++i) {
    status = write_byte(0, stream);
  }
  return status;
}

// Writes the device groups; `groups` receives their number.
Status write_device_groups(const BoardModel& model, std::FILE* stream, std::uint32_t& groups) {
  groups = 0;
  if (model.device_count == 0) return kStatusOk;
  Status status = write_device_words(model.devices[0], stream);
  groups = 1;
  std::uint32_t run = 1;
  for (std::uint32_t i = 1; status == kStatusOk && i < model.device_count; ++i) {
    if (joins_group(model.devices[i], model.devices[i - 1])) {
      ++run;
      continue;
    }
    status = write_word(run, stream);
    if (status == kStatusOk) status = write_device_words(model.devices[i], stream);
    ++groups;
    run = 1;
  }
  if (status == kStatusOk) status = write_word(run, stream);
  return status;
}

Status write_control_section(const BoardModel& model, std::FILE* stream, std::uint8_t version,
                             std::uint32_t& s2) {
  const std::uint64_t per_device = version == 2 ? kGroupBytesV2 : kRecordBytesV1;
  // In version 2 the limit is checked before grouping, so it bounds the ungrouped size.
  const std::uint64_t provisional =
      12 + 16 * std::uint64_t{model.class_count} + per_device * std::uint64_t{model.device_count};
  if (provisional > kSectionLimit) return kStatusSectionTooLarge;
  s2 = static_cast<std::uint32_t>(provisional);

  Status status = write_word(s2, stream);
  if (status == kStatusOk) status = write_word(model.device_count, stream);
  if (status == kStatusOk) status = write_word(model.class_count, stream);
  for (std::uint32_t i = 0; status == kStatusOk && i < model.class_count; ++i) {
    const ClassRecord& c = model.classes[i];
    for (const std::uint32_t word : {c.rev, c.size, c.addr, c.who}) {
      if (status == kStatusOk) status = write_word(word, stream);
    }
  }
  if (status != kStatusOk) return status;
  if (version != 2) {
    for (std::uint32_t i = 0; status == kStatusOk && i < model.device_count; ++i) {
      status = write_device_words(model.devices[i], stream);
    }
    return status;
  }
  std::uint32_t groups = 0;
  status = write_device_groups(model, stream, groups);
  s2 = 12 + 16 * model.class_count + kGroupBytesV2 * groups;
  return status;
}

Status write_high_level_section(const BoardModel& model, std::FILE* stream) {
  Status status = kStatusOk;
  for (std::uint32_t i = 0; status == kStatusOk && i < model.device_count; ++i) {
    status = write_word(model.device_classes[i], stream);
    for (std::size_t b = 0; status == kStatusOk && b < 8; ++b) {
      status = write_byte(static_cast<unsigned char>(model.device_names[i][b]), stream);
    }
  }
  return status;
}

Status seek_to(std::FILE* stream, long offset) {
  return std::fseek(stream, offset, SEEK_SET) == 0 ? kStatusOk : kStatusWriteFailed;
}

}  // namespace

Status write_board_database(const BoardModel& model, std::FILE* stream, std::uint8_t version) {
  const bool v2 = version == 2;
  std::uint32_t s1 = 0;
  if (v2) {
    const Status status = write_variable_section(model, stream, s1);
    if (status != kStatusOk) return status;
  }
  std::uint32_t s2 = 0;
  Status status = write_control_section(model, stream, version, s2);
  if (status == kStatusOk) status = write_high_level_section(model, stream);
  if (status != kStatusOk) return status;

  if (v2) {
    status = seek_to(stream, 8 + static_cast<long>(s1));
    if (status == kStatusOk) status = write_word(s2, stream);
    if (status != kStatusOk) return status;
  }
  // The version tag is the top byte of the first size word, which follows the label if any.
  status = seek_to(stream, 3 + (v2 ? static_cast<long>(kLabelLength) : 0));
  if (status == kStatusOk) status = write_byte(version, stream);
  // Rewinding flushes the tag byte; a flush that fails there is a failed write like any other, so
  // the rewind is a checked seek rather than a plain rewind.
  if (status == kStatusOk) status = seek_to(stream, 0);
  return status;
}

}  // namespace kvr
