// kvrview's database back to text and as JSON, its refusals, and --check's diagnostics.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <tuple>

#include "database/database_reader.h"
#include "support/view_run.h"
#include "view/config_text.h"

namespace kvr {
namespace {

using testing::kvrview;
using testing::parse_text;
using testing::words;
using testing::write_bytes;

std::string database_of(const std::string& text, std::uint8_t version) {
  const testing::Parsed parsed = parse_text(text, version);
  EXPECT_EQ(parsed.status, 0) << text;
  return write_bytes(parsed.model, version);
}

// The devices as the JSON must list them: the parser's, field by field.
nlohmann::json devices_of(const testing::Parsed& parsed) {
  nlohmann::json devices = nlohmann::json::array();
  for (std::size_t i = 0; i < parsed.devices.size(); ++i) {
    const DeviceRecord& d = parsed.devices[i];
    // clang-format off
    devices.push_back({{"name", parsed.device_names[i].data()}, {"class", parsed.device_classes[i]},
        {"dev_id", d.dev_id}, {"cls_id", d.cls_id}, {"prior", d.prior}, {"parent", d.parent},
        {"subpath", d.subpath}, {"connect", d.connect}, {"sub_id", d.sub_id}, {"mainIR", d.mainIR},
        {"preIR", d.preIR}, {"preDR", d.preDR}, {"posIR", d.posIR}, {"posDR", d.posDR}});
    // clang-format on
  }
  return devices;
}

// Every database kvrbuild writes comes back as a text that compiles to the same bytes. The JSON
// of the board.cfg (through the model) and of its board.dat (through the database reader, which
// expands every device group) lists the devices the parser gives, with every field. Set
// KVR_ROUND_TRIP_BOARDS for a longer run (bench/round_trip.sh runs 10,000).
TEST(TextTest, EveryRandomBoardComesBackAsTextAndAsTheJsonOfItsDevices) {
  const char* boards = std::getenv("KVR_ROUND_TRIP_BOARDS");
  const unsigned count = boards != nullptr ? static_cast<unsigned>(std::atoi(boards)) : 300;
  testing::Sandbox sandbox;
  for (unsigned seed = 1; seed <= count; ++seed) {
    const auto version = static_cast<std::uint8_t>(1 + seed % 2);
    const std::string board = testing::generate_board(seed, version).text;
    const testing::Parsed parsed = parse_text(board, version);
    ASSERT_EQ(parsed.status, 0) << board;
    const std::string bytes = write_bytes(parsed.model, version);
    std::string text, refusal;
    ASSERT_TRUE(config_text_of(bytes, version, "b.dat", text, refusal)) << refusal << "\n" << board;
    const testing::Parsed back = parse_text(text, version);
    ASSERT_EQ(back.status, 0) << text;
    ASSERT_EQ(write_bytes(back.model, version), bytes) << text;
    if (seed > 40) continue;  // the JSON of the first boards is enough
    sandbox.write("b.cfg", board);
    sandbox.write("b.dat", bytes);
    for (const char* file : {"b.cfg", "b.dat"}) {
      const testing::RunResult json = kvrview({"--json", file});
      ASSERT_EQ(json.exit_status, 0) << json.err << board;
      nlohmann::json listed = nlohmann::json::parse(json.out)["devices"];
      for (nlohmann::json& device : listed) device.erase("class_id");
      EXPECT_EQ(listed, devices_of(parsed)) << file << "\n" << board;
      EXPECT_TRUE(json.out.starts_with("{\n  \"file\": \"" + std::string(file) + "\",\n"));
    }
  }
  // The longest IR lengths that class-ID digits give come back as those digits.
  std::string text, refusal;
  ASSERT_TRUE(config_text_of(database_of(";CFG-2.0\n\"a\" GENERIC400 \"b\" BYPASS400", 2), 2,
                             "b.dat", text, refusal))
      << refusal;
  EXPECT_NE(text.find("\"a\"        GENERIC400\n\"b\"        BYPASS400\n"), std::string::npos)
      << text;
}

std::string with(std::string bytes, std::size_t offset, const std::string& patch) {
  return bytes.replace(offset, patch.size(), patch);
}

TEST(TextTest, ADatabaseThatNoTextGivesIsRefusedWithWhatCannotBeExpressed) {
  testing::Sandbox sandbox;
  const std::string v2 = database_of(sandbox.read(KVR_SOURCE_DIR "/examples/board.cfg"), 2);
  const std::string v1 = database_of(sandbox.read(KVR_SOURCE_DIR "/examples/board_v1.cfg"), 1);
  StoredBoard b;  // where the parts of the version 2 example stand
  ReadFailure failure;
  ASSERT_EQ(read_board_database(v2, 2, b, failure), 0);
  const std::size_t name = b.high_level_offset + 4, dsp_a = b.device_offsets[1];
  const std::size_t fpga_v1 = 12 + 16 * 82 + 60, fpga_class_v1 = fpga_v1 + std::size_t{60} * 5 + 12;
  const std::string fpga("fpga\0", 5), v1_ir = with(v1, fpga_v1 + 40, words({0x100}));
  std::string odd_size = v2;  // the first block of 16 class records, of a size no family has
  for (std::size_t k = 1; k <= 16; ++k)
    odd_size = with(odd_size, b.class_offset + 16 * k + 4, words({0x1234}));
  const std::string like = database_of(";CFG-2.0\n\"a\" DBM \"b\" DBM", 2);  // one group of two
  const std::string apart = with(like.substr(0, 104), 16, words({156})) +    // two groups
                            words({1, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 8, 8, 1, 0, 0, 1}) +
                            like.substr(108);
  const std::tuple<std::string, std::uint8_t, std::string> cases[] = {
      // clang-format off
      {v2.substr(0, v2.size() - 3), 2, "(a device name): Database file too short [-135]"},
      {with(v2, name, "Fpga"), 2, "1 (high-level entry at offset 0x690): its name field holds"},
      {with(v2, name + 12, fpga), 2, "2 (high-level entry at offset 0x69C): its name field is"},
      {with(v2, b.variables[1].offset + 9, " "), 2, "variable 1 (offset 0x29): its value cannot"},
      {with(v2, b.variables[0].offset, "1"), 2, "variable 0 (offset 0x10): its name cannot stand"},
      {with(v2, b.variables[1].offset + 13, ";"), 2, "variable 1 (offset 0x29): its value cannot"},
      {with(v2, b.device_offsets[0] + 52, words({0x99})), 2,
       "device 1 `fpga' (record at offset 0x4D0): posIR is 0x99, where its place"},
      {with(v2, dsp_a + 4, words({50})), 2, "device 3 `link' uses class record 17, where a board"},
      {with(v2, b.device_offsets[2] + 4, words({b.devices[1].cls_id})), 2, "shares class record"},
      {with(v2, b.class_offset + 36, words({0x12})), 2, "class record 2 (offset 0xD0) is no"},
      {odd_size, 2, "record 1 (offset 0xC0) begins a block of 16 records of size 0x1234, which no"},
      {with(v2, b.high_level_offset + 12, words({0x12345})), 2, "`dsp_a': no family whose block"},
      {with(v2, b.device_offsets[5] + 12, words({1})), 2, "its parent 1 and sub-path 2 place it"},
      {with(v2, 162, "\x01"), 2, "offset 0xA2 (the variables and their padding): the byte is 0x1"},
      {v2 + "x", 2, "offset 0x6F0 (bytes after the end of the database): kvrbuild writes"},
      {apart, 2, "offset 0x10 (the second size word): the byte is 0x9C, where kvrbuild writes 0x5C, "
                 "since it stores each run of like devices as one group"},
      {with(v1_ir, fpga_class_v1, words({0x100})), 1, "`fpga': no family whose block is 1 records"},
      {v2.substr(0, b.high_level_offset - 8), 2, "(a device record): Database file too short [-135]"},
      {with(v2, 8, words({0x02000000})), 2, "offset 0x8 (the first size word): Database file"},
  };  // clang-format on
  for (const auto& [bytes, version, message] : cases) {
    std::string text, refusal;
    EXPECT_FALSE(config_text_of(bytes, version, "b.dat", text, refusal)) << message;
    EXPECT_NE(refusal.find(message), std::string::npos) << refusal;
    EXPECT_EQ(text, "");
  }
  sandbox.write("bad.dat", std::get<0>(cases[1]));
  const testing::RunResult run = kvrview({"--cfg", "-o", "out.cfg", "bad.dat"});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, "bad.dat: error: no board.cfg compiles to this database: device " +
                         std::get<2>(cases[1]) + " upper case, which a board.cfg stores in lower " +
                         "case\n");
  EXPECT_FALSE(std::ifstream("out.cfg").good()) << "a refused database leaves no output file";
  sandbox.write("cut.dat", std::get<0>(cases[0]));  // a damaged database, as kvrview reads it
  EXPECT_EQ(kvrview({"cut.dat"}).err.substr(0, 70),
            "cut.dat: error at offset 0x6E8 (a device name): Database file too shor");
#if !defined(_WIN32)              // no tab in a Windows file name
  sandbox.write("a\tb.dat", v2);  // the header names the file in printable characters
  EXPECT_NE(kvrview({"--cfg", "a\tb.dat"}).out.find("database `a?b.dat'"), std::string::npos);
#endif
}

TEST(TextTest, CheckShowsAnErrorAtItsLineAndColumnWithItsStatus) {
  const std::string cut = std::string("\"a\" DBM\0", 8) + std::string(4127, 'x');
  const std::tuple<std::string, int, int, Status, std::string> cases[] = {
      // text, line, column, status, and the line shown where it is not the text's line
      {";CFG-2.0\n\t\"a\"\tDBM \"b\"  QV740K42\n", 2, 15, -383, ""},  // a tab is one column
      {";CFG-2.0\n[v]   \n", 2, 7, -354, ""},                         // just past the last line
      {";CFG-2.0\n\"a\" DBM\n\"A\" DBM\n[x] 1\n[x", 3, 1, -374, ""},  // at the second name
      {";CFG-2.0\n[Pod] yes [x] 1\n", 2, 7, -365, ""},
      {";CFG-2.0\n[a]\n[b] 1\n", 3, 1, -365, ""},
      {";CFG-2.0\n\"l\" SPL {} {} {} x\n", 2, 18, -391, ""},
      {";CFG-2.0\n\"a\" BYPASS000", 2, 5, -390, ""},
      {"\"a\" GENERIC001\n", 1, 5, -383, ""},
      {"; v1\n\"abcdefghi\" DBM", 2, 10, -375, ""},  // at the name's ninth character
      {";CFG-2.0\n" + std::string(4135, ' ') + "\n", 2, 4135, -356, ""},
      // The line as the parser reads it: cut at the line limit, ended by a zero byte or a Ctrl-Z.
      {";CFG-2.0\n" + cut + "\"b\" QVX\n\"c\" DBM\n", 3, 5, -381, "\"b\" QVX"},
      {";CFG-2.0\n\"a\" SPL {\x1a} {} {} {}\n", 2, 10, -354, "\"a\" SPL {"},
  };
  testing::Sandbox sandbox;
  for (const auto& [board, line_number, column, status, shown] : cases) {
    sandbox.write("b.cfg", board);
    const testing::RunResult run = kvrview({"--check", "b.cfg"});
    const std::string where =
        "b.cfg:" + std::to_string(line_number) + ":" + std::to_string(column) + ": error: ";
    EXPECT_EQ(run.exit_status, 1) << board;
    EXPECT_TRUE(run.err.starts_with(where) || run.err.find("\n" + where) != std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(" [" + std::to_string(status) + "]\n"), std::string::npos) << run.err;
    std::istringstream lines(board);
    std::string line = shown, caret;  // the caret stands under the column, after the line's tabs
    for (int n = 0; shown.empty() && n < line_number; ++n) std::getline(lines, line);
    for (int k = 0; k + 1 < column; ++k)
      caret += line[static_cast<std::size_t>(k)] == '\t' ? '\t' : ' ';
    EXPECT_NE(run.err.find("\n" + line + "\n" + (caret += "^\n")), std::string::npos) << run.err;
    // The status and the line are kvrbuild's own.
    const std::string version = board.starts_with(";CFG-2.0") ? "-p2" : "-p1";
    const std::string said = sandbox.run({version, "b.cfg"}).out;
    EXPECT_NE(said.find("syntax error in line " + std::to_string(line_number) + ".\n"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("value is: `" + std::to_string(status) + "'"), std::string::npos) << said;
  }
  sandbox.write("b.cfg", sandbox.read(KVR_SOURCE_DIR "/examples/board.cfg"));
  const testing::RunResult valid = kvrview({"--check", "b.cfg"});
  EXPECT_EQ(valid.exit_status + valid.out.size() + valid.err.size(), 0u) << valid.err;
}

}  // namespace
}  // namespace kvr
