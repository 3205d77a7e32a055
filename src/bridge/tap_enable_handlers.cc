#include "bridge/tap_enable_handlers.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kvr {
namespace {

// A scan-path linker's IR, whose instruction 0x02 is SELECT.
constexpr std::uint32_t kLinkerIrLength = 8;
constexpr jim_wide kSelect = 2;
constexpr jim_wide kSelectBits = 3;
// The most of a handler's error that its TAP's note shows.
constexpr std::size_t kShownError = 200;

constexpr std::size_t kNone = ~std::size_t{0};

struct Choice {
  std::size_t linker = kNone;
  int sub_path = -1;
};

// The sub-path that the scans the handler of `tap` made select, or false with the note why not.
bool chosen(const OpenocdScript& script, std::size_t tap, Choice& choice, std::string& note) {
  const ScanRecord& scans = script.scans;
  const RecordedScan& ir = scans.first[0];
  const RecordedScan& dr = scans.first[1];
  if (scans.count != 2 || !ir.plain || !dr.plain || !ir.instruction || dr.instruction ||
      ir.tap != dr.tap || ir.value != kSelect || dr.bits != kSelectBits || dr.value < 0 ||
      dr.value > 3) {
    note =
        "its tap-enable handler selects no sub-path as a scan-path linker's is selected: irscan "
        "LINKER 0x02, then drscan LINKER 3 K, K from 0 to 3";
    return false;
  }
  const ImportedTap& linker = script.taps[ir.tap];
  const std::string through =
      "the TAP its tap-enable handler selects through, " + full_name(linker);
  if (ir.tap == tap) {
    note = "its tap-enable handler selects through its own IR";
  } else if (!linker.enabled) {
    note = through + ", is disabled";
  } else if (linker.ir_length != kLinkerIrLength) {
    note = through + ", has an IR of " + std::to_string(linker.ir_length) +
           " bits, where a scan-path linker's has 8";
  } else {
    choice = {ir.tap, static_cast<int>(dr.value)};
    return true;
  }
  return false;
}

// The choices of each TAP's tap-enable handler, in the order declared.
std::vector<Choice> choices_of(OpenocdScript& script) {
  Jim_Interp* interp = script.sandbox->interp;
  const std::size_t count = script.taps.size();
  std::vector<Choice> choices(count);
  script.switching = true;
  for (std::size_t i = 0; i < count; ++i) {
    // A failed handler leaves its TAP enabled, as OpenOCD leaves it.
    if (script.events[i].on) switch_tap(script, i, false);
  }
  for (std::size_t i = 0; i < count && !script.sandbox->out_of_memory; ++i) {
    if (!script.events[i].enable) continue;
    script.events[i].on = false;
    script.scans = {};
    script.scans.on = true;
    const int code = switch_tap(script, i, true);
    script.scans.on = false;
    ImportedTap& tap = script.taps[i];
    if (code != JIM_OK) {
      const std::string error = Jim_String(Jim_GetResult(interp));
      tap.note = "its tap-enable handler fails: " + error.substr(0, kShownError) +
                 (error.size() > kShownError ? "..." : "");
    } else {
      chosen(script, i, choices[i], tap.note);
    }
    switch_tap(script, i, false);
  }
  script.switching = false;
  return choices;
}

}  // namespace

void select_sub_paths(OpenocdScript& script) {
  std::vector<Choice> choices = choices_of(script);
  std::vector<ImportedTap>& taps = script.taps;
  const std::size_t count = taps.size();
  std::vector<bool> chosen_linker(count, false);
  for (const Choice& choice : choices) {
    if (choice.linker != kNone) chosen_linker[choice.linker] = true;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (!chosen_linker[i] || choices[i].linker == kNone) continue;
    taps[i].note = "it is itself the linker of other TAPs' sub-paths, and so on none";
    choices[i] = {};
  }
  // From TDI to TDO, the reverse of the order declared: each linker's run of devices.
  std::size_t linker = kNone;
  for (std::size_t i = count; i-- > 0;) {
    const Choice& choice = choices[i];
    if (linker != kNone && choice.linker == linker) {
      taps[i].sub_path = choice.sub_path;
      taps[linker].is_linker = true;
      continue;
    }
    linker = chosen_linker[i] ? i : kNone;
    if (choice.linker != kNone) {
      taps[i].note = "it does not stand among the devices right after its linker " +
                     full_name(taps[choice.linker]) + ", towards TDO";
    }
  }
}

}  // namespace kvr
