#include "jtag/bitbang_protocol.h"

namespace kvr {
namespace {

void set_pins(BitbangPins& pins, SimulatedPath& path, int value) {
  const bool tck = (value & 4) != 0;
  pins.tms = (value & 2) != 0;
  pins.tdi = (value & 1) != 0;
  if (tck && !pins.tck) clock_rising_edge(path, pins.tms, pins.tdi);
  pins.tck = tck;
}

}  // namespace

BitbangStop feed_bitbang(BitbangPins& pins, SimulatedPath& path, std::string_view bytes,
                         std::string& answers, std::size_t log_limit) {
  BitbangStop stop;
  for (const char byte : bytes) {
    ++stop.used;
    if (byte >= '0' && byte <= '7') {
      set_pins(pins, path, byte - '0');
    } else if (byte == 'R') {
      answers += tdo_level(path, pins.tdi) ? '1' : '0';
    } else if (byte >= 'r' && byte <= 'u') {
      set_trst(path, byte >= 't');
    } else if (byte == 'Q') {
      stop.reason = BitbangStop::Reason::kQuit;
      return stop;
    } else if (byte != 'B' && byte != 'b') {
      stop.reason = BitbangStop::Reason::kUnknownByte;
      stop.byte = byte;
      return stop;
    }
    if (path.log.size() >= log_limit) {
      stop.reason = BitbangStop::Reason::kLogFull;
      return stop;
    }
  }
  return stop;
}

}  // namespace kvr
