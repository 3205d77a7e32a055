// A version 2 board.cfg made of imported TAPs: each TAP in the chain becomes a device of the bypass
// family whose class ID gives its IR length in three hexadecimal digits (a 6-bit IR is
// BYPASS006), with its original name in a comment on its line; a TAP out of the chain (declared
// -disable) is left out, with a comment in its place.
//
// The naming rule, applied from TDI to TDO. A TAP CHIP.TAP (or TAP alone, from a BSDL entity) is
// named TAP when that is a valid device name (1 to 8 letters, digits and '_', a letter first)
// that no earlier device has, letter case ignored. Otherwise CHIP_TAP is kept to its letters,
// digits and '_', from its first letter on (`tap' when it has none), and cut to 8 characters;
// while that name is taken, the smallest number n from 2 up whose `_n' ends the name cut short
// enough to fit gives one that is not. Names are written in lower case, as kvrbuild stores them.
// A name is never longer than 8 characters: the numbers end at _999999, which leaves the name its
// first letter, and a TAP that finds all of them taken (a chain of a million TAPs of one name,
// far more than the 262,143 devices a database can hold) gets the first free spare name, in the
// order a0000000, a0000001, ..., a letter and seven letters, digits or '_', more than any memory
// holds TAPs for. The search is linear in the number of TAPs for every shape of names.
//
// Every comment passes through board_config_comment (bridge/generated_text.h): a TAP's name or a
// file name, however long and whatever bytes it holds, becomes printable comment lines within
// the line limit of a board.cfg.
#ifndef KVR_BRIDGE_BOARD_FROM_TAPS_H_
#define KVR_BRIDGE_BOARD_FROM_TAPS_H_

#include <string>
#include <vector>

#include "bridge/imported_tap.h"

namespace kvr {

// The device names of the TAPs in the chain, in their order.
std::vector<std::string> device_names(const std::vector<ImportedTap>& taps);

// The board.cfg of `taps`, from TDI to TDO, whose header names the files it was made from.
std::string board_config_of(const std::vector<ImportedTap>& taps,
                            const std::vector<std::string>& sources);

}  // namespace kvr

#endif  // KVR_BRIDGE_BOARD_FROM_TAPS_H_
