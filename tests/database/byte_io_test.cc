#include "database/byte_io.h"

#include <gtest/gtest.h>

#include "support/failing_stream.h"
#include "support/test_files.h"

namespace kvr::testing {
namespace {

// Words go out least significant byte first, 0xFF being a byte like any other and not the
// end-of-file marker; a refused byte ends the word with nothing tried after it.
TEST(ByteIoTest, WritesWordsLeastSignificantByteFirst) {
  UniqueFile file = empty_stream();
  for (const std::uint32_t value : {0x12345678U, 0xFFFFFFFFU, 0U}) {
    EXPECT_EQ(write_word(value, file.get()), kStatusOk);
  }
  EXPECT_EQ(write_byte(0x1FF, file.get()), kStatusOk);
  EXPECT_EQ(contents_of(file.get()),
            std::string("\x78\x56\x34\x12\xFF\xFF\xFF\xFF\0\0\0\0\xFF", 13));
  for (std::size_t fail_at = 0; fail_at < 4; ++fail_at) {
    FailingStreamState state;
    state.failing_write = fail_at;
    UniqueFile failing = failing_stream(state);
    EXPECT_EQ(write_word(0x04030201, failing.get()), kStatusWriteFailed);
    EXPECT_EQ(state.bytes, std::string("\x01\x02\x03", fail_at));
    EXPECT_EQ(state.writes, fail_at + 1);
  }
}

TEST(ByteIoTest, ReadsWordsAndCountsOnlyCompleteReads) {
  struct Case {
    std::string bytes;
    Status status;
    std::uint32_t word;  // the result, or the untouched initial value
    std::uint32_t counter;
  } cases[] = {
      {std::string("\x78\x56\x34\x12", 4), kStatusOk, 0x12345678, 14},
      {std::string("\xFF\xFF\xFF\xFF\x01", 5), kStatusOk, 0xFFFFFFFF, 14},
      {std::string("\x01\x02\x03", 3), kStatusReadFailed, 0xDEADBEEF, 10},
      {"", kStatusReadFailed, 0xDEADBEEF, 10},
  };
  for (const Case& c : cases) {
    UniqueFile file = stream_with(c.bytes);
    std::uint32_t word = 0xDEADBEEF;
    std::uint32_t counter = 10;
    EXPECT_EQ(read_word(&word, counter, file.get()), c.status);
    EXPECT_EQ(word, c.word);
    EXPECT_EQ(counter, c.counter);
  }
  UniqueFile file = stream_with("\xFF");
  std::uint8_t byte = 0;
  std::uint32_t counter = 0;
  EXPECT_EQ(read_byte(&byte, counter, file.get()), kStatusOk);
  EXPECT_EQ(byte, 0xFF);
  EXPECT_EQ(read_byte(&byte, counter, file.get()), kStatusReadFailed);
  EXPECT_EQ(counter, 1U);
}

}  // namespace
}  // namespace kvr::testing
