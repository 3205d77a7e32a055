// A board configuration file of arbitrary text; the first byte chooses the version (bit 0 set: 1)
// and the verbose echo (bit 1). The status is one the parser may return; a model it gives keeps
// the path rules, and is written in both versions, recognised, and analysed back to its counts.
// kvrview --check reads the text (checking names afterwards) to the same status and line, and
// reports that error.
#include <set>

#include "database/file_kind.h"
#include "support/harness.h"
#include "lint/board_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kvr;
  if (size == 0) return 0;
  static const std::set<Status> kParserStatuses = {0,    -248, -354, -356, -361, -362, -363,
                                                   -364, -365, -370, -372, -373, -374, -375,
                                                   -380, -381, -383, -384, -386, -390, -391};
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  const testing::Parsed parsed = testing::parse_text(text, (data[0] & 1) ? 1 : 2, data[0] & 2);
  KVR_REQUIRE(kParserStatuses.count(parsed.status) == 1);
  // kvrview --check of the same text: the parser's status, and its error among the diagnostics.
  InputFile input;  // which closes the stream
  input.stream = testing::stream_with(text).release();
  input.version = (data[0] & 1) ? 1 : 2;
  ConfigReading reading;
  LoadedBoard loaded;
  const bool read = read_config("b.cfg", input, reading, loaded);
  KVR_REQUIRE(reading.status == parsed.status && read == (parsed.status == 0));
  KVR_REQUIRE(reading.stop.line == parsed.line);  // checked at once or afterwards, the same stop
  const CheckReport report = check_report("b.cfg", reading, read ? &loaded : nullptr, {});
  KVR_REQUIRE(report.failed == (parsed.status != 0));
  KVR_REQUIRE(parsed.status == 0 ||
              report.text.find("error: " + status_title(parsed.status)) != std::string::npos);
  if (parsed.status != 0) return 0;
  KVR_REQUIRE(testing::path_rule_broken(parsed.devices, parsed.model.class_count).empty());
  for (std::uint8_t version : {std::uint8_t{1}, std::uint8_t{2}}) {
    Status status = 0;
    const std::string bytes = testing::write_bytes(parsed.model, version, &status);
    if (status != 0) continue;  // a section too large
    std::uint16_t kind = 0;
    std::uint8_t found = 0;
    KVR_REQUIRE(recognise_file_kind(testing::stream_with(bytes).get(), &kind, &found) == 0);
    KVR_REQUIRE(kind == 1 && found == version);
    const testing::Analysed analysed = testing::analyse_bytes(bytes, version);
    KVR_REQUIRE(analysed.status == 0);
    const std::string count = std::to_string(parsed.model.device_count) + ".\n";
    KVR_REQUIRE(analysed.dump.find("The number of devices is " + count) != std::string::npos);
  }
  return 0;
}
