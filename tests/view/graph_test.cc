// kvrview's pictures and JSON, held against the example boards and against kvrbuild's own
// verbose analysis of the same boards.
#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>

#include "database/path_rules.h"
#include "view/view_support.h"

namespace kvr {
namespace {

using testing::run_kvrview;
const std::string kExamples = KVR_SOURCE_DIR "/examples/";

// The graph's edges as "from>to" with the first line of each node's label ("+" after a linker's
// name for the point where its sub-paths meet) and ":k" for a sub-path's first edge.
std::set<std::string> edges_of(const std::string& dot) {
  std::map<std::string, std::string> names = {{"tdi", "tdi"}, {"tdo", "tdo"}};
  const std::regex node(R"(\n  (d\d+) \[label="([^"\\ ]*))"),
      edge(R"((\w+) -> (\w+)(?: \[label="(\d))?)");
  for (std::sregex_iterator m(dot.begin(), dot.end(), node), end; m != end; ++m) {
    names[(*m)[1]] = (*m)[2];
    names[(*m)[1].str() + "_out"] = (*m)[2].str() + "+";
  }
  std::set<std::string> edges;
  for (std::sregex_iterator m(dot.begin(), dot.end(), edge), end; m != end; ++m) {
    edges.insert(names[(*m)[1]] + ">" + names[(*m)[2]] +
                 ((*m)[3].matched ? ":" + (*m)[3].str() : ""));
  }
  return edges;
}

std::set<std::string> split(const std::string& words) {
  std::istringstream in(words);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

TEST(GraphTest, TheExamplesDrawTheirScanPathsFromTdiToTdo) {
  const std::string v2 =
      "link>dsp_b:0 dsp_b>dsp_c dsp_c>link+ link>link+:1 link>arm_c:2 arm_c>link+ link>link+:3 ";
  const struct {
    std::string file, option, edges;
  } cases[] = {
      {"board.cfg", "--", v2 + "tdi>fpga fpga>dsp_a dsp_a>link link+>arm_a arm_a>arm_b arm_b>tdo"},
      {"board.cfg", "--group", v2 + "tdi>fpga fpga>dsp_a dsp_a>link link+>arm_a arm_a>tdo"},
      {"board_v1.cfg", "--",
       "tdi>dsp_a dsp_a>fpga fpga>arm arm>link link>dsp_b:0 dsp_b>link+ "
       "link>link+:1 link>dbm:2 dbm>link+ link>link+:3 link+>tdo"},
  };
  for (const auto& c : cases) {
    const testing::RunResult run = run_kvrview({c.option, kExamples + c.file});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(edges_of(run.out), split(c.edges)) << c.file << " " << c.option;
  }
  EXPECT_NE(
      run_kvrview({"--group", kExamples + "board.cfg"}).out.find("arm_a .. arm_b\\n2 x QVARM900"),
      std::string::npos);
}

// A device as its name, its high-level class and the fifteen words of its record.
std::string device_text(const std::string& name, std::uint64_t high_level,
                        const std::vector<std::uint32_t>& words) {
  std::string text = name + " " + std::to_string(high_level);
  for (const std::uint32_t word : words) text += " " + std::to_string(word);
  return text;
}

// kvrbuild -va's devices, every device group expanded as a reader expands it.
std::vector<std::string> analysed_devices(const std::string& dump, bool v2) {
  using Words = std::array<std::uint32_t, 15>;
  std::vector<std::uint32_t> words;
  std::vector<Words> records;
  std::vector<std::string> devices;
  std::string name, line;
  for (std::istringstream lines(dump); std::getline(lines, line);) {
    if (line.rfind("    name  = \"", 0) == 0) name = line.substr(13, line.size() - 14);
    if (line.rfind("    class = ", 0) == 0) {
      const Words& record = records.at(devices.size());
      devices.push_back(device_text(name, std::stoul(line.substr(12), nullptr, 16),
                                    {record.begin(), record.end()}));
    }
    if (line.rfind("    ", 0) != 0 || line.size() < 17 || line[14] != '=') continue;
    words.push_back(static_cast<std::uint32_t>(std::stoul(line.substr(16), nullptr, 16)));
    if (words.size() < (v2 ? 16u : 15u)) continue;
    Words head;
    std::copy_n(words.begin(), 15, head.begin());
    auto d = std::bit_cast<DeviceRecord>(head);
    for (std::uint32_t n = 0; n < (v2 ? words.back() : 1); ++n, d = derived_follower(d)) {
      records.push_back(std::bit_cast<Words>(d));
    }
    words.clear();
  }
  return devices;
}

std::vector<std::string> json_devices(const std::string& text) {
  std::vector<std::string> devices;
  const nlohmann::json board = nlohmann::json::parse(text);
  for (const nlohmann::json& d : board["devices"]) {
    std::vector<std::uint32_t> words;
    for (const char* field : {"dev_id", "cls_id", "prior", "parent", "subpath", "connect", "sub_id",
                              "mainIR", "preIR", "preDR", "posIR", "posDR"}) {
      for (const nlohmann::json& word : d[field].is_array() ? d[field] : nlohmann::json{d[field]}) {
        words.push_back(word);
      }
    }
    devices.push_back(device_text(d["name"], d["class"], words));
  }
  return devices;
}

TEST(GraphTest, TheJsonOfABoardListsTheDevicesOfItsVerboseAnalysis) {
  testing::Sandbox sandbox;
  std::vector<std::pair<std::string, int>> boards = {{sandbox.read(kExamples + "board.cfg"), 2},
                                                     {sandbox.read(kExamples + "board_v1.cfg"), 1}};
  for (unsigned seed = 1; seed <= 20; ++seed) {
    for (std::uint8_t version : {1, 2})
      boards.emplace_back(testing::BoardGenerator(seed, version).board(), version);
  }
  for (const auto& [text, version] : boards) {
    sandbox.write("b.cfg", text);
    const std::string g = "-g" + std::to_string(version);
    ASSERT_EQ(sandbox.run({g, "b.cfg", "b.dat"}).exit_status, 0) << text;
    const std::vector<std::string> listed =
        analysed_devices(sandbox.run({"-va", "b.dat"}).out, version == 2);
    for (const char* file : {"b.cfg", "b.dat"}) {
      const testing::RunResult json = run_kvrview({"--json", file});
      ASSERT_EQ(json.exit_status, 0) << json.err << text;
      EXPECT_EQ(json_devices(json.out), listed) << file << "\n" << text;
      EXPECT_TRUE(json.out.starts_with("{\n  \"file\": \"" + std::string(file) + "\",\n"));
    }
  }
}

// Through the program itself: Graphviz's library keeps fonts between renderings that outlive the
// context they belong to, so only one rendering a process is safe, and under LeakSanitizer what
// its font libraries keep for the process is no leak of ours.
TEST(GraphTest, EachExampleRendersAPictureThatNamesEveryDevice) {
  testing::Sandbox sandbox;
  sandbox.write("lsan.supp",
                "leak:libgvc.so\nleak:libfontconfig.so\nleak:libpango\nleak:libcgraph.so\n");
  for (const char* example : {"board.cfg", "board_v1.cfg"}) {
    const std::string command = "LSAN_OPTIONS=suppressions=lsan.supp " KVR_VIEW_PATH
                                " --svg b.svg " +
                                kExamples + example + " 2>err";
    const int status = std::system(command.c_str());
    if (sandbox.read("err").find("no Graphviz library") != std::string::npos)
      GTEST_SKIP() << sandbox.read("err");
    ASSERT_EQ(status, 0) << sandbox.read("err");
    const std::string svg = sandbox.read("b.svg");
    for (const std::string& device :
         json_devices(run_kvrview({"--json", kExamples + example}).out)) {
      const std::string name = device.substr(0, device.find(' '));
      EXPECT_NE(svg.find(">" + name + "</text>"), std::string::npos) << example << ": " << name;
    }
  }
}

}  // namespace
}  // namespace kvr
