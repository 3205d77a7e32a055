#include "config/config_variables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/model_append.h"

namespace kvr {
namespace {

void load(LineState& line, const std::string& text) {
  ASSERT_LT(text.size(), LineState::kBufferSize);
  std::memcpy(line.buffer, text.c_str(), text.size() + 1);
  line.length = static_cast<std::uint16_t>(text.size());
  line.column = 0;
}

struct NameCase {
  std::string text;  // the line, starting at the '['
  Status status;
  std::string name;  // stored on success
  char next;         // character at `column` afterwards, on success
};

TEST(ParseVariableName, AcceptsAndRefusesNames) {
  const std::string longest = "A" + std::string(30, 'b') + "9";  // 32 characters
  const std::vector<NameCase> cases = {
      {"[a_1] 1", 0, "a_1", ' '},
      {"[" + longest + "]x", 0, longest, 'x'},
      {"[Used_Before] 1", -364, "", 0},  // the model holds "used_before"
      {"[USED_BEFORE]", -364, "", 0},
      {"[]", -362, "", 0},
      {"[" + longest + "c]", -361, "", 0},
      {"[" + longest + " ]", -361, "", 0},  // a 33rd character is too long whatever it is
      {"[" + longest, -361, "", 0},
      {"[_a]", -363, "", 0},
      {"[1a]", -363, "", 0},
      {"[a b]", -363, "", 0},
      {"[ a]", -363, "", 0},
      {"[a;b]", -363, "", 0},
      {"[a-b]", -363, "", 0},
      {"[abc\n", -363, "", 0},
      {"[abc", -363, "", 0},
  };
  BoardModel model;
  ASSERT_EQ(append_variable(model, "used_before", "1"), kStatusOk);
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.text);
    LineState line;
    load(line, c.text);
    std::string name = "stale";
    EXPECT_EQ(parse_variable_name(line, model, name), c.status);
    EXPECT_EQ(name, c.name);
    if (c.status == kStatusOk) {
      EXPECT_EQ(line.buffer[line.column], c.next);
    }
  }
}

struct ValueCase {
  std::string text;  // the line, starting at the value
  Status status;
  std::string value;  // stored on success
};

TEST(ParseVariableValue, AcceptsEveryFormAndItsLimits) {
  const std::string quoted_4094 = "'" + std::string(4094, 's') + "'";
  const std::vector<ValueCase> cases = {
      // Boolean words, any case, stored as written; hexadecimal 0 to 8 digits, either x, either
      // digit case; octal "0" and up to 8 more digits 0 to 7; decimal 1 to 8 digits; strings keep
      // their quotes, and ';' is text inside them.
      {"yes", 0, "yes"},
      {"Positive ; c", 0, "Positive"},
      {"yess", -365, ""},
      {"0x", 0, "0x"},
      {"0XdeadBEEF", 0, "0XdeadBEEF"},
      {"0x123456789", -365, ""},
      {"0x12g", -365, ""},
      {"0", 0, "0"},
      {"012345670", 0, "012345670"},
      {"0123456701", -365, ""},
      {"08", -365, ""},
      {"12345678", 0, "12345678"},
      {"123456789", -365, ""},
      {"1;2", 0, "1"},
      {"12 34", -365, ""},
      {"-1", -365, ""},
      {"1.5", -365, ""},
      {"''", 0, "''"},
      {"'a;b' ; comment", 0, "'a;b'"},
      {"'12 34'\t \n", 0, "'12 34'"},
      {"'a\\1'", 0, "'a\\1'"},
      {"'a\\0'", -365, ""},
      {"'open", -365, ""},
      {"'a' b", -365, ""},
      {"'a'b;", -365, ""},
      {"'a' \rb", 0, "'a'"},  // without a comment only the text before the CR counts
      {"'a' \rb;", -365, ""},
      {"'a\rb'", -365, ""},
      {quoted_4094 + "\n", 0, quoted_4094},
      {"'" + std::string(4095, 's') + "'", -365, ""},
      {"[next] 1", -365, ""},
      {"\"dev\" SPL", -365, ""},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    LineState line;
    load(line, c.text);
    std::string value = "stale";
    EXPECT_EQ(parse_variable_value(line, value), c.status);
    EXPECT_EQ(value, c.value);
    if (c.status == kStatusOk) {
      EXPECT_EQ(line.column, c.value.size());
    }
  }
}

}  // namespace
}  // namespace kvr
