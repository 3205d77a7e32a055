// OpenOCD's remote_bitbang protocol, as the simulated board answers it. The client sends one ASCII
// byte per action:
//   '0' to '7'  set the pins TCK, TMS and TDI to the bits of the value TCK*4 + TMS*2 + TDI; the
//               devices act on each rising edge of TCK
//   'R'         read TDO: the answer is '0' or '1'
//   'r' 's' 't' 'u'  set TRST and SRST to the bits of the value TRST*2 + SRST; 't' and 'u' assert
//               TRST, which holds every TAP in Test-Logic-Reset (SRST resets no part of a scan
//               path)
//   'B' 'b'     turn the adapter's LED on or off: nothing to do
//   'Q'         end the session
// Any other byte ends the connection: the protocol has no way to tell the client what went wrong.
#ifndef KVR_JTAG_BITBANG_PROTOCOL_H_
#define KVR_JTAG_BITBANG_PROTOCOL_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "jtag/simulated_path.h"

namespace kvr {

// The pins one client drives; a new connection starts with all of them low.
struct BitbangPins {
  bool tck = false, tms = false, tdi = false;
};

struct BitbangStop {
  enum class Reason { kNone, kQuit, kUnknownByte } reason = Reason::kNone;
  std::size_t used = 0;  // the bytes acted on, the stopping byte included
  char byte = 0;         // the unknown byte
};

// Acts on `bytes` in order until one of them stops the session, appending the answers to reads
// to `answers`.
BitbangStop feed_bitbang(BitbangPins& pins, SimulatedPath& path, std::string_view bytes,
                         std::string& answers);

}  // namespace kvr

#endif  // KVR_JTAG_BITBANG_PROTOCOL_H_
