#include "view/json_export.h"

#include <nlohmann/json.hpp>

#include "database/scan_paths.h"

namespace kvr {
namespace {

using Json = nlohmann::ordered_json;

// The fields of a device record, as the analyser names them, but for sub_id.
using Field = std::pair<const char*, std::uint32_t DeviceRecord::*>;
constexpr Field kPathFields[] = {
    {"dev_id", &DeviceRecord::dev_id},   {"cls_id", &DeviceRecord::cls_id},
    {"prior", &DeviceRecord::prior},     {"parent", &DeviceRecord::parent},
    {"subpath", &DeviceRecord::subpath}, {"connect", &DeviceRecord::connect}};
constexpr Field kRegisterFields[] = {{"mainIR", &DeviceRecord::mainIR},
                                     {"preIR", &DeviceRecord::preIR},
                                     {"preDR", &DeviceRecord::preDR},
                                     {"posIR", &DeviceRecord::posIR},
                                     {"posDR", &DeviceRecord::posDR}};

Json device_json(const LoadedBoard& loaded, std::size_t i) {
  const DeviceRecord& d = loaded.board.devices[i];
  Json device;
  device["name"] = std::string(name_in(loaded.board.name_fields[i]));
  device["class"] = loaded.board.high_level[i];
  device["class_id"] = loaded.class_ids.empty() ? Json(nullptr) : Json(loaded.class_ids[i]);
  for (const auto& [name, field] : kPathFields) device[name] = d.*field;
  device["sub_id"] = d.sub_id;
  for (const auto& [name, field] : kRegisterFields) device[name] = d.*field;
  return device;
}

Json total_json(const PathTotal& total) {
  return {{"devices", total.devices}, {"ir_bits", total.ir_bits}};
}

Json linkers_json(const LoadedBoard& loaded, const ScanPaths& scan) {
  Json linkers = Json::array();
  for (const auto& [linker, sub_paths] : scan.sub_paths) {
    Json paths = Json::array(), totals = Json::array();
    for (const DevicePath& path : sub_paths) {
      Json ids = Json::array();
      for (const std::size_t i : path) ids.push_back(loaded.board.devices[i].dev_id);
      paths.push_back(ids);
      totals.push_back(total_json(path_total(loaded.board, path)));
    }
    linkers.push_back({{"name", std::string(name_in(loaded.board.name_fields[linker]))},
                       {"dev_id", loaded.board.devices[linker].dev_id},
                       {"sub_paths", paths},
                       {"sub_path_totals", totals}});
  }
  return linkers;
}

}  // namespace

std::string json_export(const LoadedBoard& loaded) {
  Json root;
  root["file"] = loaded.file_name;
  root["kind"] = loaded.from_database ? "database" : "configuration";
  root["version"] = loaded.board.version;
  root["variables"] = Json::array();
  for (const StoredVariable& variable : loaded.board.variables) {
    root["variables"].push_back({{"name", variable.name}, {"value", variable.value}});
  }
  root["classes"] = Json::array();
  for (const ClassRecord& c : loaded.board.classes) {
    root["classes"].push_back({{"rev", c.rev}, {"size", c.size}, {"addr", c.addr}, {"who", c.who}});
  }
  root["devices"] = Json::array();
  for (std::size_t i = 0; i < loaded.board.devices.size(); ++i) {
    root["devices"].push_back(device_json(loaded, i));
  }
  const ScanPaths scan = scan_paths(loaded.board);
  root["main_path"] = total_json(path_total(loaded.board, scan.main));
  root["linkers"] = linkers_json(loaded, scan);
  // Bytes that are no UTF-8 (a file name, or a value of a damaged database) become U+FFFD.
  return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace kvr
