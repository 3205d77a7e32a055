#include "bridge/openocd_script.h"

#include "bridge/generated_text.h"

namespace kvr {
namespace {

std::string sub_path_comment(const ChainTap& tap) {
  const std::string where =
      "Sub-path " + std::to_string(tap.sub_path) + " of the linker " + tap.linker;
  if (tap.in_chain) return openocd_comment(where + ", selected:");
  return openocd_comment(where + ", out of the chain (--select " + tap.linker + ":" +
                         std::to_string(tap.sub_path) + " puts it in):");
}

std::string linker_comment(const ChainTap& linker) {
  if (linker.selected == kNoSubPath) {
    return openocd_comment("The linker " + linker.name + ": no sub-path selected.");
  }
  std::string left_out;
  for (int k = 0; k < 4; ++k) {
    if (k != linker.selected) left_out += (left_out.empty() ? "" : ", ") + std::to_string(k);
  }
  return openocd_comment("The linker " + linker.name + ": sub-path " +
                         std::to_string(linker.selected) + " selected, sub-paths " + left_out +
                         " left out of the chain.");
}

// Why the chip or a device's name cannot stand in the script, or "".
std::string name_problem(const std::vector<ChainTap>& chain, const std::string& chip) {
  if (!is_openocd_word(chip)) {
    return "--openocd: the chip name `" + printable(chip) +
           "' is not made of letters, digits and '_' alone";
  }
  for (std::size_t i = 0; i < chain.size(); ++i) {
    if (is_device_name(chain[i].name)) continue;
    return "--openocd: device " + std::to_string(i + 1) + " from TDI is named `" +
           printable(chain[i].name) +
           "', which is no device name (1 to 8 letters, digits and '_', a letter first) and "
           "which OpenOCD's Tcl would evaluate: no script is written";
  }
  return "";
}

std::string declarations(const std::vector<ChainTap>& chain, const std::string& chip,
                         const std::string& source) {
  std::string script =
      openocd_comment("The scan chain of `" + source + "', written by kvrview --openocd.") +
      openocd_comment(
          "Each device is a TAP with its instruction register length, declared from the one") +
      openocd_comment("nearest TDO to the one nearest TDI, as OpenOCD wants them.");
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

bool script_of(const std::vector<ChainTap>& chain, const std::string& chip,
               const std::string& source, std::string& script, std::string& problem) {
  problem = name_problem(chain, chip);
  if (!problem.empty()) return false;
  script = declarations(chain, chip, source);
  return true;
}

}  // namespace

Outcome openocd_script(const std::vector<ChainTap>& chain, const std::string& chip,
                       const std::string& source, std::string& script, std::string& problem) {
  return outcome_of([&] { return script_of(chain, chip, source, script, problem); });
}

}  // namespace kvr
