#include "jtag/simulated_path.h"

#include <algorithm>
#include <utility>

namespace kvr {
namespace {

bool in_chain(const SimulatedPath& path, const SimulatedDevice& device) {
  return device.linker == kOnMainPath ||
         path.linkers[path.linker_of[device.linker]].selected == device.sub_path;
}

// The chain of the current selections, its IR capture and its linkers, in one pass over the
// devices and one over the chain's IR bits.
void rebuild_chain(SimulatedPath& path) {
  path.chain.clear();
  path.chain_linkers.clear();
  std::size_t ir_bits = 0;
  for (std::size_t d = 0; d < path.devices.size(); ++d) {
    if (!in_chain(path, path.devices[d])) continue;
    path.chain.push_back(d);
    ir_bits += path.devices[d].ir_length;
  }
  path.ir_capture.assign(ir_bits, 0);
  std::size_t offset = 0;
  for (std::size_t i = path.chain.size(); i-- > 0;) {
    const SimulatedDevice& device = path.devices[path.chain[i]];
    if (device.ir_length > 0) path.ir_capture[offset] = 1;
    if (device.is_linker) {
      path.chain_linkers.push_back(
          {path.linker_of[path.chain[i]], offset, path.chain.size() - 1 - i, 0});
    }
    offset += device.ir_length;
  }
  path.held = SimulatedPath::Held::kNothing;
}

void log_selection(SimulatedPath& path, const SimulatedLinker& linker) {
  if (!path.log_updates) return;
  path.log += "select " + path.devices[linker.device].name + "=" +
              (linker.selected == kNoSelection ? "none" : std::to_string(linker.selected)) + "\n";
}

std::uint8_t ring_bit(const SimulatedPath& path, std::size_t from_tdo) {
  const std::size_t at = path.head + from_tdo;
  return path.ring[at < path.ring.size() ? at : at - path.ring.size()];
}

void capture_ir(SimulatedPath& path) {
  path.ring = path.ir_capture;
  path.head = 0;
  path.held = SimulatedPath::Held::kInstructions;
}

// BYPASS captures 0; a linker under SELECT loads its selection into its three bits.
void capture_dr(SimulatedPath& path) {
  std::size_t wider = 0;
  for (LinkerInChain& in : path.chain_linkers) {
    in.dr_offset = in.position + wider;
    if (path.linkers[in.linker].selecting) wider += kSelectRegisterBits - 1;
  }
  path.ring.assign(path.chain.size() + wider, 0);
  for (const LinkerInChain& in : path.chain_linkers) {
    const SimulatedLinker& linker = path.linkers[in.linker];
    if (!linker.selecting) continue;
    for (std::size_t b = 0; b < kSelectRegisterBits; ++b) {
      path.ring[in.dr_offset + b] = (captured_selection(linker) >> b) & 1;
    }
  }
  path.head = 0;
  path.held = SimulatedPath::Held::kData;
}

// Every stage moves one place towards TDO and TDI enters the first device: the bit that left at
// TDO frees the slot that becomes the new end at TDI.
void shift(SimulatedPath& path, bool tdi) {
  if (path.ring.empty()) return;
  path.ring[path.head] = tdi ? 1 : 0;
  path.head = path.head + 1 == path.ring.size() ? 0 : path.head + 1;
}

bool holds_select(const SimulatedPath& path, const LinkerInChain& in) {
  const std::uint32_t length = path.devices[path.linkers[in.linker].device].ir_length;
  if (length < 2) return false;
  for (std::size_t b = 0; b < length; ++b) {
    if ((ring_bit(path, in.ir_offset + b) != 0) != select_bit(b)) return false;
  }
  return true;
}

void log_instructions(SimulatedPath& path) {
  std::string line = "ir";
  std::size_t below = path.ring.size();  // the IR bits from the device's top to TDO
  for (const std::size_t d : path.chain) {
    const SimulatedDevice& device = path.devices[d];
    const std::uint32_t length = device.ir_length;
    below -= length;
    line += " " + device.name + "=";
    for (std::uint32_t digit = (length + 3) / 4; digit-- > 0;) {
      unsigned value = 0;
      for (std::uint32_t b = std::min(length, 4 * digit + 4); b-- > 4 * digit;) {
        value = value * 2 + ring_bit(path, below + b);
      }
      line += "0123456789ABCDEF"[value];
    }
  }
  path.log += line + "\n";
}

void update_ir(SimulatedPath& path) {
  if (path.held != SimulatedPath::Held::kInstructions) return;
  for (const LinkerInChain& in : path.chain_linkers) {
    path.linkers[in.linker].selecting = holds_select(path, in);
  }
  if (path.log_updates) log_instructions(path);
}

void update_dr(SimulatedPath& path) {
  if (path.held != SimulatedPath::Held::kData) return;
  bool changed = false;
  for (auto in = path.chain_linkers.rbegin(); in != path.chain_linkers.rend(); ++in) {
    SimulatedLinker& linker = path.linkers[in->linker];
    if (!linker.selecting) continue;
    unsigned value = 0;
    for (std::size_t b = kSelectRegisterBits; b-- > 0;) {
      value = value * 2 + ring_bit(path, in->dr_offset + b);
    }
    if (selection_of(value) == linker.selected) continue;
    linker.selected = selection_of(value);
    log_selection(path, linker);
    changed = true;
  }
  if (changed) rebuild_chain(path);
}

void reset(SimulatedPath& path) {
  bool changed = false;
  for (SimulatedLinker& linker : path.linkers) {
    if (!reset_linker(linker)) continue;
    log_selection(path, linker);
    changed = true;
  }
  if (changed) rebuild_chain(path);
  path.held = SimulatedPath::Held::kNothing;
}

}  // namespace

SimulatedPath simulated_path(std::vector<SimulatedDevice> devices, bool log_updates) {
  SimulatedPath path;
  path.devices = std::move(devices);
  path.linker_of.assign(path.devices.size(), 0);
  for (std::size_t d = 0; d < path.devices.size(); ++d) {
    SimulatedDevice& device = path.devices[d];
    const bool member = device.linker < d && path.devices[device.linker].is_linker;
    if (!member) device.linker = kOnMainPath;
    device.is_linker = device.is_linker && device.linker == kOnMainPath;
    if (!device.is_linker) continue;
    path.linker_of[d] = path.linkers.size();
    const int start = device.selected_at_start >= 0 && device.selected_at_start < 4
                          ? device.selected_at_start
                          : kNoSelection;
    path.linkers.push_back({d, start, start, false});
  }
  path.log_updates = log_updates;
  rebuild_chain(path);
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
  const TapState before = path.state;
  path.state = next_tap_state(path.state, tms);
  if (path.state == TapState::kUpdateIr) update_ir(path);
  if (path.state == TapState::kUpdateDr) update_dr(path);
  if (path.state == TapState::kTestLogicReset && before != TapState::kTestLogicReset) reset(path);
}

bool tdo_level(const SimulatedPath& path, bool tdi) {
  if (path.state != TapState::kShiftIr && path.state != TapState::kShiftDr) return true;
  return path.ring.empty() ? tdi : path.ring[path.head] != 0;
}

void set_trst(SimulatedPath& path, bool asserted) {
  if (asserted && !path.trst) reset(path);
  path.trst = asserted;
  if (asserted) path.state = TapState::kTestLogicReset;
}

}  // namespace kvr
