#include "bridge/openocd_commands.h"

#include <filesystem>
#include <string_view>

namespace kvr {
namespace {

constexpr int kMaxSourceDepth = 64;

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
  if (argc < first + 2) return fail(interp, "jtag newtap needs a chip name and a TAP name");
  ImportedTap tap{std::string(word(argv[first])), std::string(word(argv[first + 1])), 0, true};
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
      if (option == "-irlen") ir_length = value;
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
  script.taps.push_back(std::move(tap));
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
  // Answers as long as the chain cost a step a TAP, so that asking in a loop stays bounded.
  const bool asks = sub == "names" || (sub == "tapisenabled" && argc == 3);
  if (asks && !take_step(*script.sandbox, script.taps.size())) return JIM_ERR;
  if (sub == "names") return answer_list(interp, tap_names(script));
  if (asks) {
    for (const ImportedTap& tap : script.taps) {
      if (full_name(tap) == word(argv[2])) return answer(interp, tap.enabled ? "1" : "0");
    }
    return fail(interp, "jtag tapisenabled: no TAP named `" + std::string(word(argv[2])) + "'");
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

// `path` made absolute (when the working folder can be known) and plain, without "." and "..".
std::filesystem::path plain(const std::string& path) {
  std::error_code unknown;
  const std::filesystem::path absolute = std::filesystem::absolute(path, unknown);
  return (unknown ? std::filesystem::path(path) : absolute).lexically_normal();
}

bool inside_folders(const ScriptFiles& files, const std::filesystem::path& path) {
  for (const std::string& folder : files.folders) {
    const std::filesystem::path relative = path.lexically_relative(plain(folder));
    if (!relative.empty() && *relative.begin() != "..") return true;
  }
  return false;
}

// The file `name` stands for: itself when absolute, else the first search folder's that exists.
// Empty when there is none, or when it lies outside the search folders.
std::string located(const ScriptFiles& files, const std::string& name) {
  if (std::filesystem::path(name).is_absolute()) {
    const std::filesystem::path path = plain(name);
    return inside_folders(files, path) && files.exists(path.string()) ? path.string() : "";
  }
  for (const std::string& folder : files.folders) {
    const std::filesystem::path path = plain(folder) / std::filesystem::path(name);
    const std::filesystem::path normal = path.lexically_normal();
    if (inside_folders(files, normal) && files.exists(normal.string())) return normal.string();
  }
  return "";
}

std::string not_found(const ScriptFiles& files, std::string_view name) {
  std::string message = "`" + std::string(name) + "' is in none of the folders a script may read:";
  for (const std::string& folder : files.folders) message += " " + folder;
  return message;
}

int find_command(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  const OpenocdScript& script = script_of(interp);
  if (argc != 2) return fail(interp, "find takes one file name");
  const std::string path = located(*script.files, std::string(word(argv[1])));
  return path.empty() ? fail(interp, "find: " + not_found(*script.files, word(argv[1])))
                      : answer(interp, path);
}

int source_command(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  OpenocdScript& script = script_of(interp);
  const bool encoding = argc == 4 && word(argv[1]) == "-encoding";
  if (argc != 2 && !encoding) return fail(interp, "source takes one file name");
  const std::string_view name = word(argv[argc - 1]);
  const std::string path = located(*script.files, std::string(name));
  std::string text;
  if (path.empty()) return fail(interp, "source: " + not_found(*script.files, name));
  if (!script.files->read(path, text)) return fail(interp, "source: cannot read " + path);
  if (script.depth >= kMaxSourceDepth) {
    return fail(interp, "source: files nest deeper than " + std::to_string(kMaxSourceDepth));
  }
  return evaluate_file(script, path, text);
}

int shutdown_command(Jim_Interp* interp, int, Jim_Obj* const*) {
  return fail(interp, "the script calls shutdown, which stops OpenOCD before it has a chain");
}

// Every other command.
int unknown_command(Jim_Interp* interp, int, Jim_Obj* const*) {
  return answer(interp, "");
}

}  // namespace

void add_openocd_commands(OpenocdScript& script) {
  const TclCommand commands[] = {
      {"jtag", shielded<OpenocdScript, jtag_command>},
      {"swj_newdap", shielded<OpenocdScript, swj_newdap_command>},
      {"transport", transport_command},
      {"using_jtag", using_command},
      {"using_swd", using_command},
      {"using_hla", using_command},
      {"target", shielded<OpenocdScript, target_command>},
      {"find", shielded<OpenocdScript, find_command>},
      {"source", shielded<OpenocdScript, source_command>},
      {"shutdown", shielded<OpenocdScript, shutdown_command>},
      {"unknown", unknown_command},
  };
  add_commands(script.sandbox->interp, commands, &script);
}

int evaluate_file(OpenocdScript& script, const std::string& name, const std::string& text) {
  const std::string& kept = script.texts[name] = text;
  script.sandbox->limits.steps += script.sandbox->limits.steps_a_byte * text.size();
  ++script.depth;
  const std::size_t zero = kept.find('\0');
  int code = JIM_OK;
  if (zero != std::string::npos) {
    // Jim reads a script up to its first zero byte: the bytes after it would vanish unseen.
    script.placed = failure_at(name, kept, zero, "a zero byte, which a Tcl script cannot hold");
    Jim_SetResultString(script.sandbox->interp, script.placed->message.c_str(), -1);
    code = JIM_ERR;
  } else {
    code = Jim_EvalSource(script.sandbox->interp, name.c_str(), 1, kept.c_str());
  }
  --script.depth;
  return code;
}

}  // namespace kvr
