// A board configuration file of arbitrary text; the first byte chooses the version (bit 0 set: 1)
// and the verbose echo (bit 1). The status is one the parser may return; a model it gives keeps
// the path rules, and is written in both versions, recognised, and analysed back to its counts.
// kvrview --check reads the text (checking names afterwards) to the same status and line, reports
// that error first and the errors after it in file order.
#include <set>

#include "database/file_kind.h"
#include "lint/board_analysis.h"
#include "lint/parse_errors.h"
#include "support/harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kvr;
  if (size == 0) return 0;
  static const std::set<Status> kParserStatuses = {0,    -248, -354, -356, -361, -362, -363,
                                                   -364, -365, -370, -372, -373, -374, -375,
                                                   -380, -381, -383, -384, -386, -390, -391};
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  const testing::Parsed parsed = testing::parse_text(text, (data[0] & 1) ? 1 : 2, data[0] & 2);
  KVR_REQUIRE(kParserStatuses.count(parsed.status) == 1);
  // kvrview --check of the same text, where its label gives the version chosen: the parser's
  // status and line first, the errors after it in file order, every edit of a fix-it inside it.
  const std::uint8_t version = (data[0] & 1) ? 1 : 2;
  if (config_version_of(text) == version) {
    const BoardAnalysis analysis = analyse_board_text("b.cfg", text, {});
    KVR_REQUIRE(analysis.reading.status == parsed.status);
    KVR_REQUIRE(analysis.reading.stop.line == parsed.line);  // checked at once or afterwards
    KVR_REQUIRE(parsed.status == 0 || analysis.failed);
    KVR_REQUIRE(parsed.status == 0 ||
                check_text(analysis).find("error: " + status_title(parsed.status)) !=
                    std::string::npos);
    std::size_t last = 0;
    bool first = true;
    for (const Diagnostic& d : analysis.diagnostics) {
      if (d.status == 0) continue;
      KVR_REQUIRE(first ? d.status == parsed.status : d.range.offset > last);
      first = false;
      last = d.range.offset;
      for (const Remark& r : d.remarks) {
        for (const FixIt& fix : r.fixes) {
          for (const TextEdit& e : fix.edits) KVR_REQUIRE(e.range.offset <= text.size());
        }
      }
    }
  }
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
