#include "database/file_kind.h"

#include "base/ascii.h"
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
  // The label, and the size word after it; a file without a label has its size word first.
  char first[kLabelLength + kWordBytes] = {};
  const std::size_t got = std::fread(first, 1, sizeof first, stream);
  if (got < kLabelLength) return kStatusReadFailed;
  const auto word_at = [&](std::size_t offset) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(first + offset);
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t{bytes[3]} << 24;
  };
  if (equal_nocase_n(first, kDatabaseLabel, kLabelLength) == 0) {
    if (got < kLabelLength + kWordBytes) return kStatusReadFailed;
    if (tag_of(word_at(kLabelLength)) != 2) return kStatusDatabaseNotVersion2;
    return settle(stream, kKindDatabaseFile, 2, kind, version);
  }
  if (equal_nocase_n(first, kConfigLabel, kLabelLength) == 0) {
    return settle(stream, kKindConfigFile, 2, kind, version);
  }
  // Without a label only the tag of a version 1 database tells the kinds apart; every other file
  // is left to the version 1 configuration parser to judge.
  const bool database = tag_of(word_at(0)) == 1;
  return settle(stream, database ? kKindDatabaseFile : kKindConfigFile, 1, kind, version);
}

}  // namespace kvr
