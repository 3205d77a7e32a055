// kvrview --diff: two boards compared as boards, whichever kind of file each came from. A board is
// what both a board.cfg and its database hold: the configure variables (a version 1 database holds
// none, and then they are not compared), the devices by name, each with its place on its path, its
// class (the high-level class and the block of class records it uses; a board.cfg's class ID is
// shown, never compared, since a database keeps none) and its IR length, and what each path adds
// up to. Devices are matched by name, in time linear in the boards (a hash of the names, and the
// longest run of devices kept in order found in n log n): a device is moved when it changed paths
// or left the order of the devices both boards have on its path.
//
// One difference a line, in this order: the version; the variables changed, removed (in the
// first board's order) and added (in the second's); the devices removed, then the second board's
// devices added, moved, of another class or of another IR length, in its order; then each path
// whose totals differ, the main path first. A place is written PATH#N, the N-th device of PATH:
// `main', or LINKER:K for sub-path K of the linker LINKER.
//   version: 1 -> 2
//   variable [POD_PORT]: 0x378 -> 0x278
//   variable [VORTA_ECOMMODE] removed: yes
//   variable [VORTA_X] added: 1
//   device fpga removed: main#1, BYPASS006 (0x2006), IR 6
//   device arm_d added: main#6, QVARM903 (0x8103), IR 4
//   device arm_a moved: main#4 -> link:2#2
//   device dsp_a class: QV740K42A5 (0xB4A5) -> 0xB4A6
//   device dsp_a IR: 38 -> 8
//   path main: 5 devices, 60 IR bits -> 4 devices, 58 IR bits
#ifndef KVR_VIEW_BOARD_DIFF_H_
#define KVR_VIEW_BOARD_DIFF_H_

#include <string>

#include "lint/board_input.h"

namespace kvr {

struct BoardDiff {
  std::string lines;  // the differences, empty when the boards are the same
  std::string notes;  // for standard error: what could not be compared, and why
};
BoardDiff board_diff(const LoadedBoard& a, const LoadedBoard& b);

}  // namespace kvr

#endif  // KVR_VIEW_BOARD_DIFF_H_
