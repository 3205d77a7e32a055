#include "database/database_writer.h"

#include <cstdint>

#include "database/byte_io.h"
#include "database/format.h"
#include "database/path_rules.h"

namespace kvr {
namespace {

using namespace format;

bool joins_group(const DeviceRecord& device, const DeviceRecord& previous) {
  const bool baseline_rule =
      device.connect == 0 && device.parent == 0 && device.cls_id == previous.cls_id;
  // The derivation check keeps the grouping lossless (the grouping notes in database/format.h).
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
    if (write_byte(static_cast<unsigned char>(kDatabaseLabel[i]), stream) != kStatusOk) {
      return kStatusReadFailed;
    }
  }
  std::uint64_t size = kFirstHeaderBytes;
  for (std::uint32_t i = 0; i < model.variable_count; ++i) {
    size += model.variables[i].name.size() + 1 + model.variables[i].value.size() + 1;
  }
  const std::uint64_t padding = (4 - size % 4) % 4;
  size += padding;
  if (size > kSizeMask) return kStatusSectionTooLarge;
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
  const std::uint64_t per_device = version == 2 ? kDeviceGroupBytes : kDeviceRecordBytes;
  // In version 2 the limit is checked before grouping, so it bounds the ungrouped size.
  const std::uint64_t provisional = kSecondHeaderBytes +
                                    std::uint64_t{kClassRecordBytes} * model.class_count +
                                    per_device * model.device_count;
  if (provisional > kSizeMask) return kStatusSectionTooLarge;
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
  s2 = kSecondHeaderBytes + kClassRecordBytes * model.class_count + kDeviceGroupBytes * groups;
  return status;
}

Status write_high_level_section(const BoardModel& model, std::FILE* stream) {
  Status status = kStatusOk;
  for (std::uint32_t i = 0; status == kStatusOk && i < model.device_count; ++i) {
    status = write_word(model.device_classes[i], stream);
    for (std::size_t b = 0; status == kStatusOk && b < kNameFieldBytes; ++b) {
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
    status = seek_to(stream, static_cast<long>(kLabelLength + s1));
    if (status == kStatusOk) status = write_word(s2, stream);
    if (status != kStatusOk) return status;
  }
  // The version tag is the top byte of the first size word, which follows the label if any.
  status = seek_to(stream, (v2 ? static_cast<long>(kLabelLength) : 0) + kTagShift / 8);
  if (status == kStatusOk) status = write_byte(version, stream);
  // Rewinding flushes the tag byte; a flush that fails there is a failed write like any other, so
  // the rewind is a checked seek rather than a plain rewind.
  if (status == kStatusOk) status = seek_to(stream, 0);
  return status;
}

}  // namespace kvr
