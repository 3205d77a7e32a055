// A database file of arbitrary bytes, as the analyse command meets it: recognised, then analysed
// as each version, briefly and verbosely; the statuses are those the format allows, and brief and
// verbose runs agree. Then as kvrview meets it, turned back into a board.cfg of each version:
// either a text that parses and compiles to exactly those bytes, or a refusal that says why;
// never both, never neither.
#include "database/file_kind.h"
#include "support/harness.h"
#include "view/config_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kvr;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const testing::UniqueFile input = testing::stream_with(bytes);
  std::uint16_t kind = 9;
  std::uint8_t version = 9;
  const Status recognised = recognise_file_kind(input.get(), &kind, &version);
  KVR_REQUIRE(recognised == 0 || recognised == -240 || (recognised == -135 && size < 12));
  KVR_REQUIRE(recognised != 0 || (kind <= 1 && (version == 1 || version == 2)));
  KVR_REQUIRE(recognised != 0 || std::ftell(input.get()) == 0);
  for (std::uint8_t as : {std::uint8_t{1}, std::uint8_t{2}}) {
    const Status brief = testing::analyse_bytes(bytes, as, false).status;
    KVR_REQUIRE(brief == 0 || brief == -135 || brief == -225);
    KVR_REQUIRE(testing::analyse_bytes(bytes, as, true).status == brief);
    std::string text, refusal;
    const bool made = config_text_of(bytes, as, "fuzz.dat", text, refusal);
    KVR_REQUIRE(made == refusal.empty() && made != text.empty());
    if (!made) continue;
    const testing::Parsed parsed = testing::parse_text(text, as);
    KVR_REQUIRE(parsed.status == 0 && testing::write_bytes(parsed.model, as) == bytes);
  }
  return 0;
}
