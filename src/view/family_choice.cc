#include "view/family_choice.h"

#include <algorithm>
#include <map>

#include "config/class_table.h"
#include "config/device_classes.h"
#include "lint/class_ids.h"

namespace kvr {
namespace {

// A block of class records and the devices that point at its first record.
struct ClassBlock {
  std::uint32_t start = 0, length = 0;
  bool linker = false;
  std::vector<std::size_t> devices;
  std::vector<std::uint32_t> rows;  // the families that fit the block and all its devices
};

std::string device_named(const StoredBoard& board, std::size_t i) {
  return "device " + std::to_string(i + 1) + " `" + std::string(name_in(board.name_fields[i])) +
         "'";
}

std::string class_record(const StoredBoard& board, std::uint32_t index) {
  return "class record " + std::to_string(index) + " (offset " +
         hex_text(board.class_offset + 16 * index) + ")";
}

// The rows a class ID can name: a look-up finds them, and they are neither the linker's nor the
// addressable scan port's, which no ordinary device may have.
std::vector<std::uint32_t> usable_rows(std::uint8_t version) {
  const FamilyTable& table = family_table_for(version);
  std::vector<std::uint32_t> rows;
  for (std::uint32_t r = 0; r < table.size(); ++r) {
    const FamilyRow& row = table[r];
    if (r == kLinkerRow || r == kPortRow || *row.type_name == '\0') continue;
    std::string id(row.type_name, row.literal_length);
    id.resize(row.full_length, '0');
    std::uint32_t found = kNoFamilyRow;
    if (find_family_row(id.c_str(), &found, version) == kStatusOk && found == r) rows.push_back(r);
  }
  return rows;
}

// Whether a device of `row` can have the IR length and high-level class of device `i`.
bool row_fits_device(const FamilyRow& row, bool ir_from_digits, const StoredBoard& board,
                     std::size_t i) {
  const std::uint32_t value = board.high_level[i] - row.high_level_base;
  const std::uint32_t ir = board.devices[i].mainIR;
  if (ir_from_digits ? value == 0 || value > kMaxGenericIrLength || value != ir
                     : ir != row.ir_length) {
    return false;
  }
  return digits_for(value, digit_count(row)).has_value();
}

// The blocks in the order of their first use, each reaching to where the next begins.
bool find_blocks(const StoredBoard& board, std::vector<ClassBlock>& blocks, std::string& refusal) {
  std::map<std::uint32_t, std::size_t> by_start;
  const auto class_count = static_cast<std::uint32_t>(board.classes.size());
  for (std::size_t i = 0; i < board.devices.size(); ++i) {
    const DeviceRecord& d = board.devices[i];
    auto found = by_start.find(d.cls_id);
    if (found == by_start.end()) {
      const std::uint32_t least = blocks.empty() ? 0 : blocks.back().start + 1;
      if (d.cls_id >= class_count || d.cls_id < least || (blocks.empty() && d.cls_id != 0)) {
        refusal = device_named(board, i) + " uses class record " + std::to_string(d.cls_id) +
                  ", where a board.cfg gives the first device of a family the record after the "
                  "blocks of the families met before it";
        return false;
      }
      found = by_start.emplace(d.cls_id, blocks.size()).first;
      blocks.push_back(ClassBlock{d.cls_id, 0, d.connect == 1, {}, {}});
    }
    ClassBlock& block = blocks[found->second];
    if (block.linker != (d.connect == 1)) {
      refusal = device_named(board, i) + " shares class record " + std::to_string(d.cls_id) +
                (block.linker ? " with the linkers" : " with devices that are no linkers") +
                ", which a board.cfg never does";
      return false;
    }
    block.devices.push_back(i);
  }
  if (blocks.empty() && class_count > 0) {
    refusal = class_record(board, 0) + " belongs to no device";
    return false;
  }
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    blocks[b].length =
        (b + 1 < blocks.size() ? blocks[b + 1].start : class_count) - blocks[b].start;
  }
  return true;
}

// Whether the block's records are those a board.cfg makes: rev counting from 0, one size, addr
// and who 0; a linkers' block is one record of zeros.
bool block_records_fit(const StoredBoard& board, const ClassBlock& block, std::string& refusal) {
  for (std::uint32_t k = 0; k < block.length; ++k) {
    const ClassRecord& c = board.classes[block.start + k];
    const std::uint32_t size = block.linker ? 0 : board.classes[block.start].size;
    if (c.rev != k || c.size != size || c.addr != 0 || c.who != 0 || (block.linker && k > 0)) {
      refusal = class_record(board, block.start + k) +
                (block.linker ? " follows or is the linkers' record, which is one record of zeros"
                              : " is no record of a family's block: rev " + hex_text(c.rev) +
                                    ", size " + hex_text(c.size) + ", addr " + hex_text(c.addr) +
                                    ", who " + hex_text(c.who));
      return false;
    }
  }
  return true;
}

// The families that fit an ordinary block and every device of it.
bool find_rows(const StoredBoard& board, ClassBlock& block, std::string& refusal) {
  const FamilyTable& table = family_table_for(board.version);
  const std::uint32_t size = board.classes[block.start].size;
  for (const std::uint32_t r : usable_rows(board.version)) {
    if (table[r].class_count == block.length && table[r].size == size) block.rows.push_back(r);
  }
  if (block.rows.empty()) {
    refusal = class_record(board, block.start) + " begins a block of " +
              std::to_string(block.length) + " records of size " + hex_text(size) +
              ", which no family of version " + std::to_string(board.version) + " makes";
    return false;
  }
  for (const std::size_t i : block.devices) {
    std::erase_if(block.rows, [&](std::uint32_t r) {
      return !row_fits_device(table[r], r == kBypassRow || r == kGenericRow, board, i);
    });
    if (block.rows.empty()) {
      refusal =
          device_named(board, i) + ": no family whose block is " + std::to_string(block.length) +
          " records of size " + hex_text(size) + " gives IR length " +
          std::to_string(board.devices[i].mainIR) +
          " and, through a class ID, the high-level class " + hex_text(board.high_level[i]) +
          (i == block.devices.front() ? ""
                                      : " as well as what the devices before it in its block need");
      return false;
    }
  }
  return true;
}

// Gives block `b` a family, moving earlier blocks to other families where that frees one.
bool match(std::size_t b, const std::vector<ClassBlock>& blocks, std::vector<int>& owner,
           std::vector<bool>& seen) {
  for (const std::uint32_t r : blocks[b].rows) {
    if (seen[r]) continue;
    seen[r] = true;
    if (owner[r] < 0 || match(static_cast<std::size_t>(owner[r]), blocks, owner, seen)) {
      owner[r] = static_cast<int>(b);
      return true;
    }
  }
  return false;
}

}  // namespace

bool choose_class_ids(const StoredBoard& board, std::vector<std::string>& class_ids,
                      std::string& refusal) {
  std::vector<ClassBlock> blocks;
  if (!find_blocks(board, blocks, refusal)) return false;
  std::vector<int> owner(kFamilyRowCount, -1);
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    if (!block_records_fit(board, blocks[b], refusal)) return false;
    if (blocks[b].linker) continue;
    if (!find_rows(board, blocks[b], refusal)) return false;
    std::vector<bool> seen(kFamilyRowCount, false);
    if (!match(b, blocks, owner, seen)) {
      refusal = class_record(board, blocks[b].start) +
                ": every family that fits its block is needed by the block of another family";
      return false;
    }
  }
  const FamilyTable& table = family_table_for(board.version);
  class_ids.assign(board.devices.size(), "SPL");
  for (std::uint32_t r = 0; r < kFamilyRowCount; ++r) {
    if (owner[r] < 0) continue;
    for (const std::size_t i : blocks[static_cast<std::size_t>(owner[r])].devices) {
      class_ids[i] = class_id_for(table[r], board.high_level[i]).value_or("");
    }
  }
  return true;
}

}  // namespace kvr
