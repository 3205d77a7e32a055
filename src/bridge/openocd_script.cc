#include "bridge/openocd_script.h"

namespace kvr {
namespace {

std::string sub_path_comment(const ChainTap& tap) {
  const std::string where =
      "# Sub-path " + std::to_string(tap.sub_path) + " of the linker " + tap.linker;
  if (tap.in_chain) return where + ", selected:\n";
  return where + ", out of the chain (--select " + tap.linker + ":" + std::to_string(tap.sub_path) +
         " puts it in):\n";
}

std::string linker_comment(const ChainTap& linker) {
  if (linker.selected == kNoSubPath) {
    return "# The linker " + linker.name + ": no sub-path selected.\n";
  }
  std::string left_out;
  for (int k = 0; k < 4; ++k) {
    if (k != linker.selected) left_out += (left_out.empty() ? "" : ", ") + std::to_string(k);
  }
  return "# The linker " + linker.name + ": sub-path " + std::to_string(linker.selected) +
         " selected, sub-paths " + left_out + " left out of the chain.\n";
}

std::string declarations(const std::vector<ChainTap>& chain, const std::string& chip,
                         const std::string& source) {
  std::string script =
      "# The scan chain of `" + printable(source) +
      "', written by kvrview --openocd.\n"
      "# Each device is a TAP with its instruction register length, declared from the one\n"
      "# nearest TDO to the one nearest TDI, as OpenOCD wants them.\n";
  const ChainTap* group = nullptr;  // the sub-path of the line before
  for (auto tap = chain.rbegin(); tap != chain.rend(); ++tap) {
    const bool member = !tap->linker.empty();
    if (member &&
        (group == nullptr || group->linker != tap->linker || group->sub_path != tap->sub_path)) {
      script += sub_path_comment(*tap);
    }
    group = member ? &*tap : nullptr;
    if (tap->is_linker) script += linker_comment(*tap);
    script += "jtag newtap " + chip + " " + tap->name + " -irlen " +
              std::to_string(tap->ir_length) + (tap->in_chain ? "\n" : " -disable\n");
  }
  return script;
}

}  // namespace

std::string printable(std::string text) {
  for (char& c : text) c = c >= ' ' && c <= '~' ? c : '?';
  return text;
}

Outcome openocd_script(const std::vector<ChainTap>& chain, const std::string& chip,
                       const std::string& source, std::string& script) {
  return outcome_of([&] {
    script = declarations(chain, chip, source);
    return true;
  });
}

}  // namespace kvr
