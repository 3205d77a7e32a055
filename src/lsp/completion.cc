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
  std::size_t statement = kNoIndex;  // the statement of the device or the variable
  bool closed = true;                // a variable name that has its ']'
};

std::string sort_key(std::size_t rank) {
  std::string key = std::to_string(rank);
  return std::string(key.size() < 6 ? 6 - key.size() : 0, '0') + key;
}

// The last token that is no comment and ends at or before `offset`, or kNoIndex.
std::size_t token_before(const BoardDocument& document, std::size_t offset) {
  const std::vector<BoardToken>& tokens = document.tokens();
  std::size_t t = token_at_offset(document.analysis.tokens, offset);
  while (t > 0) {
    const BoardToken& token = tokens[--t];
    if (token.offset + token.length <= offset && token.kind != TokenKind::kComment) return t;
  }
  return kNoIndex;
}

bool opens_with(const BoardDocument& document, std::size_t token, char c) {
  const BoardToken& t = document.tokens()[token];
  return t.length > 0 && document.text()[t.offset] == c;
}

Slot slot_at(const BoardDocument& document, std::size_t offset) {
  const std::string& text = document.text();
  Slot slot;
  if (const std::size_t index = token_touching(document, offset); index != kNoIndex) {
    const BoardToken& token = document.tokens()[index];
    const std::size_t end = token.offset + token.length;
    const std::size_t statement = statement_of_token(document, index);
    const bool name = opens_with(document, index, '[') || opens_with(document, index, '"');
    const bool closed = name && token.length >= 2 && (text[end - 1] == ']' || text[end - 1] == '"');
    const bool after_name = closed && offset == end;
    if (opens_with(document, index, '[') && offset > token.offset && !after_name) {
      return {Slot::Kind::kVariableName, token.offset + 1, closed ? end - 1 : end, statement,
              closed};
    }
    if (statement != kNoIndex && statement_tokens(document, statement).second == index) {
      const bool variable =
          document.statements()[statement].kind == BoardStatement::Kind::kVariable;
      return {variable ? Slot::Kind::kValue : Slot::Kind::kClassId, token.offset, end, statement};
    }
    if (!after_name) return slot;
  }
  // In the blanks after a name whose class ID or value has not been written yet.
  const std::size_t previous = token_before(document, offset);
  if (previous == kNoIndex) return slot;
  const std::size_t statement = statement_of_token(document, previous);
  if (statement == kNoIndex || statement_tokens(document, statement).name != previous) return slot;
  const std::size_t second = statement_tokens(document, statement).second;
  if (second != kNoIndex && document.tokens()[second].offset < offset) return slot;
  if (opens_with(document, previous, '"')) return {Slot::Kind::kClassId, offset, offset, statement};
  if (opens_with(document, previous, '[')) return {Slot::Kind::kValue, offset, offset, statement};
  return slot;
}

std::vector<CompletionItem> class_ids(const BoardDocument& document, const Slot& slot,
                                      const Range& range) {
  std::vector<CompletionItem> items;
  const std::uint8_t version = document.analysis.version;
  const bool in_group =
      slot.statement != kNoIndex && document.statements()[slot.statement].linker != kNoIndex;
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
  for (std::size_t s = 0; s < document.statements().size(); ++s) {
    if (s == slot.statement || document.statements()[s].kind != BoardStatement::Kind::kVariable) {
      continue;
    }
    set.insert(upper_cased(name_in_token(document, statement_tokens(document, s).name)));
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
std::vector<std::pair<std::uint64_t, std::string>> path_lengths(const BoardAnalysis& analysis,
                                                                bool ir) {
  std::vector<std::pair<std::uint64_t, std::string>> lengths = {
      {ir ? analysis.main_ir : analysis.main_devices, "the main path, no sub-path selected"}};
  for (const AnalysedLinker& linker : analysis.linkers) {
    for (std::uint32_t k = 0; k < 4 && lengths.size() < 16; ++k) {
      const std::uint64_t with = ir ? analysis.main_ir + linker.sub_path_ir[k]
                                    : analysis.main_devices + linker.sub_paths[k].size();
      if (std::any_of(lengths.begin(), lengths.end(),
                      [&](const auto& l) { return l.first == with; })) {
        continue;
      }
      lengths.push_back({with, "with sub-path " + std::to_string(k) + " of `" +
                                   analysis.devices[linker.device].name + "`"});
    }
  }
  return lengths;
}

std::vector<CompletionItem> values(const BoardDocument& document, const Slot& slot,
                                   const Range& range) {
  std::vector<CompletionItem> items;
  const std::string name(name_in_token(document, statement_tokens(document, slot.statement).name));
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
  if (document.analysis.complete &&
      (upper == "VORTA_SIZE_IRPATH" || upper == "VORTA_SIZE_DRPATH")) {
    for (const auto& [length, what] :
         path_lengths(document.analysis, upper == "VORTA_SIZE_IRPATH")) {
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
  if (slot.kind == Slot::Kind::kNothing || slot.statement == kNoIndex) return {};
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
