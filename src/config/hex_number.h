// Reading the digits of a class ID as a hexadecimal number.
#ifndef KVR_CONFIG_HEX_NUMBER_H_
#define KVR_CONFIG_HEX_NUMBER_H_

#include <cstdint>

namespace kvr {

// Reads `text` as an unsigned hexadecimal number the way the C runtime's strtoul does with base 16
// where unsigned long has 32 bits: leading C-locale white space is skipped, one '+' or '-' and a
// "0x"/"0X" prefix are allowed, reading stops at the first character that is not a hexadecimal
// digit, no digit gives 0, a value beyond 32 bits gives 0xFFFFFFFF whatever the sign, and a '-'
// negates the value modulo 2^32. The class IDs of a board file are read this way, so a sign or a
// vertical tab among their digits must behave exactly like that; the library function of a 64-bit
// platform would saturate and negate differently.
std::uint32_t read_hex_u32(const char* text);

}  // namespace kvr

#endif  // KVR_CONFIG_HEX_NUMBER_H_
