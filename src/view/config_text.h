// Turning a board database back into a board configuration file of the database's own version,
// which `kvrbuild -g1' or `-g2' compiles back to the same bytes: the variables with their names
// and values as stored, the devices in record order with each linker's four groups, a class ID
// for each device that gives its class records, IR length and high-level class (family_choice.h),
// and a comment header that says what the text was made from.
//
// The result is checked by construction: the text is compiled in memory and its bytes compared
// with the database. A database that no text can give (edited by hand, damaged, or written by
// another program) is refused with the first record or offset that cannot be expressed, and why.
#ifndef KVR_VIEW_CONFIG_TEXT_H_
#define KVR_VIEW_CONFIG_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace kvr {

// `bytes` is a whole database of `version`; `source` names it in the header. On success `text`
// holds the board.cfg; otherwise `refusal` says what cannot be expressed and why, in one line.
bool config_text_of(std::string_view bytes, std::uint8_t version, const std::string& source,
                    std::string& text, std::string& refusal);

}  // namespace kvr

#endif  // KVR_VIEW_CONFIG_TEXT_H_
