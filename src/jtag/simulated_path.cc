#include "jtag/simulated_path.h"

#include <algorithm>
#include <utility>

namespace kvr {
namespace {

void capture_ir(SimulatedPath& path) {
  path.ring.assign(path.ir_bits, 0);
  for (std::size_t d = 0; d < path.devices.size(); ++d) {
    if (path.devices[d].ir_length > 0) path.ring[path.ir_offset[d]] = 1;
  }
  path.head = 0;
}

void capture_dr(SimulatedPath& path) {
  path.ring.assign(path.devices.size(), 0);
  path.head = 0;
}

// Every stage moves one place towards TDO and TDI enters the first device: the bit that left at
// TDO frees the slot that becomes the new end at TDI.
void shift(SimulatedPath& path, bool tdi) {
  if (path.ring.empty()) return;
  path.ring[path.head] = tdi ? 1 : 0;
  path.head = path.head + 1 == path.ring.size() ? 0 : path.head + 1;
}

void update_ir(SimulatedPath& path) {
  if (path.ring.size() != path.ir_bits) return;
  for (std::size_t i = 0; i < path.ir_bits; ++i) {
    path.instructions[i] = path.ring[(path.head + i) % path.ir_bits];
  }
  if (path.log_updates) path.log += instruction_line(path);
}

}  // namespace

SimulatedPath simulated_path(std::vector<SimulatedDevice> devices, bool log_updates) {
  SimulatedPath path;
  path.devices = std::move(devices);
  path.ir_offset.resize(path.devices.size());
  for (std::size_t d = path.devices.size(); d-- > 0;) {
    path.ir_offset[d] = path.ir_bits;
    path.ir_bits += path.devices[d].ir_length;
  }
  path.instructions.assign(path.ir_bits, 1);
  path.log_updates = log_updates;
  return path;
}

void clock_rising_edge(SimulatedPath& path, bool tms, bool tdi) {
  if (path.trst) return;
  switch (path.state) {
    case TapState::kCaptureIr:
      capture_ir(path);
      break;
    case TapState::kCaptureDr:
      capture_dr(path);
      break;
    case TapState::kShiftIr:
    case TapState::kShiftDr:
      shift(path, tdi);
      break;
    default:
      break;
  }
  path.state = next_tap_state(path.state, tms);
  if (path.state == TapState::kUpdateIr) update_ir(path);
}

bool tdo_level(const SimulatedPath& path, bool tdi) {
  if (path.state != TapState::kShiftIr && path.state != TapState::kShiftDr) return true;
  return path.ring.empty() ? tdi : path.ring[path.head] != 0;
}

void set_trst(SimulatedPath& path, bool asserted) {
  path.trst = asserted;
  if (asserted) path.state = TapState::kTestLogicReset;
}

std::string instruction_line(const SimulatedPath& path) {
  std::string line = "ir";
  for (std::size_t d = 0; d < path.devices.size(); ++d) {
    line += " " + path.devices[d].name + "=";
    const std::uint32_t length = path.devices[d].ir_length;
    for (std::uint32_t digit = (length + 3) / 4; digit-- > 0;) {
      unsigned value = 0;
      for (std::uint32_t b = std::min(length, 4 * digit + 4); b-- > 4 * digit;) {
        value = value * 2 + path.instructions[path.ir_offset[d] + b];
      }
      line += "0123456789ABCDEF"[value];
    }
  }
  return line + "\n";
}

}  // namespace kvr
