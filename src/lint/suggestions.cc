#include "lint/suggestions.h"

#include <algorithm>
#include <vector>

#include "base/ascii.h"
#include "config/class_table.h"

namespace kvr {
namespace {

constexpr std::size_t kMostEdits = 2;

bool close_enough(std::size_t edits, std::size_t length) {
  return edits <= kMostEdits && edits * 3 <= length;
}

bool same(char typed, std::string_view known, std::size_t at, std::size_t wild_from) {
  const char t = to_upper(typed);
  if (at >= wild_from) return hex_digit_value(t) >= 0 || t == 'X';
  return t == to_upper(known[at]);
}

}  // namespace

std::size_t edit_distance(std::string_view typed, std::string_view known, std::size_t wild_from) {
  // Rows of the usual table of edits, three kept for the swap of two neighbours.
  const std::size_t n = known.size();
  std::vector<std::size_t> before(n + 1), previous(n + 1), row(n + 1);
  for (std::size_t j = 0; j <= n; ++j) previous[j] = j;
  for (std::size_t i = 1; i <= typed.size(); ++i) {
    row[0] = i;
    for (std::size_t j = 1; j <= n; ++j) {
      const bool equal = same(typed[i - 1], known, j - 1, wild_from);
      row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + (equal ? 0 : 1)});
      if (i > 1 && j > 1 && same(typed[i - 1], known, j - 2, wild_from) &&
          same(typed[i - 2], known, j - 1, wild_from)) {
        row[j] = std::min(row[j], before[j - 2] + 1);
      }
    }
    std::swap(before, previous);
    std::swap(previous, row);
  }
  return previous[n];
}

std::optional<std::string> closest(std::string_view typed,
                                   std::span<const char* const> candidates) {
  std::optional<std::string> best;
  std::size_t best_edits = kMostEdits + 1;
  for (const char* candidate : candidates) {
    // No fewer edits than the lengths differ by: a name far longer or shorter is not measured.
    const std::size_t length = std::string_view(candidate).size();
    if (std::max(length, typed.size()) - std::min(length, typed.size()) > kMostEdits) continue;
    const std::size_t edits = edit_distance(typed, candidate);
    if (edits < best_edits && close_enough(edits, std::string_view(candidate).size())) {
      best = candidate;
      best_edits = edits;
    }
  }
  return best;
}

std::optional<std::string> class_id_suggestion(std::string_view token, std::uint8_t version,
                                               bool in_group) {
  const FamilyTable& table = family_table_for(version);
  const std::string typed = upper_cased(token);
  // A bypass or generic ID with fewer digits than the main path needs.
  for (const std::uint32_t r : {kBypassRow, kGenericRow}) {
    const FamilyRow& row = table[r];
    const std::string_view literal(row.type_name, row.literal_length);
    if (row.full_length == 0 || !std::string_view(typed).starts_with(literal)) continue;
    const std::string digits = typed.substr(literal.size());
    const std::size_t width = row.full_length - row.literal_length;
    if (!digits.empty() && digits.size() < width &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return hex_digit_value(c) >= 0; })) {
      return std::string(literal) + std::string(width - digits.size(), '0') + digits;
    }
  }
  // Of families equally close, one whose fixed part the token begins with.
  std::optional<std::string> best;
  std::size_t best_score = 2 * kMostEdits + 2;
  for (std::uint32_t r = 0; r < table.size(); ++r) {
    const FamilyRow& row = table[r];
    const std::string_view name = row.type_name;
    if (name.empty() || r == kPortRow || (in_group && r == kLinkerRow)) continue;
    const std::size_t edits = edit_distance(typed, name, row.literal_length);
    const bool begins = std::string_view(typed).starts_with(name.substr(0, row.literal_length));
    const std::size_t score = 2 * edits + (begins ? 0 : 1);
    if (score < best_score && close_enough(edits, name.size())) {
      best = std::string(name);
      best_score = score;
    }
  }
  return best;
}

}  // namespace kvr
