// "Did you mean": the known name closest to one that is not known, when one is close. Closeness is
// the number of single-character edits (insert, delete, replace, swap two neighbours) between the
// two, letter case ignored; a name more than two edits away, or further than a third of its
// length, is not close.
#ifndef KVR_LINT_SUGGESTIONS_H_
#define KVR_LINT_SUGGESTIONS_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kvr {

// The edits between `typed` and `known`. In `known`, the characters from `wild_from` on stand
// each for one hexadecimal digit or an 'x', as the digits of a class ID do.
std::size_t edit_distance(std::string_view typed, std::string_view known,
                          std::size_t wild_from = std::string_view::npos);

// The closest of `candidates` to `typed`, when close; the first of equals.
std::optional<std::string> closest(std::string_view typed, std::span<const char* const> candidates);

// A class ID of the family table of `version` that `token` (a class ID no family takes) was
// probably meant to be: a bypass or generic ID with its digits zero-filled (BYPASS8 is BYPASS008),
// else the closest family's class ID as the information text writes it (QVARM9 is QVARM9xx).
// Never a family kvrbuild refuses where the device stands: the addressable scan port anywhere, a
// linker inside a linker's group.
std::optional<std::string> class_id_suggestion(std::string_view token, std::uint8_t version,
                                               bool in_group = false);

}  // namespace kvr

#endif  // KVR_LINT_SUGGESTIONS_H_
