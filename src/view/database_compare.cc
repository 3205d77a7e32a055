#include "view/database_compare.h"

#include <algorithm>
#include <array>

#include "lint/class_ids.h"

namespace kvr {
namespace {

constexpr const char* kFieldNames[] = {
    "dev_id",    "cls_id",    "prior",  "parent", "subpath", "connect", "sub_id[0]", "sub_id[1]",
    "sub_id[2]", "sub_id[3]", "mainIR", "preIR",  "preDR",   "posIR",   "posDR"};

std::array<std::uint32_t, 15> words_of(const DeviceRecord& d) {
  return {d.dev_id,  d.cls_id,    d.prior,     d.parent,    d.subpath,
          d.connect, d.sub_id[0], d.sub_id[1], d.sub_id[2], d.sub_id[3],
          d.mainIR,  d.preIR,     d.preDR,     d.posIR,     d.posDR};
}

std::string device_difference(const StoredBoard& board, const StoredBoard& other, std::size_t i) {
  const std::array<std::uint32_t, 15> stored = words_of(board.devices[i]);
  const std::array<std::uint32_t, 15> given = words_of(other.devices[i]);
  const std::size_t w = static_cast<std::size_t>(
      std::mismatch(stored.begin(), stored.end(), given.begin()).first - stored.begin());
  std::string text = "device " + std::to_string(i + 1) + " `" +
                     std::string(name_in(board.name_fields[i])) + "' (record at offset " +
                     hex_text(board.device_offsets[i]) + "): ";
  if (w == stored.size()) return text + "its group holds more devices than kvrbuild's would";
  return text + kFieldNames[w] + " is " + hex_text(stored[w]) +
         ", where its place in the board gives " + hex_text(given[w]);
}

// The section that holds `offset` of a database laid out as `board`.
std::string section_of(const StoredBoard& board, std::size_t offset) {
  const std::size_t control = board.class_offset - 12;
  if (offset >= board.end_offset) return "bytes after the end of the database";
  if (offset >= board.high_level_offset) return "the high-level entries";
  if (offset >= board.class_offset) return "the device records and groups";
  if (offset >= control + 8) return "the device and class counts";
  if (offset >= control) return "the second size word";
  if (offset >= 16) return "the variables and their padding";
  if (offset >= 12) return "the variable count";
  return offset >= 8 ? "the first size word" : "the label";
}

}  // namespace

std::string first_difference(const StoredBoard& board, std::string_view original,
                             std::string_view compiled) {
  StoredBoard other;
  ReadFailure failure;
  read_board_database(compiled, board.version, other, failure);
  for (std::size_t i = 0; i < board.devices.size() && i < other.devices.size(); ++i) {
    if (board.devices[i] != other.devices[i]) return device_difference(board, other, i);
  }
  for (std::size_t i = 0; i < board.high_level.size() && i < other.high_level.size(); ++i) {
    if (board.high_level[i] != other.high_level[i]) {
      return "device " + std::to_string(i + 1) + " (high-level entry at offset " +
             hex_text(board.high_level_offset + 12 * static_cast<std::uint32_t>(i)) + "): class " +
             hex_text(board.high_level[i]) + ", where its class ID gives " +
             hex_text(other.high_level[i]);
    }
  }
  const std::size_t at = static_cast<std::size_t>(
      std::mismatch(original.begin(), original.end(), compiled.begin(), compiled.end()).first -
      original.begin());
  const std::string section = section_of(board, at);
  const bool grouping = board.version == 2 && (section == "the device records and groups" ||
                                               section == "the second size word");
  std::string text = "offset " + hex_text(static_cast<std::uint32_t>(at)) + " (" + section + "): ";
  if (at == compiled.size()) return text + "kvrbuild writes nothing there";
  if (at == original.size()) return text + "the database ends where kvrbuild writes more";
  return text + "the byte is " + hex_text(static_cast<unsigned char>(original[at])) +
         ", where kvrbuild writes " + hex_text(static_cast<unsigned char>(compiled[at])) +
         (grouping ? ", since it stores each run of like devices as one group" : "");
}

}  // namespace kvr
