// Allocation failures at every growth point of a parse: the parse reports -131, lets no exception
// out, and leaves a model that release_board_model frees completely.
#include <gtest/gtest.h>

#include <string>

#include "config/board_config_parser.h"
#include "support/alloc_failure.h"
#include "support/test_files.h"

namespace kvr {
namespace {

using testing::AllocationFailureAfter;
using testing::stream_with;

std::string mid_sized_file() {
  std::string text = ";CFG-2.0\n";
  for (int i = 0; i < 12; ++i) {
    const std::string n = std::to_string(i);
    text.append("[variable_with_a_long_name_").append(n).append("] '");
    text.append(40, 'v').append("'\n");
    text.append("\"cpu").append(n).append("\" QV740K42").append(i < 10 ? "0" : "").append(n);
    text.append("\n\"link").append(n).append("\" SPL {\"a").append(n).append("\" BYPASS8 \"b");
    text.append(n).append("\" DBM } {} {\"c").append(n).append("\" GENERIC1F } {}\n");
  }
  return text;
}

bool is_empty(const BoardModel& m, const LineState& line) {
  return m.device_count == 0 && m.class_count == 0 && m.variable_count == 0 && m.devices.empty() &&
         m.classes.empty() && m.variables.empty() && m.device_classes.empty() &&
         m.device_names.empty() && m.variable_keys.empty() && m.device_name_keys.empty() &&
         m.family_use_count == decltype(m.family_use_count){} &&
         m.family_class_base == decltype(m.family_class_base){} && line.line_number == 0 &&
         line.column == 0 && line.length == 0 && line.buffer[0] == '\0';
}

TEST(ParseBoardConfigAllocation, EveryFailedGrowthGivesNoMemoryAndAReleasableModel) {
  const std::string text = mid_sized_file();
  auto input = stream_with(text);
  auto line = std::make_unique<LineState>();
  LineSource source{input.get(), 0, nullptr};

  BoardModel reference;
  ASSERT_EQ(parse_board_config(reference, *line, source, nullptr, nullptr, 2), kStatusOk);
  ASSERT_EQ(reference.device_count, 60u);
  release_board_model(reference, *line);

  std::size_t failures = 0;
  for (std::size_t allowed = 0;; ++allowed) {
    BoardModel model;
    Status status = kStatusOk;
    bool refused = false;
    {
      AllocationFailureAfter failing(allowed);
      status = parse_board_config(model, *line, source, nullptr, nullptr, 2);
      refused = AllocationFailureAfter::refused_any();
    }
    if (!refused) {
      EXPECT_EQ(status, kStatusOk);
      EXPECT_EQ(model.device_count, 60u);
      break;
    }
    ++failures;
    ASSERT_EQ(status, kStatusNoMemory) << "after " << allowed << " allocations";
    EXPECT_EQ(std::ftell(input.get()), 0L);
    release_board_model(model, *line);
    ASSERT_TRUE(is_empty(model, *line)) << "after " << allowed << " allocations";
  }
  EXPECT_GT(failures, 20u);
}

}  // namespace
}  // namespace kvr
