// The inputs of the bridge to the JTAG tools, on arbitrary bytes; the first byte, modulo 4,
// chooses which:
//   0  remote_bitbang bytes for a simulated path whose devices' IR lengths are the bytes that
//      follow, up to a zero byte (at most 16 devices)
//   1  an OpenOCD script: the rest split at each 0x01 byte into the script and the files 1.tcl,
//      2.tcl, ... that its find and source reach, all in memory, with small limits
//   2  a BSDL file
//   3  OpenOCD's scan_chain table
// The protocol answers one '0' or '1' to each 'R' it acts on, stops only at 'Q' or at a byte it
// lacks and acts on nothing after it, and logs every device with the digits its IR needs. A
// reader that succeeds gives IR lengths from 1 to 0x400 and a board.cfg that kvrbuild parses
// into one device for each TAP in the chain; one that fails points at a line and column.
#include <algorithm>
#include <map>

#include "bridge/board_from_taps.h"
#include "bridge/bsdl_reader.h"
#include "bridge/scan_chain_table.h"
#include "bridge/tcl_chain_reader.h"
#include "jtag/bitbang_protocol.h"
#include "support/harness.h"

namespace {

using namespace kvr;

void check_protocol(std::string_view input) {
  const std::size_t zero = std::min(input.find('\0'), std::min<std::size_t>(input.size(), 16));
  std::vector<SimulatedDevice> devices;
  for (std::size_t i = 0; i < zero; ++i) {
    devices.push_back({"d" + std::to_string(i), static_cast<unsigned char>(input[i]) + 0u});
  }
  const std::string_view bytes = input.substr(std::min(zero + 1, input.size()));
  SimulatedPath path = simulated_path(devices, true);
  BitbangPins pins;
  std::string answers;
  const BitbangStop stop = feed_bitbang(pins, path, bytes, answers);
  const std::string_view acted = bytes.substr(0, stop.used);
  KVR_REQUIRE(answers.size() ==
              static_cast<std::size_t>(std::count(acted.begin(), acted.end(), 'R')));
  KVR_REQUIRE(answers.find_first_not_of("01") == std::string::npos);
  KVR_REQUIRE(stop.reason != BitbangStop::Reason::kNone || stop.used == bytes.size());
  KVR_REQUIRE(stop.reason != BitbangStop::Reason::kQuit || acted.back() == 'Q');
  KVR_REQUIRE(stop.reason != BitbangStop::Reason::kUnknownByte ||
              (acted.back() == stop.byte &&
               std::string_view("01234567RrstuBbQ").find(stop.byte) == std::string_view::npos));
  std::size_t digits = 3;  // "ir" and a newline
  for (const SimulatedDevice& device : devices) {
    digits += device.name.size() + 2 + (device.ir_length + 3) / 4;
  }
  KVR_REQUIRE(path.log.size() % digits == 0);
}

// The board a reader's TAPs make: it parses, with one device for each TAP in the chain.
void check_taps(const std::vector<ImportedTap>& taps) {
  std::size_t in_chain = 0;
  for (const ImportedTap& tap : taps) {
    KVR_REQUIRE(tap.ir_length >= 1 && tap.ir_length <= 0x400);
    in_chain += tap.enabled ? 1 : 0;
  }
  const testing::Parsed parsed = testing::parse_text(board_config_of(taps, {"f"}), 2);
  KVR_REQUIRE(parsed.status == 0);
  KVR_REQUIRE(parsed.devices.size() == in_chain);
}

void check_failure(const ImportFailure& failure, const std::map<std::string, std::string>& files) {
  const auto file = files.find(failure.file);
  KVR_REQUIRE(file != files.end());
  KVR_REQUIRE(failure.line >= 1 && failure.column >= 1 && !failure.message.empty());
  KVR_REQUIRE(failure.line <= 1 + std::count(file->second.begin(), file->second.end(), '\n'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] % 4 == 0) {
    check_protocol(input);
    return 0;
  }
  std::map<std::string, std::string> files;
  std::string name = "/fuzz/a.cfg";
  for (std::size_t at = 0, n = 1;; ++n) {
    const std::size_t end =
        data[0] % 4 == 1 ? std::min(input.find('\x01', at), input.size()) : input.size();
    files[name] = input.substr(at, end - at);
    if (end == input.size()) break;
    at = end + 1;
    name = "/fuzz/" + std::to_string(n) + ".tcl";
  }
  const std::string& text = files["/fuzz/a.cfg"];
  std::vector<ImportedTap> taps;
  ImportFailure failure;
  bool read = false;
  if (data[0] % 4 == 1) {
    const ScriptFiles access{{"/fuzz"},
                             [&](const std::string& path, std::string& bytes) {
                               const auto found = files.find(path);
                               if (found != files.end()) bytes = found->second;
                               return found != files.end();
                             },
                             [&](const std::string& path) { return files.count(path) == 1; },
                             {}};  // no real paths: the files are held in memory
    read = read_tcl_chain("/fuzz/a.cfg", text, access, {20'000, 4, 64u << 20, 2.0}, taps, failure);
  } else if (data[0] % 4 == 2) {
    taps.emplace_back();
    read = is_bsdl(text) && read_bsdl("/fuzz/a.cfg", text, taps.back(), failure);
    if (!is_bsdl(text)) return 0;
  } else {
    if (!is_scan_chain_table(text)) return 0;
    read = read_scan_chain_table("/fuzz/a.cfg", text, taps, failure);
  }
  if (read) {
    check_taps(taps);
  } else {
    check_failure(failure, files);
  }
  return 0;
}
