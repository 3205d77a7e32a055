// Boards built by hand for the database tests, and the little-endian bytes that describe them.
#ifndef KVR_TESTS_DATABASE_BOARD_SAMPLES_H_
#define KVR_TESTS_DATABASE_BOARD_SAMPLES_H_

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>

#include "database/board_model.h"
#include "database/database_writer.h"
#include "support/test_files.h"

namespace kvr::testing {

// The words as they stand in a database file, least significant byte first.
inline std::string words(std::initializer_list<std::uint32_t> values) {
  std::string bytes;
  for (std::uint32_t v : values) {
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((v >> shift) & 0xFF);
  }
  return bytes;
}

// The bytes the writer gives for `model`, and its status in `status` when asked.
inline std::string written(const BoardModel& model, std::uint8_t version,
                           Status* status = nullptr) {
  UniqueFile file = empty_stream();
  const Status result = write_board_database(model, file.get(), version);
  if (status != nullptr) *status = result;
  return contents_of(file.get());
}

// A device as a board file states it; the path fields are laid out by lay_out_paths.
struct DeviceLine {
  std::string name;
  std::uint32_t cls_id;
  std::uint32_t mainIR;
  std::uint32_t parent = 0;  // dev_id of the linker, 0 on the main path
  std::uint32_t subpath = 0;
  std::uint32_t connect = 0;
};

inline void add_device(BoardModel& model, const DeviceLine& line, std::uint32_t high_class) {
  DeviceRecord d;
  d.dev_id = model.device_count + 1;
  d.cls_id = line.cls_id;
  d.parent = line.parent;
  d.subpath = line.subpath;
  d.connect = line.connect;
  d.mainIR = line.mainIR;
  DeviceName name{};
  for (std::size_t i = 0; i < line.name.size() && i < 8; ++i) name[i] = line.name[i];
  model.devices.push_back(d);
  model.device_names.push_back(name);
  model.device_classes.push_back(high_class);
  ++model.device_count;
}

inline void add_variable(BoardModel& model, std::string name, std::string value) {
  model.variables.push_back({std::move(name), std::move(value)});
  ++model.variable_count;
}

inline void add_class(BoardModel& model, ClassRecord record) {
  model.classes.push_back(record);
  ++model.class_count;
}

// Fills prior, the IR and DR counts and the linkers' sub_id from the devices' paths, the way a
// parse leaves them: counts before and after each device on its own path, plus one bit after it
// on a linker sub-path.
inline void lay_out_paths(BoardModel& model) {
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::vector<DeviceRecord*>> paths;
  for (DeviceRecord& d : model.devices) paths[{d.parent, d.subpath}].push_back(&d);
  for (auto& [key, path] : paths) {
    std::uint32_t total_ir = 0;
    for (const DeviceRecord* d : path) total_ir += d->mainIR;
    const std::uint32_t extra = key.first == 0 ? 0 : 1;
    std::uint32_t before_ir = 0;
    for (std::uint32_t i = 0; i < path.size(); ++i) {
      DeviceRecord& d = *path[i];
      d.prior = i == 0 ? 0 : path[i - 1]->dev_id;
      d.preIR = before_ir;
      d.preDR = i;
      d.posIR = total_ir - before_ir - d.mainIR + extra;
      d.posDR = static_cast<std::uint32_t>(path.size()) - i - 1 + extra;
      before_ir += d.mainIR;
    }
    if (key.first != 0) model.devices[key.first - 1].sub_id[key.second] = path.front()->dev_id;
  }
}

// The example board: two devices on the main path around a linker whose sub-paths 0 and 2 hold
// devices. cpu_b has arm's family but follows the sub-path, so it must open its own group.
inline BoardModel example_board() {
  BoardModel m;
  add_variable(m, "vorta_ecommode", "yes");
  add_variable(m, "vorta_tclk_program", "'automatic'");
  add_variable(m, "vorta_ecom_port", "0x240");
  for (std::uint32_t c = 0; c < 5; ++c) add_class(m, {c, 0x10 * c, 0, 0});
  add_device(m, {"cpu_a", 0, 4}, 0x100);
  add_device(m, {"link", 1, 8, 0, 0, 1}, 0x200);
  add_device(m, {"dsp_1", 2, 6, 2, 0}, 0x300);
  add_device(m, {"dsp_2", 3, 8, 2, 0}, 0x400);
  add_device(m, {"arm", 4, 4, 2, 2}, 0x500);
  add_device(m, {"cpu_b", 4, 4}, 0x501);
  lay_out_paths(m);
  return m;
}

}  // namespace kvr::testing

#endif  // KVR_TESTS_DATABASE_BOARD_SAMPLES_H_
