// kvrview's pictures of the example boards: the scan paths they draw and the devices they name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "support/view_run.h"
#include "view/picture_render.h"

namespace kvr {
namespace {

const std::string kExamples = KVR_SOURCE_DIR "/examples/";

using testing::kvrview;

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
    const testing::RunResult run = kvrview({c.option, kExamples + c.file});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(edges_of(run.out), split(c.edges)) << c.file << " " << c.option;
  }
  testing::Sandbox sandbox;  // the title names the file in printable characters, '~' included
  sandbox.write("b~\x7f.cfg", sandbox.read(kExamples + "board_v1.cfg"));
  EXPECT_NE(kvrview({"b~\x7f.cfg"}).out.find("label=\"b~?.cfg: version 1"), std::string::npos);
  EXPECT_NE(kvrview({kExamples + "board.cfg"}).out.find("\n  node [shape=box, style=rounded"),
            std::string::npos);
  EXPECT_NE(kvrview({"--group", kExamples + "board.cfg"})
                .out.find("arm_a .. arm_b\\n2 x QVARM901 .. QVARM902\\nIR 4 each"),
            std::string::npos);
}

// Through the program itself: Graphviz's library keeps fonts between renderings that outlive the
// context they belong to, so only one rendering a process is safe, and under LeakSanitizer what
// its font libraries keep for the process is no leak of ours.
TEST(GraphTest, TheExampleRendersAPictureThatNamesEveryDevice) {
  testing::Sandbox sandbox;
  std::string run = KVR_VIEW_PATH;
#if !defined(_WIN32)
  sandbox.write("lsan.supp",
                "leak:libgvc.so\nleak:libfontconfig.so\nleak:libpango\nleak:libcgraph.so\n");
  run = "LSAN_OPTIONS=suppressions=lsan.supp " + run;
#endif
  const std::string board = kExamples + "board.cfg";
  const int status = std::system((run + " --svg b.svg " + board + " 2>err").c_str());
  if (sandbox.read("err").find("no Graphviz library") != std::string::npos) {
    // A build without the library draws nothing, says how to draw, and leaves no file behind.
    EXPECT_NE(status, 0);
    EXPECT_NE(sandbox.read("err").find("render it with `dot -Tsvg board.dot'"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("b.svg"));
    return;
  }
  ASSERT_EQ(status, 0) << sandbox.read("err");
  // A graph Graphviz cannot read is no picture, and says so.
  std::string svg_of_nothing, problem;
  EXPECT_FALSE(render_picture("", "svg", svg_of_nothing, problem));
  EXPECT_EQ(problem, "kvrview: Graphviz could not lay out or render the graph as svg\n");
  const std::string svg = sandbox.read("b.svg");
  const testing::Parsed parsed = testing::parse_text(sandbox.read(board), 2);
  ASSERT_EQ(parsed.status, 0);
  for (const DeviceName& name : parsed.device_names) {
    EXPECT_NE(svg.find(">" + std::string(name.data()) + "</text>"), std::string::npos)
        << name.data();
  }
}

}  // namespace
}  // namespace kvr
