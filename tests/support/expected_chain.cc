#include "support/expected_chain.h"

namespace kvr::testing {

std::vector<ExpectedTap> expected_chain(const nlohmann::json& board,
                                        const std::map<std::string, int>& selected) {
  std::map<std::uint32_t, const nlohmann::json*> by_id;
  for (const nlohmann::json& device : board["devices"]) by_id[device["dev_id"]] = &device;
  std::map<std::uint32_t, const nlohmann::json*> linkers;
  for (const nlohmann::json& linker : board["linkers"]) linkers[linker["dev_id"]] = &linker;
  std::vector<ExpectedTap> chain;
  for (const nlohmann::json& device : board["devices"]) {
    if (device["parent"] != 0) continue;
    chain.push_back({device["name"], device["mainIR"], true});
    const auto linker = linkers.find(device["dev_id"]);
    if (linker == linkers.end()) continue;
    const auto choice = selected.find(device["name"]);
    for (int k = 0; k < 4; ++k) {
      if (choice != selected.end() && choice->second != k) continue;
      for (const std::uint32_t id : (*linker->second)["sub_paths"][k]) {
        chain.push_back({(*by_id[id])["name"], (*by_id[id])["mainIR"], choice != selected.end()});
      }
    }
  }
  return chain;
}

std::map<std::string, int> some_selections(const nlohmann::json& board, unsigned seed) {
  std::map<std::string, int> selected;
  for (const nlohmann::json& linker : board["linkers"]) {
    seed = seed * 1103515245u + 12345u;
    if ((seed >> 16) % 5 != 4) selected[linker["name"]] = static_cast<int>((seed >> 16) % 5);
  }
  return selected;
}

std::vector<std::string> select_words(const std::map<std::string, int>& selected) {
  std::vector<std::string> words;
  for (const auto& [linker, k] : selected) {
    words.push_back("--select");
    words.push_back(linker + ":" + std::to_string(k));
  }
  return words;
}

}  // namespace kvr::testing
