// The analyser on arbitrary bytes. The first byte chooses the version (bit 0: 1 or 2; bit 1 gives
// a version outside both, which reads as version 1), verbose output (bit 2) and where it goes
// (bit 3: memory instead of /dev/null). The status and the counts are checked against a reader of
// the format written here independently: it walks the same sections over the bytes in memory.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "database/board_model.h"
#include "database/database_analyser.h"
#include "fuzz_support.h"

namespace {

struct Reference {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos = 0;
  std::uint32_t variables = 0;
  std::uint32_t devices = 0;
  std::uint32_t classes = 0;

  bool byte(std::uint8_t& b) {
    if (pos >= size) return false;
    b = data[pos++];
    return true;
  }
  bool word(std::uint32_t& w) {
    if (size - pos < 4) return false;
    w = data[pos] | data[pos + 1] << 8 | data[pos + 2] << 16 | std::uint32_t{data[pos + 3]} << 24;
    pos += 4;
    return true;
  }
  bool skip(std::size_t n) {
    if (size - pos < n) return false;
    pos += n;
    return true;
  }
  // A zero-terminated text of at most `limit` characters.
  kvr::Status text(std::size_t limit) {
    for (std::size_t length = 0;; ++length) {
      std::uint8_t b = 0;
      if (!byte(b)) return kvr::kStatusReadFailed;
      if (b == 0) return 0;
      if (length == limit) return kvr::kStatusDatabaseUnusable;
    }
  }

  kvr::Status run(bool v2) {
    constexpr kvr::Status kShort = kvr::kStatusReadFailed;
    std::uint32_t size_word = 0;
    if (v2) {
      if (!skip(8) || !word(size_word)) return kShort;
      if ((size_word & 0xFFFFFF) == 0) return kvr::kStatusDatabaseUnusable;
      if (!word(variables)) return kShort;
      for (std::uint32_t i = 0; i < variables; ++i) {
        if (kvr::Status s = text(32); s != 0) return s;
        if (kvr::Status s = text(4096); s != 0) return s;
      }
      const std::size_t end = (size_word & 0xFFFFFF) + 8;
      if (pos < end && !skip(end - pos)) return kShort;
    }
    if (!word(size_word)) return kShort;
    if ((size_word & 0xFFFFFF) == 0) return kvr::kStatusDatabaseUnusable;
    if (!word(devices) || !word(classes)) return kShort;
    for (std::uint32_t i = 0; i < classes; ++i) {
      if (!skip(16)) return kShort;
    }
    for (std::uint32_t k = 0; k < devices;) {
      if (!skip(60)) return kShort;
      std::uint32_t dev_count = 1;
      if (v2 && !word(dev_count)) return kShort;
      k += dev_count;  // wraps in 32 bits, as the format's counters do
    }
    for (std::uint32_t i = 0; i < devices; ++i) {
      if (!skip(12)) return kShort;
    }
    return 0;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kvr;
  if (size == 0) return 0;
  const std::uint8_t choice = data[0];
  const std::uint8_t version = (choice & 2) != 0 ? 7 : (choice & 1) != 0 ? 1 : 2;
  fuzz::ByteStream input(data + 1, size - 1);

  char* dump = nullptr;
  std::size_t dump_size = 0;
  std::FILE* out = (choice & 8) != 0 ? open_memstream(&dump, &dump_size) : fuzz::null_stream();
  KVR_REQUIRE(out != nullptr);
  BoardModel model;
  const Status status = analyse_board_database(model, input.get(), (choice >> 2) & 1, version, out);
  if (out != fuzz::null_stream()) {
    std::fclose(out);
    std::free(dump);
  }

  Reference reference{data + 1, size - 1};
  KVR_REQUIRE(status == reference.run(version == 2));
  KVR_REQUIRE(model.devices.empty() && model.classes.empty() && model.variables.empty());
  if (status == 0) {
    KVR_REQUIRE(std::ftell(input.get()) == 0);
    KVR_REQUIRE(model.device_count == reference.devices);
    KVR_REQUIRE(model.class_count == reference.classes);
    KVR_REQUIRE(model.variable_count == reference.variables);
  }
  return 0;
}
