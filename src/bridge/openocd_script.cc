#include "bridge/openocd_script.h"

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "base/ascii.h"
#include "bridge/generated_text.h"

namespace kvr {
namespace {

// The TAP's dotted name, CHIP.DEVICE, as one word of the script.
std::string dotted(const std::string& chip, const std::string& name) {
  return chip + "." + name;
}

// What the names of a linker's variable and procs begin with: CHIP_LINKER.
std::string linker_prefix(const std::string& chip, const std::string& linker) {
  return chip + "_" + linker;
}

// `parts', one after the other, at the end of `text'.
void append(std::string& text, std::initializer_list<std::string_view> parts) {
  for (const std::string_view part : parts) text += part;
}

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

// A configure variable's number, as a board writes it: 0x and up to 8 hexadecimal digits, 0 and
// up to 8 octal digits, or up to 8 decimal digits.
bool number_of(std::string_view text, std::uint32_t& number) {
  unsigned base = 10;
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  } else if (!text.empty() && text[0] == '0') {
    base = 8;
    text.remove_prefix(1);
  } else if (text.empty()) {
    return false;
  }
  if (text.size() > 8) return false;
  number = 0;
  for (const char c : text) {
    const int digit = hex_digit_value(c);
    if (digit < 0 || static_cast<unsigned>(digit) >= base) return false;
    number = number * base + static_cast<std::uint32_t>(digit);
  }
  return true;
}

// `adapter speed' takes kilohertz, the unit of [VORTA_TCLK_FREQUENCY]; its 0 would ask for
// adaptive clocking, which the board does not say.
std::string adapter_speed(const std::string& frequency) {
  if (frequency.empty()) return "";
  std::uint32_t khz = 0;
  if (!number_of(frequency, khz) || khz == 0) {
    return openocd_comment("The board's [VORTA_TCLK_FREQUENCY] " + frequency +
                           " is no frequency in kHz, so no adapter speed is set.");
  }
  return openocd_comment("The board's test clock, [VORTA_TCLK_FREQUENCY] " + frequency +
                         ", in kHz:") +
         "adapter speed " + std::to_string(khz) + "\n";
}

// The procs and event handlers that let OpenOCD switch a linker's sub-paths through its SELECT
// instruction and 3-bit data register. `first` is the linker's place in the chain, followed by
// its sub-path devices.
std::string switching(const std::vector<ChainTap>& chain, std::size_t first,
                      const std::string& chip) {
  const ChainTap& linker = chain[first];
  const std::string prefix = linker_prefix(chip, linker.name);
  const std::string selected = "::" + prefix + "_selected";
  const std::string start = std::to_string(linker.selected == kNoSubPath ? 4 : linker.selected);
  std::string taps, handlers;
  for (std::size_t i = first + 1; i < chain.size() && chain[i].linker == linker.name; ++i) {
    const std::string tap = dotted(chip, chain[i].name);
    const std::string k = std::to_string(chain[i].sub_path);
    append(taps, {" ", tap, " ", k});
    append(handlers, {"jtag configure ", tap, " -event tap-enable {", prefix, "_select ", k, " ",
                      tap, "}\n"});
    append(handlers, {"jtag configure ", tap, " -event tap-disable {", prefix, "_leave ", k, " ",
                      tap, "}\n"});
  }
  const std::string linker_tap = dotted(chip, linker.name);
  if (taps.empty()) return "";
  if (linker.ir_length < 2) {
    return "\n# The linker " + linker.name +
           " has an instruction register of fewer than 2 bits, which cannot hold\n"
           "# its SELECT instruction: its sub-paths stay as declared.\n";
  }
  return "\n# The linker " + linker.name +
         " switches its sub-paths while the chain runs. Its instruction 0x02\n"
         "# (SELECT) puts its 3-bit data register in the chain: 0 to 3 select that sub-path, 4 "
         "none,\n"
         "# from Update-DR on. `jtag tapenable' of a sub-path's device selects its sub-path, "
         "bringing\n"
         "# in all its devices and taking out those of the sub-path before; `jtag tapdisable' "
         "leaves\n"
         "# it. Each JTAG reset takes the linker back to the selection declared above, as "
         "OpenOCD\n"
         "# takes each TAP back to its declaration.\n"
         "set " +
         selected + " " + start + "\n" + "jtag configure " + linker_tap +
         " -event post-reset {set " + selected + " " + start +
         "}\n"
         "proc " +
         prefix +
         "_select {k tap} {\n"
         "  if {$k == $" +
         selected +
         "} return\n"
         "  irscan " +
         linker_tap +
         " 0x02\n"
         "  drscan " +
         linker_tap +
         " 3 $k\n"
         "  # Set after the scans, which may fail; the handlers of the other TAPs, enabled or\n"
         "  # disabled here, find it set and leave OpenOCD to mark them.\n"
         "  set " +
         selected +
         " $k\n"
         "  foreach {other sub_path} {" +
         taps.substr(taps.empty() ? 0 : 1) +
         "} {\n"
         "    if {$other eq $tap} continue\n"
         "    set enabled [jtag tapisenabled $other]\n"
         "    if {$sub_path == $k && !$enabled} { jtag tapenable $other }\n"
         "    if {$sub_path != $k && $enabled} { jtag tapdisable $other }\n"
         "  }\n"
         "}\n"
         "proc " +
         prefix +
         "_leave {k tap} {\n"
         "  if {$k == $" +
         selected + "} { " + prefix +
         "_select 4 $tap }\n"
         "}\n" +
         handlers;
}

}  // namespace

std::string tclk_frequency(const StoredBoard& board) {
  for (const StoredVariable& variable : board.variables) {
    if (lower_cased(variable.name) == "vorta_tclk_frequency") return variable.value;
  }
  return "";
}

Outcome openocd_script(const std::vector<ChainTap>& chain, const std::string& chip,
                       const std::string& source, std::string& script, std::string& problem,
                       const std::string& tclk_frequency) {
  return outcome_of([&] {
    problem = name_problem(chain, chip);
    if (!problem.empty()) return false;
    script = declarations(chain, chip, source);
    script += adapter_speed(tclk_frequency);
    for (std::size_t i = 0; i < chain.size(); ++i) {
      if (chain[i].is_linker) script += switching(chain, i, chip);
    }
    return true;
  });
}

}  // namespace kvr
