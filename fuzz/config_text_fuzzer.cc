// Any bytes as a board database of either version, turned back into a board.cfg: either a text
// that parses and compiles to exactly those bytes, or a refusal that says why; never both, never
// neither, and never a crash.
#include "fuzz_support.h"
#include "view/config_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kvr;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (const std::uint8_t version : {std::uint8_t{1}, std::uint8_t{2}}) {
    std::string text;
    std::string refusal;
    const bool made = config_text_of(bytes, version, "fuzz.dat", text, refusal);
    KVR_REQUIRE(made == refusal.empty() && made != text.empty());
    if (!made) continue;
    const testing::Parsed parsed = testing::parse_text(text, version);
    KVR_REQUIRE(parsed.status == 0);
    KVR_REQUIRE(testing::write_bytes(parsed.model, version) == bytes);
  }
  return 0;
}
