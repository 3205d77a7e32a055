// OpenOCD's `scan_chain' table, as OpenOCD prints it:
//      TapName             Enabled  IdCode     Expected   IrLen IrCap IrMask
//   -- ------------------- -------- ---------- ---------- ----- ----- ------
//    0 omap3530.dsp           n     0x00000000 0x00000000    38 0x25  0x3f
//    1 omap3530.cpu           Y     0x00000000 0x0b6d602f     4 0x01  0x0f
// A row a TAP, numbered from 0 for the TAP nearest TDO; a TAP with several expected IDCODEs gets a
// line more for each, holding that ID alone. Each TAP keeps its expected IDCODEs (an Expected of 0,
// which OpenOCD shows for a TAP that expects none, is none; a digit `*', one OpenOCD does not
// compare, is 0), its IrCap as -ircapture and its IrMask as -irmask. Lines before the header (the
// rest of OpenOCD's output) are skipped, and the table ends at the first line that is no row.
#ifndef KVR_BRIDGE_SCAN_CHAIN_TABLE_H_
#define KVR_BRIDGE_SCAN_CHAIN_TABLE_H_

#include <string>
#include <string_view>
#include <vector>

#include "bridge/imported_tap.h"

namespace kvr {

// Whether `text` holds the table's header line.
bool is_scan_chain_table(std::string_view text);

// The table's TAPs, from TDI to TDO; false with where it went wrong.
bool read_scan_chain_table(const std::string& file, std::string_view text,
                           std::vector<ImportedTap>& taps, ImportFailure& failure);

}  // namespace kvr

#endif  // KVR_BRIDGE_SCAN_CHAIN_TABLE_H_
