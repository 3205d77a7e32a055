#include "database/database_writer.h"

#include <array>
#include <cstdint>
#include <new>

#include "database/byte_io.h"
#include "database/device_walk.h"
#include "database/format.h"

namespace kvr {
namespace {

using namespace format;

void put_device(ByteWriter& out, const DeviceRecord& d) {
  out.words(std::array<std::uint32_t, kDeviceWords>{
      d.dev_id, d.cls_id, d.prior, d.parent, d.subpath, d.connect, d.sub_id[0], d.sub_id[1],
      d.sub_id[2], d.sub_id[3], d.mainIR, d.preIR, d.preDR, d.posIR, d.posDR});
}

// S1, the variables and their padding, after the label. `s1` receives the section's size.
Status write_variable_section(const BoardModel& model, ByteWriter& out, std::uint32_t& s1) {
  const std::uint64_t size = kFirstHeaderBytes + model.variables.size();
  const std::uint64_t padding = (4 - size % 4) % 4;
  if (size + padding > kSizeMask) return kStatusSectionTooLarge;
  s1 = static_cast<std::uint32_t>(size + padding);
  out.word(s1);
  out.word(model.variable_count);
  model.variables.for_each_block([&](const char* bytes, std::size_t count) {
    out.bytes(bytes, count);
    return true;
  });
  out.bytes("\0\0\0", padding);
  return out.flush();
}

// The device records, or in version 2 the device groups; `groups` receives their number.
void put_devices(const BoardModel& model, ByteWriter& out, bool v2, std::uint32_t& groups) {
  DeviceWalk walk(model);
  DeviceRecord previous;
  groups = 0;
  std::uint32_t run = 0;
  for (DeviceRecord device; walk.next(device); previous = device) {
    if (v2 && run > 0 && joins_device_group(device, previous)) {
      ++run;
      continue;
    }
    if (v2 && run > 0) out.word(run);
    put_device(out, device);
    ++groups;
    run = 1;
  }
  if (v2 && run > 0) out.word(run);
}

Status write_control_and_high_level(const BoardModel& model, ByteWriter& out, bool v2,
                                    std::uint32_t& s2) {
  const std::uint64_t per_device = v2 ? kDeviceGroupBytes : kDeviceRecordBytes;
  // In version 2 the limit is checked before grouping, so it bounds the ungrouped size.
  const std::uint64_t provisional = kSecondHeaderBytes +
                                    std::uint64_t{kClassRecordBytes} * model.class_count +
                                    per_device * model.device_count;
  if (provisional > kSizeMask) return kStatusSectionTooLarge;
  s2 = static_cast<std::uint32_t>(provisional);
  out.word(s2);
  out.word(model.device_count);
  out.word(model.class_count);
  for (const ClassRecord& c : model.classes) {
    out.words(std::array<std::uint32_t, 4>{c.rev, c.size, c.addr, c.who});
  }
  std::uint32_t groups = 0;
  put_devices(model, out, v2, groups);
  if (v2)
    s2 = kSecondHeaderBytes + kClassRecordBytes * model.class_count + kDeviceGroupBytes * groups;
  for (std::size_t i = 0; i < model.devices.size(); ++i) {
    out.word(model.devices[i].high_level);
    out.bytes(model.devices[i].name.data(), kNameFieldBytes);
  }
  return out.flush();
}

}  // namespace

Status write_board_database(const BoardModel& model, ByteSink& sink, std::uint8_t version) {
  const bool v2 = version == 2;
  std::uint32_t s1 = 0;
  std::uint32_t s2 = 0;
  try {
    ByteWriter out(sink);
    // A label that cannot be written means the output is not usable at all; it is reported as
    // the read-side failure code, unlike every later write.
    if (v2 && !sink.write(kDatabaseLabel, kLabelLength)) return kStatusReadFailed;
    Status status = v2 ? write_variable_section(model, out, s1) : kStatusOk;
    if (status == kStatusOk) status = write_control_and_high_level(model, out, v2, s2);
    if (status != kStatusOk) return status;
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  // The exact S2 and the version tag, known only now, are written last: a file cut short by a
  // failure never carries a valid tag.
  const auto patch = [&](std::uint64_t offset, const char* bytes, std::size_t size) {
    return sink.seek(offset) && sink.write(bytes, size);
  };
  const char s2_bytes[3] = {static_cast<char>(s2), static_cast<char>(s2 >> 8),
                            static_cast<char>(s2 >> 16)};
  const char tag = static_cast<char>(version);
  const bool patched = (!v2 || patch(kLabelLength + s1, s2_bytes, 3)) &&
                       patch((v2 ? kLabelLength : 0) + kTagShift / 8, &tag, 1) && sink.seek(0);
  return patched ? kStatusOk : kStatusWriteFailed;
}

Status write_board_database(const BoardModel& model, std::FILE* stream, std::uint8_t version) {
  // Going back to the start flushes the stream: a flush that fails is a failed write like any
  // other.
  FileSink sink(stream);
  return write_board_database(model, sink, version);
}

}  // namespace kvr
