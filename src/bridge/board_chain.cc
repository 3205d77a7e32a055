#include "bridge/board_chain.h"

#include <map>

#include "database/scan_paths.h"

namespace kvr {
namespace {

ChainTap tap_of(const StoredBoard& board, std::size_t index) {
  ChainTap tap;
  tap.name = std::string(name_in(board.name_fields[index]));
  tap.ir_length = board.devices[index].mainIR;
  return tap;
}

// The linkers by name, with the sub-path chosen for each; false with the problem otherwise.
bool choices_by_linker(const StoredBoard& board, const ScanPaths& paths,
                       const std::vector<SubPathChoice>& choices,
                       std::map<std::size_t, int>& chosen, std::string& problem) {
  std::map<std::string, std::size_t> linkers;
  for (const auto& entry : paths.sub_paths) {
    linkers.emplace(name_in(board.name_fields[entry.first]), entry.first);
  }
  for (const SubPathChoice& choice : choices) {
    const auto linker = linkers.find(choice.linker);
    if (linker == linkers.end()) {
      problem = "--select " + choice.linker + ":" + std::to_string(choice.sub_path) +
                ": the board has no scan-path linker named `" + choice.linker + "'";
      return false;
    }
    if (!chosen.emplace(linker->second, static_cast<int>(choice.sub_path)).second) {
      problem = "--select: the linker `" + choice.linker + "' is selected twice";
      return false;
    }
  }
  return true;
}

bool chain_of(const StoredBoard& board, const std::vector<SubPathChoice>& choices,
              std::vector<ChainTap>& chain, std::string& problem) {
  const ScanPaths paths = scan_paths(board);
  std::map<std::size_t, int> chosen;
  if (!choices_by_linker(board, paths, choices, chosen, problem)) return false;
  chain.clear();
  for (const std::size_t index : paths.main) {
    chain.push_back(tap_of(board, index));
    const auto sub_paths = paths.sub_paths.find(index);
    if (sub_paths == paths.sub_paths.end()) continue;
    ChainTap& linker = chain.back();
    linker.is_linker = true;
    const auto choice = chosen.find(index);
    linker.selected = choice == chosen.end() ? kNoSubPath : choice->second;
    const std::string linker_name = linker.name;
    const int selected = linker.selected;
    for (int k = 0; k < 4; ++k) {
      for (const std::size_t member : sub_paths->second[static_cast<std::size_t>(k)]) {
        chain.push_back(tap_of(board, member));
        chain.back().in_chain = k == selected;
        chain.back().linker = linker_name;
        chain.back().sub_path = k;
      }
    }
  }
  return true;
}

}  // namespace

Outcome board_chain(const StoredBoard& board, const std::vector<SubPathChoice>& choices,
                    std::vector<ChainTap>& chain, std::string& problem) {
  return outcome_of([&] { return chain_of(board, choices, chain, problem); });
}

}  // namespace kvr
