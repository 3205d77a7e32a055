#include "lsp/completion.h"

#include <algorithm>
#include <set>

#include "base/ascii.h"
#include "lint/class_ids.h"
#include "lint/documented_variables.h"
#include "lsp/board_documentation.h"
#include "lsp/class_lookup.h"
#include "lsp/document_range.h"

namespace kvr::lsp {
namespace {

// What the cursor completes, and the bytes a choice replaces.
struct Slot {
  enum class Kind { kNothing, kClassId, kVariableName, kValue } kind = Kind::kNothing;
  std::size_t begin = 0, end = 0;
  std::size_t statement = kNone;  // the device or the variable
  bool closed = true;             // a variable name that has its ']'
};

std::string sort_key(std::size_t rank) {
  std::string key = std::to_string(rank);
  return std::string(key.size() < 6 ? 6 - key.size() : 0, '0') + key;
}

// The last token that ends at or before `offset`, or kNone.
std::size_t token_before(const BoardOutline& outline, std::size_t offset) {
  const auto after =
      std::upper_bound(outline.tokens.begin(), outline.tokens.end(), offset,
                       [](std::size_t at, const Token& token) { return at < token.end; });
  return after == outline.tokens.begin()
             ? kNone
             : static_cast<std::size_t>(after - outline.tokens.begin() - 1);
}

Slot slot_at(const BoardDocument& document, std::size_t offset) {
  const BoardOutline& outline = document.outline;
  const std::string& text = document.text();
  Slot slot;
  if (const std::size_t index = token_at(outline, offset); index != kNone) {
    const Token& token = outline.tokens[index];
    const bool closed_name =
        token.end - token.begin >= 2 && (text[token.end - 1] == ']' || text[token.end - 1] == '"');
    const bool after_name = closed_name && offset == token.end;
    if (token.kind == TokenKind::kVariableName && offset > token.begin && !after_name) {
      slot = {Slot::Kind::kVariableName, token.begin + 1, closed_name ? token.end - 1 : token.end,
              variable_of_token(outline, index), closed_name};
      return slot;
    }
    if (token.kind == TokenKind::kClassId) {
      return {Slot::Kind::kClassId, token.begin, token.end, device_of_token(outline, index)};
    }
    if (token.kind == TokenKind::kValue) {
      return {Slot::Kind::kValue, token.begin, token.end, variable_of_token(outline, index)};
    }
    if (!after_name) return slot;
  }
  // In the blanks after a name whose class ID or value has not been written yet.
  const std::size_t previous = token_before(outline, offset);
  if (previous == kNone) return slot;
  const TokenKind kind = outline.tokens[previous].kind;
  const auto later = [&](std::size_t token) {
    return token == kNone || outline.tokens[token].begin >= offset;
  };
  if (kind == TokenKind::kDeviceName) {
    const std::size_t device = device_of_token(outline, previous);
    if (device != kNone && later(outline.devices[device].class_id)) {
      return {Slot::Kind::kClassId, offset, offset, device};
    }
  } else if (kind == TokenKind::kVariableName) {
    const std::size_t variable = variable_of_token(outline, previous);
    if (variable != kNone && later(outline.variables[variable].value)) {
      return {Slot::Kind::kValue, offset, offset, variable};
    }
  }
  return slot;
}

std::vector<CompletionItem> class_ids(const BoardDocument& document, const Slot& slot,
                                      const Range& range) {
  std::vector<CompletionItem> items;
  const std::uint8_t version = document.reading.version;
  const bool in_group =
      slot.statement != kNone && document.outline.devices[slot.statement].parent != kNone;
  const FamilyTable& table = family_table_for(version);
  std::set<std::string> offered;
  for (std::uint32_t r = 0; r < table.size(); ++r) {
    const FamilyRow& row = table[r];
    const std::string pattern = row.type_name;
    if (pattern.empty() || r == kPortRow || !offered.insert(pattern).second) continue;
    const bool digits_give_ir = r == kBypassRow || r == kGenericRow;
    // A bypass or generic ID with an 8-bit IR, its digits as wide as the main path wants them.
    const std::string id =
        digits_give_ir ? pattern.substr(0, row.literal_length) + *digits_for(8, digit_count(row))
                       : pattern;
    const ClassLookup found = look_up_class(id, version, in_group);
    if (found.status != kStatusOk) continue;
    CompletionItem item;
    item.label = id;
    item.kind = kCompletionClass;
    item.detail =
        "IR " + std::to_string(found.ir_length) + (digits_give_ir ? ", from its digits" : "");
    const std::string description = family_description(pattern);
    item.documentation = "Family `" + pattern + "`" +
                         (description.empty() ? "" : ": " + description) + "\n\nHigh-level class " +
                         hex_text(found.high_level) + ".";
    item.sort_text = sort_key(r);
    item.text_edit = TextEdit{range, id};
    items.push_back(std::move(item));
  }
  return items;
}

std::vector<CompletionItem> variable_names(const BoardDocument& document, const Slot& slot,
                                           const Range& range) {
  std::set<std::string> set;
  const BoardOutline& outline = document.outline;
  for (std::size_t v = 0; v < outline.variables.size(); ++v) {
    if (v == slot.statement) continue;
    set.insert(upper_cased(name_text(document.text(), outline.tokens[outline.variables[v].name])));
  }
  std::vector<CompletionItem> items;
  std::size_t rank = 0;
  for (const DocumentedVariable& variable : documented_variables()) {
    ++rank;
    if (set.contains(variable.name)) continue;
    CompletionItem item;
    item.label = variable.name;
    item.kind = kCompletionVariable;
    item.detail = std::string(kinds_text(variable.kinds));
    item.documentation = "```text\n" + variable_row(variable.name) + "```";
    item.sort_text = sort_key(rank);
    item.text_edit = TextEdit{range, std::string(variable.name) + (slot.closed ? "" : "]")};
    items.push_back(std::move(item));
  }
  return items;
}

// The lengths the scan path has with no sub-path selected, and with one sub-path of one linker.
std::vector<std::pair<std::uint64_t, std::string>> path_lengths(const BoardDocument& document,
                                                                bool ir) {
  const ScanPlaces& places = document.places;
  const auto length = [&](const PathTotal& total) { return ir ? total.ir_bits : total.devices; };
  std::vector<std::pair<std::uint64_t, std::string>> lengths = {
      {length(places.main), "the main path, no sub-path selected"}};
  for (const auto& [linker, totals] : places.linkers) {
    for (std::uint32_t k = 0; k < 4 && lengths.size() < 16; ++k) {
      const std::uint64_t with = length(places.main) + length(totals[k]);
      if (std::any_of(lengths.begin(), lengths.end(),
                      [&](const auto& l) { return l.first == with; })) {
        continue;
      }
      const Token& name = document.outline.tokens[document.outline.devices[linker].name];
      lengths.push_back({with, "with sub-path " + std::to_string(k) + " of `" +
                                   lower_cased(name_text(document.text(), name)) + "`"});
    }
  }
  return lengths;
}

std::vector<CompletionItem> values(const BoardDocument& document, const Slot& slot,
                                   const Range& range) {
  std::vector<CompletionItem> items;
  const std::string name(name_text(
      document.text(), document.outline.tokens[document.outline.variables[slot.statement].name]));
  const DocumentedVariable* documented = find_documented_variable(name);
  if (documented == nullptr) return items;
  const auto add = [&](std::string value, std::string detail, int kind) {
    CompletionItem item;
    item.label = value;
    item.kind = kind;
    item.detail = std::move(detail);
    item.sort_text = sort_key(items.size());
    item.text_edit = TextEdit{range, std::move(value)};
    items.push_back(std::move(item));
  };
  if ((documented->kinds & kBooleanValue) != 0) {
    const std::vector<std::string> words = boolean_words();
    for (const char* first : {"YES", "NO"}) {
      if (std::find(words.begin(), words.end(), first) != words.end()) {
        add(lower_cased(first), first[1] == 'E' ? "yes" : "no", kCompletionKeyword);
      }
    }
    const std::size_t yes_words = words.size() / 2;
    for (std::size_t i = 0; i < words.size(); ++i) {
      if (words[i] == "YES" || words[i] == "NO") continue;
      add(lower_cased(words[i]), i < yes_words ? "yes" : "no", kCompletionKeyword);
    }
  }
  if ((documented->kinds & kStringValue) != 0) {
    for (const DocumentedValue& value : documented_values(documented->name)) {
      add(value.value, value.meaning, kCompletionValue);
    }
  }
  const std::string_view upper = documented->name;
  if (document.loaded && (upper == "VORTA_SIZE_IRPATH" || upper == "VORTA_SIZE_DRPATH")) {
    for (const auto& [length, what] : path_lengths(document, upper == "VORTA_SIZE_IRPATH")) {
      add(std::to_string(length), what, kCompletionValue);
    }
    add("0", "worked out from the scan path", kCompletionValue);
  }
  return items;
}

}  // namespace

std::vector<CompletionItem> completion(const BoardDocument& document, const Position& position,
                                       Encoding encoding) {
  const std::size_t offset = document.lines.offset_of(position, encoding);
  const Slot slot = slot_at(document, offset);
  if (slot.kind == Slot::Kind::kNothing || slot.statement == kNone) return {};
  const Range range = range_of(document, slot.begin, std::max(slot.end, offset), encoding);
  switch (slot.kind) {
    case Slot::Kind::kClassId:
      return class_ids(document, slot, range);
    case Slot::Kind::kVariableName:
      return variable_names(document, slot, range);
    case Slot::Kind::kValue:
      return values(document, slot, range);
    case Slot::Kind::kNothing:
      break;
  }
  return {};
}

}  // namespace kvr::lsp
