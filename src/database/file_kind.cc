#include "database/file_kind.h"

#include "config/text_compare.h"
#include "database/byte_io.h"

namespace kvr {
namespace {

constexpr std::size_t kLabelLength = 8;
constexpr std::uint8_t kDatabaseVersion1Tag = 1;
constexpr std::uint8_t kDatabaseVersion2Tag = 2;

std::uint8_t tag_of(std::uint32_t size_word) {
  return static_cast<std::uint8_t>(size_word >> 24);
}

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
  if (equal_nocase_n(label, ";DAT-2.0", kLabelLength) == 0) {
    if (read_word(&word, counter, stream) != kStatusOk) return kStatusReadFailed;
    if (tag_of(word) != kDatabaseVersion2Tag) return kStatusDatabaseNotVersion2;
    return settle(stream, kKindDatabaseFile, 2, kind, version);
  }
  if (equal_nocase_n(label, ";CFG-2.0", kLabelLength) == 0) {
    return settle(stream, kKindConfigFile, 2, kind, version);
  }
  // Without a label only the tag of a version 1 database tells the kinds apart; every other file
  // is left to the version 1 configuration parser to judge.
  std::rewind(stream);
  if (read_word(&word, counter, stream) != kStatusOk) return kStatusReadFailed;
  const bool database = tag_of(word) == kDatabaseVersion1Tag;
  return settle(stream, database ? kKindDatabaseFile : kKindConfigFile, 1, kind, version);
}

}  // namespace kvr
