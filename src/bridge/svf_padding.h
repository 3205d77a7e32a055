// The SVF padding that addresses one device of the chain with every other device in BYPASS:
//   HIR/HDR  the devices between the device and TDO, which an SVF player shifts first;
//   TIR/TDR  the devices between TDI and the device.
// IR padding is all ones, the BYPASS instruction (HIR 6 TDI (3F);); DR padding is one zero bit a
// bypassed device (HDR 2 TDI (0);); a length 0 is written alone (TIR 0;). The comment before
// them passes through svf_comment (bridge/generated_text.h): a name or a file name from outside,
// made printable, cannot end it.
#ifndef KVR_BRIDGE_SVF_PADDING_H_
#define KVR_BRIDGE_SVF_PADDING_H_

#include <string>
#include <vector>

#include "base/outcome.h"
#include "bridge/board_chain.h"

namespace kvr {

// The four commands for `device` (letter case ignored, as device names are), after a comment that
// names it and `source`. A device the board does not have, or one on a sub-path out of the
// chain, fails with the reason in `problem`.
Outcome svf_padding(const std::vector<ChainTap>& chain, const std::string& device,
                    const std::string& source, std::string& svf, std::string& problem);

}  // namespace kvr

#endif  // KVR_BRIDGE_SVF_PADDING_H_
