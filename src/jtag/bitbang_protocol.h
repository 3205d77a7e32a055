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
#include <cstdint>
#include <string>
#include <string_view>

#include "jtag/simulated_path.h"

namespace kvr {

// The pins one client drives; a new connection starts with all of them low.
struct BitbangPins {
  bool tck = false, tms = false, tdi = false;
};

struct BitbangStop {
  // kLogFull: the path's log has reached the limit; the caller writes it out and feeds the rest.
  enum class Reason { kNone, kQuit, kUnknownByte, kLogFull } reason = Reason::kNone;
  std::size_t used = 0;  // the bytes acted on, the stopping byte included
  char byte = 0;         // the unknown byte
};

// Acts on `bytes` in order until one of them stops the session or makes the path's log reach
// `log_limit` bytes, appending the answers to reads to `answers`. The log passes the limit by at
// most what one byte adds (a line of the chain's instructions, or the lines of one reset's
// changes of selection), so that what a client's bytes make the server hold stays bounded.
BitbangStop feed_bitbang(BitbangPins& pins, SimulatedPath& path, std::string_view bytes,
                         std::string& answers, std::size_t log_limit = SIZE_MAX);

}  // namespace kvr

#endif  // KVR_JTAG_BITBANG_PROTOCOL_H_
