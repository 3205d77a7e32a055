// A scan path of simulated IEEE 1149.1 devices, clocked one TCK edge at a time.
//
// Each device has a TAP controller, an instruction register (IR) of its own length and a one-bit
// BYPASS register. Capture-IR loads binary ...01 into the IR's shift stage (bit 0 one, every other
// bit zero), as the standard asks of every IR. A board description knows no IDCODE and no other
// data register, so BYPASS, which captures 0, is the data register at Test-Logic-Reset (reached by
// TMS or by TRST), under the all-ones instruction and, as the standard has it for the codes a
// device does not use, under every other one. The instructions themselves are seen in the log.
//
// While the devices shift, the whole path is one shift register: TDI feeds the first device's
// most significant bit, each device's bit 0 feeds the next device, and the last device's bit 0
// drives TDO. It is kept as a ring whose head is the bit at TDO, so a shift costs one write
// whatever the length of the path; a capture or an update costs one pass over it.
#ifndef KVR_JTAG_SIMULATED_PATH_H_
#define KVR_JTAG_SIMULATED_PATH_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jtag/tap_state.h"

namespace kvr {

struct SimulatedDevice {
  std::string name;
  std::uint32_t ir_length = 0;
};

struct SimulatedPath {
  std::vector<SimulatedDevice> devices;  // from TDI to TDO
  // The IR bits between each device and TDO: where its IR's bit 0 stands, counted from TDO.
  std::vector<std::size_t> ir_offset;
  std::size_t ir_bits = 0;
  TapState state = TapState::kTestLogicReset;
  bool trst = false;                       // TRST asserted: every TAP held in Test-Logic-Reset
  std::vector<std::uint8_t> instructions;  // the last Update-IR's, a bit a byte, from TDO
  std::vector<std::uint8_t> ring;          // the shift stages of the last capture, a bit a byte
  std::size_t head = 0;                    // the ring's bit at TDO
  bool log_updates = false;
  std::string log;  // with log_updates, a line of every device's instruction after each Update-IR
};

// A path of `devices`, from TDI to TDO, in Test-Logic-Reset.
SimulatedPath simulated_path(std::vector<SimulatedDevice> devices, bool log_updates);

// A rising edge of TCK with TMS and TDI at the given levels.
void clock_rising_edge(SimulatedPath& path, bool tms, bool tdi);

// The level of TDO while TCK is low: the last device's bit 0 in Shift-IR or Shift-DR (TDI itself
// on a path without devices), and high otherwise, as an undriven line pulled up reads.
bool tdo_level(const SimulatedPath& path, bool tdi);

void set_trst(SimulatedPath& path, bool asserted);

// "ir NAME=HEX ..." for every device from TDI to TDO, the instruction in hexadecimal, most
// significant digit first.
std::string instruction_line(const SimulatedPath& path);

}  // namespace kvr

#endif  // KVR_JTAG_SIMULATED_PATH_H_
