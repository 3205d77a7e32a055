#include "bridge/openocd_commands.h"

#include <algorithm>
#include <string_view>

#include "bridge/script_policy.h"

namespace kvr {
namespace {

constexpr int kMaxSourceDepth = 64;
constexpr int kMaxHandlerDepth = 64;

OpenocdScript& script_of(Jim_Interp* interp) {
  return *static_cast<OpenocdScript*>(Jim_CmdPrivData(interp));
}

std::string_view word(Jim_Obj* object) {
  int length = 0;
  const char* text = Jim_GetString(object, &length);
  return {text, static_cast<std::size_t>(length)};
}

int fail(Jim_Interp* interp, const std::string& message) {
  Jim_SetResultString(interp, message.c_str(), static_cast<int>(message.size()));
  return JIM_ERR;
}

int answer(Jim_Interp* interp, std::string_view text) {
  Jim_SetResultString(interp, text.data(), static_cast<int>(text.size()));
  return JIM_OK;
}

int answer_list(Jim_Interp* interp, const std::vector<std::string>& items) {
  Jim_Obj* list = Jim_NewListObj(interp, nullptr, 0);
  for (const std::string& item : items) {
    Jim_ListAppendElement(interp, list,
                          Jim_NewStringObj(interp, item.c_str(), static_cast<int>(item.size())));
  }
  Jim_SetResult(interp, list);
  return JIM_OK;
}

// The options of `jtag newtap' after CHIP and TAP, from argv[first].
int newtap(Jim_Interp* interp, int argc, Jim_Obj* const* argv, int first) {
  OpenocdScript& script = script_of(interp);
  if (script.switching) return fail(interp, "jtag newtap: a handler declares no TAP");
  if (argc < first + 2) return fail(interp, "jtag newtap needs a chip name and a TAP name");
  ImportedTap tap(std::string(word(argv[first])), std::string(word(argv[first + 1])), 0, true);
  const std::string who = "jtag newtap " + full_name(tap) + ": ";
  jim_wide ir_length = -1;
  for (int i = first + 2; i < argc; ++i) {
    const std::string_view option = word(argv[i]);
    if (option == "-disable" || option == "-enable") {
      tap.enabled = option == "-enable";
    } else if (option == "-irlen" || option == "-irmask" || option == "-ircapture" ||
               option == "-expected-id") {
      jim_wide value = 0;
      if (i + 1 == argc || Jim_GetWide(interp, argv[i + 1], &value) != JIM_OK) {
        return fail(interp, who + std::string(option) + " needs a number");
      }
      // Kept as OpenOCD keeps them, in 32 bits.
      const auto bits = static_cast<std::uint32_t>(value);
      if (option == "-irlen") ir_length = value;
      if (option == "-irmask") tap.ir_mask = bits;
      if (option == "-ircapture") tap.ir_capture = bits;
      if (option == "-expected-id") tap.expected_ids.push_back(bits);
      ++i;
    } else if (option != "-ignore-version" && option != "-ignore-bypass") {
      return fail(interp, who + "unknown option `" + std::string(option) + "'");
    }
  }
  if (ir_length == -1) return fail(interp, who + "no -irlen");
  if (const std::string problem = ir_length_problem(ir_length); !problem.empty()) {
    return fail(interp, who + problem);
  }
  tap.ir_length = static_cast<std::uint32_t>(ir_length);
  script.by_name.try_emplace(full_name(tap), script.taps.size());
  script.events.emplace_back().on = tap.enabled;
  script.taps.push_back(std::move(tap));
  return answer(interp, "");
}

// The place of the TAP named `name`, or false with the error as the interpreter's result.
bool tap_named(Jim_Interp* interp, const std::string& command, std::string_view name,
               std::size_t& tap) {
  const OpenocdScript& script = script_of(interp);
  const auto found = script.by_name.find(std::string(name));
  if (found != script.by_name.end()) {
    tap = found->second;
    return true;
  }
  fail(interp, command + ": no TAP named `" + std::string(name) + "'");
  return false;
}

// `jtag configure TAP OPTION VALUE ...': of the options, -event tap-enable and -event tap-disable
// are kept; `-event E' last answers E's handler.
int configure(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  OpenocdScript& script = script_of(interp);
  std::size_t tap = 0;
  if (argc < 3) return fail(interp, "jtag configure needs a TAP name");
  if (!tap_named(interp, "jtag configure", word(argv[2]), tap)) return JIM_ERR;
  TapEvents& events = script.events[tap];
  for (int i = 3; i < argc; i += 2) {
    const bool event = word(argv[i]) == "-event" && i + 1 < argc;
    const std::string_view name = event ? word(argv[i + 1]) : "";
    std::optional<std::string>* handler = name == "tap-enable"    ? &events.enable
                                          : name == "tap-disable" ? &events.disable
                                                                  : nullptr;
    if (event && i + 2 == argc) return answer(interp, handler && *handler ? **handler : "");
    if (event && handler != nullptr) *handler = std::string(word(argv[i + 2]));
    i += event ? 1 : 0;
  }
  return answer(interp, "");
}

// `jtag tapenable TAP' and `jtag tapdisable TAP', after the script.
int tap_switch(Jim_Interp* interp, int argc, Jim_Obj* const* argv, bool enable) {
  OpenocdScript& script = script_of(interp);
  if (!script.switching) return answer(interp, "");
  const std::string command = enable ? "jtag tapenable" : "jtag tapdisable";
  std::size_t tap = 0;
  if (argc != 3) return fail(interp, command + " takes one TAP name");
  if (!tap_named(interp, command, word(argv[2]), tap)) return JIM_ERR;
  const int code = switch_tap(script, tap, enable);
  if (code != JIM_OK) return code;
  return answer(interp, script.events[tap].on ? "1" : "0");
}

// `irscan' and `drscan': recorded while a tap-enable handler runs, nothing otherwise.
int scan_command(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  OpenocdScript& script = script_of(interp);
  ScanRecord& record = script.scans;
  if (!record.on) return answer(interp, "");
  if (record.count < 2) {
    RecordedScan& scan = record.first[record.count];
    scan.instruction = word(argv[0]) == "irscan";
    const auto found =
        argc > 1 ? script.by_name.find(std::string(word(argv[1]))) : script.by_name.end();
    scan.plain = argc == (scan.instruction ? 3 : 4) && found != script.by_name.end() &&
                 Jim_GetWide(interp, argv[argc - 1], &scan.value) == JIM_OK &&
                 (scan.instruction || Jim_GetWide(interp, argv[2], &scan.bits) == JIM_OK);
    if (scan.plain) scan.tap = found->second;
  }
  ++record.count;
  return answer(interp, "");
}

std::vector<std::string> tap_names(const OpenocdScript& script) {
  std::vector<std::string> names;
  for (const ImportedTap& tap : script.taps) names.push_back(full_name(tap));
  return names;
}

int jtag_command(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  OpenocdScript& script = script_of(interp);
  const std::string_view sub = argc > 1 ? word(argv[1]) : "";
  if (sub == "newtap") return newtap(interp, argc, argv, 2);
  // An answer as long as the chain costs a step a TAP, so that asking in a loop stays bounded.
  if (sub == "names" && !take_step(*script.sandbox, script.taps.size())) return JIM_ERR;
  if (sub == "names") return answer_list(interp, tap_names(script));
  if (sub == "tapisenabled" && argc == 3) {
    std::size_t tap = 0;
    if (!tap_named(interp, "jtag tapisenabled", word(argv[2]), tap)) return JIM_ERR;
    return answer(interp, script.events[tap].on ? "1" : "0");
  }
  if (sub == "configure") return configure(interp, argc, argv);
  if (sub == "tapenable" || sub == "tapdisable") {
    return tap_switch(interp, argc, argv, sub == "tapenable");
  }
  return answer(interp, "");
}

int swj_newdap_command(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  return newtap(interp, argc, argv, 1);
}

int transport_command(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  const std::string_view sub = argc > 1 ? word(argv[1]) : "";
  return answer(interp, sub == "select" || sub == "list" ? "jtag" : "");
}

int using_command(Jim_Interp* interp, int, Jim_Obj* const* argv) {
  return answer(interp, word(argv[0]) == "using_jtag" ? "1" : "0");
}

int target_command(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  OpenocdScript& script = script_of(interp);
  const std::string_view sub = argc > 1 ? word(argv[1]) : "";
  if (sub == "create" && argc > 2) script.targets.emplace_back(word(argv[2]));
  if (sub == "names" && !take_step(*script.sandbox, script.targets.size())) return JIM_ERR;
  if (sub == "names") return answer_list(interp, script.targets);
  if (sub == "current") return answer(interp, script.targets.empty() ? "" : script.targets.back());
  return answer(interp, "");
}

// Notes a file that find found or source read, once.
void note_read(OpenocdScript& script, const std::string& path) {
  if (std::find(script.files_read.begin(), script.files_read.end(), path) ==
      script.files_read.end()) {
    script.files_read.push_back(path);
  }
}

int find_command(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  OpenocdScript& script = script_of(interp);
  if (argc != 2) return fail(interp, "find takes one file name");
  const std::string name(word(argv[1]));
  const std::string path = script_file(*script.files, name);
  if (path.empty()) return fail(interp, "find: " + not_in_folders(*script.files, name));
  note_read(script, path);
  return answer(interp, path);
}

int source_command(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  OpenocdScript& script = script_of(interp);
  const bool encoding = argc == 4 && word(argv[1]) == "-encoding";
  if (argc != 2 && !encoding) return fail(interp, "source takes one file name");
  const std::string name(word(argv[argc - 1]));
  const std::string path = script_file(*script.files, name);
  if (path.empty()) return fail(interp, "source: " + not_in_folders(*script.files, name));
  if (script.depth >= kMaxSourceDepth) {
    return fail(interp, "source: files nest deeper than " + std::to_string(kMaxSourceDepth));
  }
  std::string text;
  if (!script.files->read(path, text)) {
    return fail(interp, "source: cannot read " + path + (text.empty() ? "" : ": " + text));
  }
  note_read(script, path);
  return evaluate_file(script, path, text);
}

int shutdown_command(Jim_Interp* interp, int, Jim_Obj* const*) {
  return fail(interp, "the script calls shutdown, which stops OpenOCD before it has a chain");
}

int exit_command(Jim_Interp* interp, int, Jim_Obj* const*) {
  return fail(interp, "the script calls exit, which OpenOCD refuses before its init");
}

// Every other command.
int unknown_command(Jim_Interp* interp, int, Jim_Obj* const*) {
  return answer(interp, "");
}

}  // namespace

void add_openocd_commands(OpenocdScript& script) {
  const TclCommand commands[] = {
      {"jtag", shielded<OpenocdScript, jtag_command>},
      {"irscan", shielded<OpenocdScript, scan_command>},
      {"drscan", shielded<OpenocdScript, scan_command>},
      {"swj_newdap", shielded<OpenocdScript, swj_newdap_command>},
      {"transport", transport_command},
      {"using_jtag", using_command},
      {"using_swd", using_command},
      {"using_hla", using_command},
      {"target", shielded<OpenocdScript, target_command>},
      {"find", shielded<OpenocdScript, find_command>},
      {"source", shielded<OpenocdScript, source_command>},
      {"shutdown", shielded<OpenocdScript, shutdown_command>},
      {"exit", shielded<OpenocdScript, exit_command>},
      {"unknown", unknown_command},
  };
  add_commands(script.sandbox->interp, commands, &script);
}

int evaluate_file(OpenocdScript& script, const std::string& name, const std::string& text) {
  TclSandbox& sandbox = *script.sandbox;
  Jim_Interp* interp = sandbox.interp;
  const std::string& kept = sandbox.texts[name] = text;
  sandbox.limits.steps += sandbox.limits.steps_a_byte * text.size();
  const std::size_t zero = kept.find('\0');
  if (zero != std::string::npos) {
    // Jim reads a script up to its first zero byte: the bytes after it would vanish unseen.
    script.placed = failure_at(name, kept, zero, "a zero byte, which a Tcl script cannot hold");
    Jim_SetResultString(interp, script.placed->message.c_str(), -1);
    return JIM_ERR;
  }
  ++script.depth;
  int code = Jim_EvalSource(interp, name.c_str(), 1, kept.c_str());
  --script.depth;
  // As Jim's own source: a return from the file's level ends the file with the code it gives;
  // one from further up ends it as well, as a plain return.
  if (code == JIM_RETURN && --interp->returnLevel <= 0) {
    code = interp->returnCode;
    interp->returnCode = JIM_OK;
    interp->returnLevel = 0;
  }
  return code == JIM_RETURN ? JIM_OK : code;
}

int switch_tap(OpenocdScript& script, std::size_t tap, bool enable) {
  Jim_Interp* interp = script.sandbox->interp;
  TapEvents& events = script.events[tap];
  const std::optional<std::string>& handler = enable ? events.enable : events.disable;
  if (events.on == enable || !handler) return JIM_OK;
  const std::string who = std::string(enable ? "jtag tapenable " : "jtag tapdisable ") +
                          full_name(script.taps[tap]) + ": ";
  if (events.running) return fail(interp, who + "its own handler is running");
  if (script.handler_depth >= kMaxHandlerDepth) {
    return fail(interp, who + "handlers nest deeper than " + std::to_string(kMaxHandlerDepth));
  }
  Jim_Obj* body = Jim_NewStringObj(interp, handler->c_str(), static_cast<int>(handler->size()));
  Jim_IncrRefCount(body);
  events.running = true;
  ++script.handler_depth;
  int code = Jim_EvalObj(interp, body);
  --script.handler_depth;
  if (code == JIM_RETURN) {  // a return from the handler's level: the code it gives
    code = interp->returnCode;
    interp->returnCode = JIM_OK;
    interp->returnLevel = 0;
  }
  if (code != JIM_OK && code != JIM_ERR) {
    code = fail(interp, who + "its handler ends with `break', `continue' or another code");
  }
  // `events' may have moved: no TAP is declared while handlers run, but a handler may try.
  script.events[tap].running = false;
  Jim_DecrRefCount(interp, body);
  if (code != JIM_OK) return code;
  script.events[tap].on = enable;
  return JIM_OK;
}

}  // namespace kvr
