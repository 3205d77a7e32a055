#include "database/file_kind.h"

#include "base/ascii.h"
#include "database/byte_io.h"
#include "database/format.h"

namespace kvr {
namespace {

using namespace format;

Status settle(std::FILE* stream, std::uint16_t found_kind, std::uint8_t found_version,
              std::uint16_t* kind, std::uint8_t* version) {
  *kind = found_kind;
  *version = found_version;
  std::rewind(stream);
  return kStatusOk;
}

}  // namespace

Status recognise_file_kind(std::FILE* stream, std::uint16_t* kind, std::uint8_t* version) {
  std::uint32_t counter = 0;
  char label[kLabelLength + 1] = {};
  for (std::size_t i = 0; i < kLabelLength; ++i) {
    std::uint8_t byte = 0;
    if (read_byte(&byte, counter, stream) != kStatusOk) return kStatusReadFailed;
    label[i] = static_cast<char>(byte);
  }

  std::uint32_t word = 0;
  if (equal_nocase_n(label, kDatabaseLabel, kLabelLength) == 0) {
    if (read_word(&word, counter, stream) != kStatusOk) return kStatusReadFailed;
    if (tag_of(word) != 2) return kStatusDatabaseNotVersion2;
    return settle(stream, kKindDatabaseFile, 2, kind, version);
  }
  if (equal_nocase_n(label, kConfigLabel, kLabelLength) == 0) {
    return settle(stream, kKindConfigFile, 2, kind, version);
  }
  // Without a label only the tag of a version 1 database tells the kinds apart; every other file
  // is left to the version 1 configuration parser to judge.
  std::rewind(stream);
  if (read_word(&word, counter, stream) != kStatusOk) return kStatusReadFailed;
  const bool database = tag_of(word) == 1;
  return settle(stream, database ? kKindDatabaseFile : kKindConfigFile, 1, kind, version);
}

}  // namespace kvr
