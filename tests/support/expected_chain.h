// The scan chain that a board's JSON (kvrview --json) describes, worked out from its device records
// alone, for the tests that judge what the bridge to the JTAG tools makes of a board: every
// main-path device in record order, each linker followed by its sub-paths 0 to 3; with a sub-path
// selected, that one alone, in the chain; with none, all of them, out of the chain.
#ifndef KVR_TESTS_SUPPORT_EXPECTED_CHAIN_H_
#define KVR_TESTS_SUPPORT_EXPECTED_CHAIN_H_

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace kvr::testing {

struct ExpectedTap {
  std::string name;
  std::uint32_t ir_length = 0;
  bool in_chain = true;
};

// From TDI to TDO; `selected` maps a linker's name to its selected sub-path.
std::vector<ExpectedTap> expected_chain(const nlohmann::json& board,
                                        const std::map<std::string, int>& selected);

// A sub-path for some of the board's linkers, picked by `seed`, and the --select words for it.
std::map<std::string, int> some_selections(const nlohmann::json& board, unsigned seed);
std::vector<std::string> select_words(const std::map<std::string, int>& selected);

}  // namespace kvr::testing

#endif  // KVR_TESTS_SUPPORT_EXPECTED_CHAIN_H_
