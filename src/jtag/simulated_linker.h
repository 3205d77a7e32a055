// The scan-path linker of the simulated board, switched at run time through registers of its own.
//
// A linker is a TAP of the main path with the instruction register its class gives it (8 bits for
// SPL), whose Capture-IR loads binary ...01 as every TAP's does. The instruction 0x02 is SELECT;
// every other one, 0xFF included, puts the linker's one-bit BYPASS register between TDI and TDO.
// Under SELECT the data register is 3 bits wide: Capture-DR loads the current selection (4 when
// no sub-path is selected), and at Update-DR a value from 0 to 3 selects that sub-path and one
// from 4 to 7 selects none. The chain changes at once, so the next scan shifts through the new
// chain: the selected sub-path's devices stand between the linker and the next device of the main
// path. Test-Logic-Reset, reached by TMS or held by TRST, gives the linker the BYPASS instruction
// and the selection it had at start, as OpenOCD assumes: after every JTAG reset it counts each TAP
// in or out of the chain as it was declared.
#ifndef KVR_JTAG_SIMULATED_LINKER_H_
#define KVR_JTAG_SIMULATED_LINKER_H_

#include <cstddef>
#include <cstdint>

namespace kvr {

inline constexpr int kNoSelection = -1;
inline constexpr std::uint32_t kSelectInstruction = 0x02;
inline constexpr std::size_t kSelectRegisterBits = 3;
inline constexpr unsigned kNoneSelectedValue = 4;

struct SimulatedLinker {
  std::size_t device = 0;       // its place among the path's devices
  int at_reset = kNoSelection;  // the sub-path selected at start and after Test-Logic-Reset
  int selected = kNoSelection;
  bool selecting = false;  // its instruction is SELECT, so its data register is the selection
};

// Bit `b` of the SELECT instruction, in an instruction register of any length of 2 bits or more.
inline bool select_bit(std::size_t b) {
  return b < 32 && ((kSelectInstruction >> b) & 1) != 0;
}

// What Capture-DR loads under SELECT.
inline unsigned captured_selection(const SimulatedLinker& linker) {
  return linker.selected == kNoSelection ? kNoneSelectedValue
                                         : static_cast<unsigned>(linker.selected);
}

// The sub-path that the value of the data register selects at Update-DR.
inline int selection_of(unsigned value) {
  return value < kNoneSelectedValue ? static_cast<int>(value) : kNoSelection;
}

// Test-Logic-Reset; true when the selection changed.
inline bool reset_linker(SimulatedLinker& linker) {
  linker.selecting = false;
  const bool changed = linker.selected != linker.at_reset;
  linker.selected = linker.at_reset;
  return changed;
}

}  // namespace kvr

#endif  // KVR_JTAG_SIMULATED_LINKER_H_
