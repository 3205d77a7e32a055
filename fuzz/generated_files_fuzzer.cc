// The files kvrview generates from a database whose names are hostile. A random board (seeded by
// the first two bytes, its version by the second's lowest bit) is compiled to a database, and the
// rest of the input, split at each 0x01 byte, gives the chip name, the database's file name, the
// device --svf asks for, then the bytes of the name fields of the first devices, up to 8 each
// (the rest of a field zero); the third byte chooses the linkers' sub-paths. The database is read
// back, as kvrview reads it, into the chain of --openocd and --svf.
//
// The OpenOCD script is written exactly when the chip and every name of the chain can stand in
// it, holds printable ASCII and line ends only, and, sourced in a Jim interpreter where every
// command but those of kScriptCommands stops the run (exec, open, file, source, socket, set, proc
// and every other one of Jim's, and any unknown one), declares exactly the chain's TAPs from TDO
// to TDI, each with the chip, its name, its IR length, and -disable for one out of the chain. The
// SVF is written exactly when the device is in the chain, and is then two printable comment lines
// and its four commands.
#include <jim.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "base/ascii.h"
#include "bridge/board_chain.h"
#include "bridge/openocd_script.h"
#include "bridge/svf_padding.h"
#include "database/database_reader.h"
#include "support/harness.h"

namespace {

using namespace kvr;

struct Declared {
  std::string chip, tap;
  long ir_length = 0;
  bool disabled = false;
  bool operator==(const Declared&) const = default;
};

// The commands the script may call, by name, each with the subcommands it may be given (none: any).
struct Harness {
  std::map<std::string, std::set<std::string>> allowed;
  std::vector<Declared> declared;
};

[[noreturn]] int tripwire(Jim_Interp*, int argc, Jim_Obj* const* argv) {
  std::fprintf(stderr, "invariant broken: the script calls `%s%s%s', which it must not\n",
               Jim_String(argv[0]), argc > 1 ? " " : "", argc > 1 ? Jim_String(argv[1]) : "");
  std::abort();
}

// `jtag newtap CHIP TAP -irlen N [-disable]' is recorded; another subcommand must be allowed.
int jtag(Jim_Interp* interp, int argc, Jim_Obj* const* argv) {
  Harness& harness = *static_cast<Harness*>(Jim_CmdPrivData(interp));
  const std::string sub = argc > 1 ? Jim_String(argv[1]) : "";
  if (harness.allowed["jtag"].count(sub) == 0) tripwire(interp, argc, argv);
  if (sub != "newtap") return JIM_OK;
  KVR_REQUIRE((argc == 6 || argc == 7) && std::strcmp(Jim_String(argv[4]), "-irlen") == 0);
  Declared tap{Jim_String(argv[2]), Jim_String(argv[3]), 0, argc == 7};
  KVR_REQUIRE(Jim_GetLong(interp, argv[5], &tap.ir_length) == JIM_OK);
  KVR_REQUIRE(argc == 6 || std::strcmp(Jim_String(argv[6]), "-disable") == 0);
  harness.declared.push_back(tap);
  return JIM_OK;
}

int allowed_command(Jim_Interp*, int, Jim_Obj* const*) {
  return JIM_OK;
}

// Sources `script' with only the commands of kScriptCommands; what it declared.
std::vector<Declared> source_script(const std::string& script) {
  Harness harness;
  for (const std::string_view entry : kScriptCommands) {
    const std::size_t blank = entry.find(' ');
    auto& subs = harness.allowed[std::string(entry.substr(0, blank))];
    if (blank != std::string_view::npos) subs.emplace(entry.substr(blank + 1));
  }
  Jim_Interp* interp = Jim_CreateInterp();
  Jim_RegisterCoreCommands(interp);
  KVR_REQUIRE(Jim_Eval(interp, "info commands") == JIM_OK);
  Jim_Obj* names = Jim_GetResult(interp);
  Jim_IncrRefCount(names);
  std::set<std::string> own;  // Jim's own commands
  for (int i = 0; i < Jim_ListLength(interp, names); ++i) {
    own.emplace(Jim_String(Jim_ListGetIndex(interp, names, i)));
  }
  Jim_DecrRefCount(interp, names);
  // A command of Jim's that the list allows stays itself; every other one is a tripwire.
  for (const std::string& name : own) {
    if (harness.allowed.count(name) == 0) {
      Jim_CreateCommand(interp, name.c_str(), tripwire, nullptr, nullptr);
    }
  }
  Jim_CreateCommand(interp, "unknown", tripwire, nullptr, nullptr);
  for (const auto& [name, subs] : harness.allowed) {
    if (own.count(name) != 0) continue;
    Jim_CreateCommand(interp, name.c_str(), name == "jtag" ? jtag : allowed_command, &harness,
                      nullptr);
  }
  const int code = Jim_Eval(interp, script.c_str());
  if (code != JIM_OK) std::fprintf(stderr, "%s\n", Jim_String(Jim_GetResult(interp)));
  KVR_REQUIRE(code == JIM_OK);
  Jim_FreeInterp(interp);
  return harness.declared;
}

bool is_name(std::string_view name, std::size_t longest) {
  return !name.empty() && name.size() <= longest && (longest > 8 || is_letter(name[0])) &&
         std::all_of(name.begin(), name.end(), is_name_char);
}

bool is_printable_text(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return c == '\n' || (c >= ' ' && c <= '~'); });
}

void check_script(const std::vector<ChainTap>& chain, const std::string& chip,
                  const std::string& source) {
  std::string script, problem;
  const Outcome made = openocd_script(chain, chip, source, script, problem);
  KVR_REQUIRE(made != Outcome::kNoMemory);
  const bool fit = is_name(chip, ~std::size_t{0}) &&
                   std::all_of(chain.begin(), chain.end(),
                               [](const ChainTap& tap) { return is_name(tap.name, 8); });
  KVR_REQUIRE((made == Outcome::kDone) == fit);
  if (!fit) {
    KVR_REQUIRE(!problem.empty());
    return;
  }
  KVR_REQUIRE(is_printable_text(script));
  std::vector<Declared> expected;
  for (auto tap = chain.rbegin(); tap != chain.rend(); ++tap) {
    expected.push_back({chip, tap->name, tap->ir_length, !tap->in_chain});
  }
  KVR_REQUIRE(source_script(script) == expected);
}

void check_svf(const std::vector<ChainTap>& chain, const std::string& device,
               const std::string& source) {
  std::string svf, problem;
  const Outcome made = svf_padding(chain, device, source, svf, problem);
  KVR_REQUIRE(made != Outcome::kNoMemory);
  const auto target = std::find_if(chain.begin(), chain.end(), [&](const ChainTap& tap) {
    return tap.name == lower_cased(device);
  });
  KVR_REQUIRE((made == Outcome::kDone) == (target != chain.end() && target->in_chain));
  if (made != Outcome::kDone) return;
  KVR_REQUIRE(is_printable_text(svf));
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < svf.size();) {
    const std::size_t end = svf.find('\n', at);
    KVR_REQUIRE(end != std::string::npos);
    lines.push_back(svf.substr(at, end - at));
    at = end + 1;
  }
  KVR_REQUIRE(lines.size() == 6 && lines[0].starts_with("! ") && lines[1].starts_with("! "));
  const char* const commands[] = {"HIR ", "TIR ", "HDR ", "TDR "};
  for (std::size_t i = 0; i < 4; ++i) {
    KVR_REQUIRE(lines[i + 2].starts_with(commands[i]) && lines[i + 2].ends_with(";"));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const auto version = static_cast<std::uint8_t>(1 + (data[1] & 1));
  const testing::GeneratedBoard generated =
      testing::generate_board(data[0] + 256u * data[1], version);
  const testing::Parsed parsed = testing::parse_text(generated.text, version);
  KVR_REQUIRE(parsed.status == 0);
  std::string bytes = testing::write_bytes(parsed.model, version);
  StoredBoard board;
  ReadFailure failure;
  KVR_REQUIRE(read_board_database(bytes, version, board, failure) == 0);

  std::vector<std::string> pieces;
  const std::string rest(reinterpret_cast<const char*>(data + 3), size - 3);
  for (std::size_t at = 0;;) {
    const std::size_t end = std::min(rest.find('\x01', at), rest.size());
    pieces.push_back(rest.substr(at, end - at));
    if (end == rest.size()) break;
    at = end + 1;
  }
  pieces.resize(std::max<std::size_t>(pieces.size(), 3));
  for (std::size_t i = 3; i < pieces.size() && i - 3 < board.name_fields.size(); ++i) {
    const std::string field = (pieces[i] + std::string(8, '\0')).substr(0, 8);
    bytes.replace(board.high_level_offset + 12 * (i - 3) + 4, 8, field);
  }
  if (read_board_database(bytes, version, board, failure) != 0) return 0;

  std::vector<ChainTap> chain;
  std::string problem;
  KVR_REQUIRE(board_chain(board, {}, chain, problem) == Outcome::kDone);
  std::vector<SubPathChoice> choices;
  unsigned k = data[2];
  for (const ChainTap& tap : chain) {
    if (tap.is_linker && k % 5 != 4) choices.push_back({tap.name, k % 5});
    k = k / 5 + 3;
  }
  if (board_chain(board, choices, chain, problem) != Outcome::kDone) return 0;
  check_script(chain, pieces[0].empty() ? "board" : pieces[0], pieces[1]);
  check_svf(chain, pieces[2], pieces[1]);
  return 0;
}
