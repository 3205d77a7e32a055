// The name log through its one question: in which buckets does a hash repeat? Hashes are made up
// here, bucket (top 8 bits), the 16 bits the log drops, and the 40 it keeps, so that each row can
// put names where it wants them.
#include "database/name_log.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

namespace kvr {
namespace {

std::uint64_t hash(std::uint64_t bucket, std::uint64_t dropped, std::uint64_t kept) {
  return bucket << 56 | dropped << 40 | kept;
}

struct Row {
  const char* what;
  std::vector<std::uint64_t> logged;
  bool with_also;
  std::uint64_t also;
  std::set<std::size_t> repeating;
};

TEST(NameLogTest, EachBucketWhereAHashRepeatsIsFound) {
  std::vector<std::uint64_t> many;  // more names in one bucket than its first table holds
  for (std::uint64_t i = 1; i <= 70000; ++i) many.push_back(hash(9, 0, i * 0x9E3779B1));
  std::vector<std::uint64_t> many_again = many;
  many_again.push_back(many.front());
  const std::vector<Row> rows = {
      {"no names", {}, false, 0, {}},
      {"two different names", {hash(3, 0, 7), hash(3, 0, 8)}, false, 0, {}},
      {"the same name twice", {hash(3, 0, 7), hash(3, 0, 7)}, false, 0, {3}},
      {"a repeat of chance", {hash(3, 0, 7), hash(3, 5, 7)}, false, 0, {3}},
      {"bits kept alike in two buckets", {hash(3, 0, 7), hash(4, 0, 7)}, false, 0, {}},
      {"the first and the last bucket",
       {hash(0, 0, 1), hash(255, 0, 2), hash(0, 0, 1), hash(255, 0, 2), hash(7, 0, 2)},
       false,
       0,
       {0, 255}},
      {"a failed name's twin", {hash(3, 0, 7)}, true, hash(3, 1, 7), {3}},
      {"a failed name in another bucket", {hash(3, 0, 7)}, true, hash(4, 0, 7), {}},
      {"a failed name alone", {}, true, hash(4, 0, 7), {}},
      {"70,000 names in one bucket", many, false, 0, {}},
      {"and the first of them again", many_again, false, 0, {9}},
  };
  for (const Row& row : rows) {
    const auto log = std::make_unique<NameLog>();
    for (const std::uint64_t h : row.logged) log->add(h);
    const NameBuckets found = log->repeats(row.with_also, row.also);
    std::set<std::size_t> repeating;
    for (std::size_t b = 0; b < kNameBuckets; ++b) {
      if (found[b]) repeating.insert(b);
    }
    EXPECT_EQ(repeating, row.repeating) << row.what;
  }
}

}  // namespace
}  // namespace kvr
