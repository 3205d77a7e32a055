// The real OpenOCD as the judge of the bridge: it probes `kvrview --serve' through its
// remote_bitbang adapter with the script `kvrview --openocd' writes, and plays the padding of
// `kvrview --svf' with its svf command. This program runs apart from the other tests: without an
// `openocd' to run it exits with 77, which CTest counts as skipped.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "support/harness.h"

namespace kvr {
namespace {

std::string read_all(std::FILE* stream) {
  std::string bytes;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, stream)) > 0;) {
    bytes.append(buffer, got);
  }
  return bytes;
}

int exit_status(int ended) {
  return WIFEXITED(ended) ? WEXITSTATUS(ended) : -1;
}

// What a shell command prints on standard output and standard error, and its exit status.
std::string run(const std::string& command, int* status = nullptr) {
  std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  const std::string output = read_all(pipe);
  const int ended = exit_status(::pclose(pipe));
  if (status != nullptr) *status = ended;
  return output;
}

std::string shell_word(const std::string& word) {
  return "'" + word + "'";
}

// `kvrview --serve WORDS' running, with its standard output. A server that a fault keeps alive is
// ended by `timeout', so that the fault shows as a failure rather than a test that never ends.
class Server {
 public:
  explicit Server(const std::string& words)
      : out_(
            ::popen(("exec timeout 300 " KVR_VIEW_PATH " --serve --quiet " + words).c_str(), "r")) {
    char line[32] = "";
    if (std::fgets(line, sizeof line, out_) != nullptr) port_ = std::atoi(line);
  }
  ~Server() { stop(); }
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;
  int port() const { return port_; }

  // Waits for the server to end, as a client's 'Q' ends it, and returns what it printed after
  // the port.
  std::string stop() {
    if (out_ == nullptr) return "";
    const std::string printed = read_all(out_);
    status_ = exit_status(::pclose(out_));
    out_ = nullptr;
    return printed;
  }
  int status() const { return status_; }

 private:
  std::FILE* out_;
  int port_ = 0;
  int status_ = -1;
};

// OpenOCD with the remote_bitbang adapter at `port', the script, then `commands'.
std::string openocd(int port, const std::string& script, const std::vector<std::string>& commands,
                    int* status) {
  std::string command = "openocd -c 'adapter driver remote_bitbang; remote_bitbang port " +
                        std::to_string(port) + "' -f " + shell_word(script);
  for (const std::string& c : commands) command += " -c " + shell_word(c);
  return run(command, status);
}

// The rows of OpenOCD's scan_chain table, from TDI to TDO: "name irlen" and " out" when disabled.
std::vector<std::string> scan_chain_rows(const std::string& output) {
  static const std::regex row(R"(\n *\d+ (\S+) +([Yn]) +0x[0-9a-f*]+ +0x[0-9a-f*]+ +(\d+) )");
  std::vector<std::string> rows;
  for (std::sregex_iterator m(output.begin(), output.end(), row), end; m != end; ++m) {
    rows.insert(rows.begin(), (*m)[1].str() + " " + (*m)[3].str() + ((*m)[2] == "n" ? " out" : ""));
  }
  return rows;
}

// The scan chain that a board's JSON (kvrview --json) describes, worked out from its device records
// alone, from TDI to TDO: every main-path device in record order, each linker followed by its
// sub-paths 0 to 3, of which the selected one (`selected` maps a linker's name to it) is in the
// chain and the others are out.
struct ExpectedTap {
  std::string name;
  std::uint32_t ir_length = 0;
  bool in_chain = true;
  std::string linker;  // a sub-path device's linker, and its sub-path
  int sub_path = -1;
};

std::vector<ExpectedTap> expected_chain(const nlohmann::json& board,
                                        const std::map<std::string, int>& selected) {
  std::map<std::uint32_t, const nlohmann::json*> by_id;
  for (const nlohmann::json& device : board["devices"]) by_id[device["dev_id"]] = &device;
  std::map<std::uint32_t, const nlohmann::json*> linkers;
  for (const nlohmann::json& linker : board["linkers"]) linkers[linker["dev_id"]] = &linker;
  std::vector<ExpectedTap> chain;
  for (const nlohmann::json& device : board["devices"]) {
    if (device["parent"] != 0) continue;
    chain.push_back({device["name"], device["mainIR"], true, "", -1});
    const auto linker = linkers.find(device["dev_id"]);
    if (linker == linkers.end()) continue;
    const auto choice = selected.find(device["name"]);
    for (int k = 0; k < 4; ++k) {
      for (const std::uint32_t id : (*linker->second)["sub_paths"][k]) {
        chain.push_back({(*by_id[id])["name"], (*by_id[id])["mainIR"],
                         choice != selected.end() && choice->second == k, device["name"], k});
      }
    }
  }
  return chain;
}

// A sub-path for some of the board's linkers, picked by `seed`.
std::map<std::string, int> some_selections(const nlohmann::json& board, unsigned seed) {
  std::map<std::string, int> selected;
  for (const nlohmann::json& linker : board["linkers"]) {
    seed = seed * 1103515245u + 12345u;
    if ((seed >> 16) % 5 != 4) selected[linker["name"]] = static_cast<int>((seed >> 16) % 5);
  }
  return selected;
}

// The boards the checks run on: both examples, then random boards of both versions.
struct Board {
  std::string file;
  nlohmann::json json;
  std::map<std::string, int> selected;
};

// Both examples, each without and with a selection, then random boards of both versions with at
// least one device in the chain, `count' in all.
std::vector<Board> boards(const testing::Sandbox& sandbox, std::size_t count) {
  std::vector<Board> boards;
  for (unsigned seed = 0; boards.size() < count; ++seed) {
    Board b{KVR_SOURCE_DIR +
                std::string(seed % 2 == 0 ? "/examples/board.cfg" : "/examples/board_v1.cfg"),
            {},
            {}};
    if (seed >= 4) {
      b.file = "b" + std::to_string(seed) + ".cfg";
      sandbox.write(b.file,
                    testing::generate_board(seed, static_cast<std::uint8_t>(1 + seed % 2)).text);
    }
    b.json = nlohmann::json::parse(run(KVR_VIEW_PATH " --json --quiet " + shell_word(b.file)));
    if (seed >= 2) b.selected = some_selections(b.json, seed);
    const std::vector<ExpectedTap> chain = expected_chain(b.json, b.selected);
    if (std::any_of(chain.begin(), chain.end(), [](const auto& tap) { return tap.in_chain; })) {
      boards.push_back(std::move(b));
    }
  }
  return boards;
}

std::string selections(const Board& board) {
  std::string words;
  for (const auto& [linker, k] : board.selected)
    words += " --select " + linker + ":" + std::to_string(k);
  return words;
}

// OpenOCD's init shifts through the whole chain and checks each IR's capture and the chain's
// length; scan_chain then lists exactly the board's devices, in order, with their IR lengths,
// those of an unselected sub-path disabled. The script, imported, gives the chain back.
TEST(OpenocdClient, ScanChainListsEveryDeviceOfTheServedBoard) {
  testing::Sandbox sandbox;
  unsigned linkers = 0, selected = 0;
  for (const Board& board : boards(sandbox, 56)) {
    linkers += static_cast<unsigned>(board.json["linkers"].size());
    selected += static_cast<unsigned>(board.selected.size());
    run(KVR_VIEW_PATH " --openocd --quiet -o chain.tcl " + shell_word(board.file) +
        selections(board));
    Server server(shell_word(board.file) + selections(board));
    int status = -1;
    const std::string output =
        openocd(server.port(), "chain.tcl", {"init", "scan_chain", "shutdown"}, &status);
    server.stop();
    std::vector<std::string> expected;
    std::string every_tap, imported;
    for (const ExpectedTap& tap : expected_chain(board.json, board.selected)) {
      const std::string tap_text = tap.name + " " + std::to_string(tap.ir_length);
      expected.push_back("board." + tap_text + (tap.in_chain ? "" : " out"));
      every_tap += tap_text + "\n";
    }
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output.find("Error"), std::string::npos) << board.file << "\n" << output;
    EXPECT_EQ(scan_chain_rows(output), expected) << board.file << "\n" << output;
    EXPECT_EQ(server.status(), 0);
    // The script imported back gives every device of the board, those of sub-paths out of the
    // chain included (its tap-enable handlers put them back on their sub-paths), with their names
    // and IR lengths.
    const std::string back =
        run(KVR_VIEW_PATH " --import -o back.cfg chain.tcl && " KVR_VIEW_PATH " --json back.cfg");
    if (back.find("without Jim Tcl") != std::string::npos) continue;
    ASSERT_TRUE(back.starts_with("{")) << back;
    const nlohmann::json back_json = nlohmann::json::parse(back);
    for (const nlohmann::json& device : back_json["devices"]) {
      imported += device["name"].get<std::string>() + " " + device["mainIR"].dump() + "\n";
    }
    EXPECT_EQ(imported, every_tap) << board.file;
  }
  EXPECT_GT(linkers, 10u);
  EXPECT_GT(selected, 5u);
}

// What the server logs after an IR scan of `enabled' in `chain': its instruction all zeros, every
// other device of the chain in BYPASS.
std::string ir_line(const std::vector<ExpectedTap>& chain, const std::string& enabled) {
  std::string line = "ir";
  for (const ExpectedTap& tap : chain) {
    if (!tap.in_chain) continue;
    const std::uint32_t digits = (tap.ir_length + 3) / 4, top = tap.ir_length - 4 * (digits - 1);
    line += " " + tap.name + "=" +
            (tap.name == enabled ? std::string(digits, '0')
                                 : "0137F"[digits == 0 ? 0 : top] + std::string(digits - 1, 'F'));
  }
  return line;
}

std::vector<std::string> listed_rows(const std::vector<ExpectedTap>& chain) {
  std::vector<std::string> rows;
  for (const ExpectedTap& tap : chain) {
    rows.push_back("board." + tap.name + " " + std::to_string(tap.ir_length) +
                   (tap.in_chain ? "" : " out"));
  }
  return rows;
}

// OpenOCD switches the linkers of the running board through the script's tap-enable handlers:
// from init with no sub-path selected, `jtag tapenable' of a device on each sub-path in turn
// brings that whole sub-path in and takes the one before out, the chain's length changing as
// OpenOCD's scan_chain reports it; an irscan reaches the enabled device, whose data register is a
// one-bit BYPASS that captures 0; `jtag tapdisable' leaves the sub-path, and the server's log
// shows each selection as the linker's registers made it.
TEST(OpenocdClient, TapenableSwitchesTheSubPathsOfTheRunningBoard) {
  testing::Sandbox sandbox;
  unsigned switched = 0;
  for (const Board& board : boards(sandbox, 14)) {
    const std::vector<ExpectedTap> none = expected_chain(board.json, {});
    std::vector<std::string> commands = {"init"}, selections, ir_lines;
    std::vector<std::vector<std::string>> rows;  // what each scan_chain lists, in turn
    for (const nlohmann::json& linker : board.json["linkers"]) {
      const std::string name = linker["name"];
      std::string first_of[4], last;
      for (const ExpectedTap& tap : none) {
        if (tap.linker == name && first_of[tap.sub_path].empty()) first_of[tap.sub_path] = tap.name;
      }
      for (int k = 0; k < 4; ++k) {
        if (first_of[k].empty()) continue;
        last = first_of[k];
        commands.insert(commands.end(),
                        {"jtag tapenable board." + last, "echo ==", "scan_chain",
                         "irscan board." + last + " 0", "drscan board." + last + " 1 1"});
        const std::vector<ExpectedTap> chain = expected_chain(board.json, {{name, k}});
        rows.push_back(listed_rows(chain));
        ir_lines.push_back(ir_line(chain, last));
        selections.push_back("select " + name + "=" + std::to_string(k));
        ++switched;
      }
      if (last.empty()) continue;
      commands.insert(commands.end(), {"jtag tapdisable board." + last, "echo ==", "scan_chain"});
      rows.push_back(listed_rows(none));
      selections.push_back("select " + name + "=none");
    }
    if (rows.empty()) continue;
    run(KVR_VIEW_PATH " --openocd -o chain.tcl " + shell_word(board.file));
    Server server("--log " + shell_word(board.file));
    commands.push_back("shutdown");
    int status = -1;
    const std::string output = openocd(server.port(), "chain.tcl", commands, &status);
    std::istringstream log(server.stop());
    std::vector<std::string> logged_selections;
    std::string logged = "\n";
    for (std::string line; std::getline(log, line);) {
      if (line.starts_with("select ")) logged_selections.push_back(line);
      logged += line + "\n";
    }
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output.find("Error"), std::string::npos) << board.file << "\n" << output;
    std::vector<std::vector<std::string>> listed;
    for (std::size_t at = output.find("==\n"); at != std::string::npos;) {
      const std::size_t next = output.find("==\n", at + 3);
      listed.push_back(scan_chain_rows(output.substr(at, next - at)));
      at = next;
    }
    EXPECT_EQ(listed, rows) << board.file << "\n" << output;
    // Each drscan of an enabled device's one-bit BYPASS gives back the 0 it captured.
    std::size_t zeros = 0;
    for (std::size_t at = output.find("\n00\n"); at != std::string::npos; ++zeros) {
      at = output.find("\n00\n", at + 3);
    }
    EXPECT_EQ(zeros, ir_lines.size()) << output;
    EXPECT_EQ(logged_selections, selections) << board.file;
    for (const std::string& line : ir_lines) {
      EXPECT_NE(logged.find("\n" + line + "\n"), std::string::npos) << line << logged;
    }
  }
  EXPECT_GT(switched, 8u);
}

// `bits' ones, in hexadecimal as SVF and the server's log write them.
std::string hex_bits(std::uint32_t bits, std::uint32_t value_bits, std::uint64_t value) {
  std::string hex;
  for (std::uint32_t digit = (bits + 3) / 4; digit-- > 0;) {
    unsigned nibble = 0;
    for (std::uint32_t b = std::min(bits, 4 * digit + 4); b-- > 4 * digit;) {
      nibble = 2 * nibble + (b < value_bits ? static_cast<unsigned>(value >> b & 1) : 1);
    }
    hex += "0123456789ABCDEF"[nibble];
  }
  return hex;
}

// For each device of the chain in turn, the --svf padding and one SIR with a pattern of its own:
// OpenOCD's svf command plays them, and after each SIR the server's log shows the pattern in that
// device and the all-ones BYPASS instruction in every other.
TEST(OpenocdClient, SvfPaddingLoadsAnInstructionIntoOneDeviceAndBypassIntoTheOthers) {
  testing::Sandbox sandbox;
  for (const Board& board : boards(sandbox, 16)) {
    std::vector<ExpectedTap> chain;
    for (const ExpectedTap& tap : expected_chain(board.json, board.selected)) {
      if (tap.in_chain) chain.push_back(tap);
    }
    std::string svf;
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < chain.size(); ++i) {
      // A pattern that is not all ones: its top bit zero, the rest from the device's place.
      const std::uint32_t length = chain[i].ir_length;
      const std::uint32_t value_bits = std::min<std::uint32_t>(length, 16);
      const std::uint64_t pattern = (0x5A3Cu + 977u * i) & ((1u << (value_bits - 1)) - 1);
      svf += run(KVR_VIEW_PATH " --quiet --svf " + chain[i].name + " " + shell_word(board.file) +
                 selections(board));
      svf += "SIR " + std::to_string(length) + " TDI (" + hex_bits(length, value_bits, pattern) +
             ");\n";
      std::string line = "ir";
      for (std::size_t j = 0; j < chain.size(); ++j) {
        line += " " + chain[j].name + "=" +
                hex_bits(chain[j].ir_length, i == j ? value_bits : 0, pattern);
      }
      expected.push_back(line);
    }
    sandbox.write("pad.svf", svf);
    run(KVR_VIEW_PATH " --openocd --quiet -o chain.tcl " + shell_word(board.file) +
        selections(board));
    Server server("--log " + shell_word(board.file) + selections(board));
    int status = -1;
    const std::string output =
        openocd(server.port(), "chain.tcl", {"init", "svf -quiet pad.svf", "shutdown"}, &status);
    std::istringstream log(server.stop());
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    ASSERT_GE(lines.size(), expected.size()) << output;
    EXPECT_EQ(
        std::vector<std::string>(lines.end() - static_cast<long>(expected.size()), lines.end()),
        expected)
        << board.file << "\n"
        << svf << output;
    EXPECT_EQ(output.find("Error"), std::string::npos) << output;
  }
}

}  // namespace
}  // namespace kvr

int main(int argc, char** argv) {
  int status = -1;
  kvr::run("openocd --version", &status);
  if (status != 0) {
    std::printf(
        "Skipped: there is no `openocd' to run (Debian package openocd), and the checks of "
        "the bridge against the real OpenOCD need one.\n");
    return 77;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
