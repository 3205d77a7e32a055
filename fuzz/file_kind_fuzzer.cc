// File kind recognition on arbitrary bytes, checked against the rule recomputed here: the database
// label with the version 2 tag in byte 11, the configuration label, or else the fourth byte
// telling a version 1 database (1) from a version 1 configuration file. Out values stay untouched
// on a refusal, and the stream stands at its start after a success.
#include <cctype>
#include <cstdint>
#include <cstdio>

#include "database/file_kind.h"
#include "fuzz_support.h"

namespace {

bool label_is(const std::uint8_t* data, const char* label) {
  for (int i = 0; i < 8; ++i) {
    if (std::tolower(data[i]) != std::tolower(static_cast<unsigned char>(label[i]))) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kvr;
  fuzz::ByteStream input(data, size);
  std::uint16_t kind = 0x5A5A;
  std::uint8_t version = 0x5A;
  const Status status = recognise_file_kind(input.get(), &kind, &version);

  Status want = 0;
  std::uint16_t want_kind = 0;
  std::uint8_t want_version = 1;
  if (size < 8) {
    want = kStatusReadFailed;
  } else if (label_is(data, ";DAT-2.0")) {
    if (size < 12) {
      want = kStatusReadFailed;
    } else if (data[11] != 2) {
      want = kStatusDatabaseNotVersion2;
    } else {
      want_kind = kKindDatabaseFile;
      want_version = 2;
    }
  } else if (label_is(data, ";CFG-2.0")) {
    want_version = 2;
  } else if (data[3] == 1) {
    want_kind = kKindDatabaseFile;
  }
  KVR_REQUIRE(status == want);
  if (status == 0) {
    KVR_REQUIRE(kind == want_kind && version == want_version);
    KVR_REQUIRE(std::ftell(input.get()) == 0);
  } else {
    KVR_REQUIRE(kind == 0x5A5A && version == 0x5A);
  }
  return 0;
}
