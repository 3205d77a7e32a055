// A scan path of simulated IEEE 1149.1 devices, clocked one TCK edge at a time.
//
// Each device has a TAP controller, an instruction register (IR) of its own length and a one-bit
// BYPASS register. Capture-IR loads binary ...01 into the IR's shift stage (bit 0 one, every other
// bit zero), as the standard asks of every IR. A board description knows no IDCODE and no other
// data register, so BYPASS, which captures 0, is the data register at Test-Logic-Reset (reached by
// TMS or by TRST), under the all-ones instruction and, as the standard has it for the codes a
// device does not use, under every other one, except for a scan-path linker's SELECT (see
// simulated_linker.h). The instructions themselves are seen in the log.
//
// The devices in the chain are those of the main path and those of each linker's selected
// sub-path, which stand between the linker and the next device of the main path. While they
// shift, the chain is one shift register: TDI feeds the first device's most significant bit, each
// device's bit 0 feeds the next device, and the last device's bit 0 drives TDO. It is kept as a
// ring whose head is the bit at TDO, so a shift costs one write whatever the length of the chain.
// A capture or an update costs one pass over the chain (an update only over its linkers, but for
// the log), and a change of selection rebuilds the chain in one pass over the devices.
#ifndef KVR_JTAG_SIMULATED_PATH_H_
#define KVR_JTAG_SIMULATED_PATH_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jtag/simulated_linker.h"
#include "jtag/tap_state.h"

namespace kvr {

inline constexpr std::size_t kOnMainPath = static_cast<std::size_t>(-1);

struct SimulatedDevice {
  std::string name;
  std::uint32_t ir_length = 0;
  // A scan-path linker of the main path, with the sub-path (0 to 3) selected at start.
  bool is_linker = false;
  int selected_at_start = kNoSelection;
  // A device of a sub-path: its linker's place in the list, and the sub-path (0 to 3).
  std::size_t linker = kOnMainPath;
  int sub_path = 0;
};

// A linker in the chain as it stands, with where its registers stand from TDO.
struct LinkerInChain {
  std::size_t linker = 0;     // among the path's linkers
  std::size_t ir_offset = 0;  // the IR bits between its bit 0 and TDO
  std::size_t position = 0;   // the devices between it and TDO
  std::size_t dr_offset = 0;  // the data bits between it and TDO, set at Capture-DR
};

struct SimulatedPath {
  // The board's devices: the main path from TDI to TDO, each linker followed by the devices of
  // its sub-paths 0 to 3, each sub-path from TDI to TDO.
  std::vector<SimulatedDevice> devices;
  std::vector<SimulatedLinker> linkers;      // in the order of the devices
  std::vector<std::size_t> linker_of;        // a linker device's place among the linkers
  std::vector<std::size_t> chain;            // the devices in the chain, from TDI to TDO
  std::vector<LinkerInChain> chain_linkers;  // the linkers in the chain, from TDO
  std::vector<std::uint8_t> ir_capture;      // what Capture-IR loads, a bit a byte, from TDO
  TapState state = TapState::kTestLogicReset;
  bool trst = false;  // TRST asserted: every TAP held in Test-Logic-Reset
  enum class Held { kNothing, kInstructions, kData } held = Held::kNothing;  // what the ring holds
  std::vector<std::uint8_t> ring;  // the shift stages of the last capture, a bit a byte
  std::size_t head = 0;            // the ring's bit at TDO
  bool log_updates = false;
  // With log_updates, after each Update-IR "ir NAME=HEX ..." for every device of the chain from
  // TDI to TDO, its instruction in hexadecimal, most significant digit first; and at each change
  // of a linker's selection "select LINKER=K", or "select LINKER=none".
  std::string log;
};

// A path of `devices`, in Test-Logic-Reset, each linker with its start-up selection. A device
// that names as its linker no linker before it stands on the main path.
SimulatedPath simulated_path(std::vector<SimulatedDevice> devices, bool log_updates);

// A rising edge of TCK with TMS and TDI at the given levels.
void clock_rising_edge(SimulatedPath& path, bool tms, bool tdi);

// The level of TDO while TCK is low: the last device's bit 0 in Shift-IR or Shift-DR (TDI itself
// on a chain without devices), and high otherwise, as an undriven line pulled up reads.
bool tdo_level(const SimulatedPath& path, bool tdi);

void set_trst(SimulatedPath& path, bool asserted);

}  // namespace kvr

#endif  // KVR_JTAG_SIMULATED_PATH_H_
