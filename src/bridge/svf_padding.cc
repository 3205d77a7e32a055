#include "bridge/svf_padding.h"

#include <cstdint>

#include "base/ascii.h"
#include "bridge/generated_text.h"

namespace kvr {
namespace {

// "NAME LENGTH TDI (HEX);" with every bit `one`, or "NAME 0;".
std::string padding(const char* name, std::uint64_t length, bool one) {
  std::string line = std::string(name) + " " + std::to_string(length);
  if (length == 0) return line + ";\n";
  const std::uint64_t digits = (length + 3) / 4;
  const auto top = static_cast<unsigned>(length - 4 * (digits - 1));  // bits of the first digit
  line += " TDI (";
  line += one ? "0137F"[top] : '0';
  line.append(digits - 1, one ? 'F' : '0');
  return line + ");\n";
}

bool padding_for(const std::vector<ChainTap>& chain, const std::string& device,
                 const std::string& source, std::string& svf, std::string& problem) {
  const std::string wanted = lower_cased(device);
  std::size_t at = 0;
  while (at < chain.size() && chain[at].name != wanted) ++at;
  if (at == chain.size()) {
    problem = "--svf: the board has no device named `" + printable(device) + "'";
    return false;
  }
  const ChainTap& target = chain[at];
  if (!target.in_chain) {
    problem = "--svf: the device `" + target.name + "' stands on sub-path " +
              std::to_string(target.sub_path) + " of the linker " + target.linker +
              ", which is not in the chain (--select " + target.linker + ":" +
              std::to_string(target.sub_path) + " puts it there)";
    return false;
  }
  std::uint64_t ir[2] = {0, 0}, dr[2] = {0, 0};  // [0]: towards TDI, [1]: towards TDO
  for (std::size_t i = 0; i < chain.size(); ++i) {
    if (i == at || !chain[i].in_chain) continue;
    ir[i > at] += chain[i].ir_length;
    ++dr[i > at];
  }
  svf = svf_comment("SVF padding for the device `" + target.name + "' of `" + source +
                    "', written by kvrview --svf:") +
        svf_comment("every other device of the chain in BYPASS.") + padding("HIR", ir[1], true) +
        padding("TIR", ir[0], true) + padding("HDR", dr[1], false) + padding("TDR", dr[0], false);
  return true;
}

}  // namespace

Outcome svf_padding(const std::vector<ChainTap>& chain, const std::string& device,
                    const std::string& source, std::string& svf, std::string& problem) {
  return outcome_of([&] { return padding_for(chain, device, source, svf, problem); });
}

}  // namespace kvr
