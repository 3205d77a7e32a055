// A version 2 board.cfg made of imported TAPs: each TAP in the chain becomes a device of the bypass
// family whose class ID gives its IR length in three hexadecimal digits (a 6-bit IR is
// BYPASS006), with its full name (CHIP.TAP) and the options its file gave it in a comment on its
// line, as OpenOCD's options: each -expected-id as 0x%08x, -ircapture and -irmask as 0x%02x. A
// TAP out of the chain (declared -disable) is left out, with the same comment in its place. A TAP
// that a script's tap-enable handlers make a scan-path linker (bridge/tap_enable_handlers.h)
// becomes a linker (SPL), followed by its four sub-paths, each the devices of that sub-path that
// stand right after it, in their order, whether they were declared enabled or disabled; the
// note of a TAP whose handler was not understood ends its comment, in parentheses.
//
// The naming rule, for the devices from TDI to TDO. A TAP CHIP.TAP (or TAP alone, from a BSDL
// entity) is named TAP when that is a valid device name (1 to 8 letters, digits and '_', a letter
// first) that no other device of the chain has, letter case ignored: `cpu', `bs'. Every other TAP
// is named CHIP_TAP shortened: the chip's first letters (from its first letter to the next
// character that is no letter: `stm' of stm32f4x), as many as leave the TAP's part 4 characters
// (or all of it, when shorter), `_', and the TAP's letters, digits and '_', cut to 8 characters:
// `stm_cpu', `zynq_bs'; without a letter in the chip, the TAP's letters, digits and '_' from its
// first letter on (`tap' when it has none), cut to 8. Only while that name is taken (by a TAP's
// own name, or by an earlier TAP's shortened or numbered one), the smallest number n from 2 up
// whose `_n' ends the name cut short enough to fit gives one that is not: `stm_cp_2'. Names are
// written in lower case, as kvrbuild stores them.
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
