// Status codes shared by every subsystem. An operation returns 0 for success or one of these
// negative codes; the codes are the ones the scan-controller library explains on the abort path,
// so their values are fixed and must never change.
#ifndef KVR_BASE_STATUS_H_
#define KVR_BASE_STATUS_H_

#include <cstdint>

namespace kvr {

using Status = std::int32_t;

inline constexpr Status kStatusOk = 0;
// A refused second command line (options taken from a configure variable) reaches the abort path
// with this value.
inline constexpr Status kStatusRefused = 1;

inline constexpr Status kStatusNoMemory = -131;             // memory could not be obtained
inline constexpr Status kStatusReadFailed = -135;           // a database file ended too early
inline constexpr Status kStatusWriteFailed = -136;          // a database write or seek failed
inline constexpr Status kStatusNoExplanationSource = -156;  // the library has no error texts
inline constexpr Status kStatusSectionTooLarge = -223;      // a section would pass 0xFFFFFF bytes
inline constexpr Status kStatusDatabaseUnusable = -225;     // a database file that cannot be used
inline constexpr Status kStatusDatabaseNotVersion2 = -240;  // database label without version 2 tag
inline constexpr Status kStatusLabelMissing = -248;         // version 2 file without ";CFG-2.0"
inline constexpr Status kStatusUnexpectedEnd = -354;        // file ends inside a statement
inline constexpr Status kStatusLineTooLong = -356;          // a line of more than 4134 characters
inline constexpr Status kStatusVariableNameTooLong = -361;  // more than 32 name characters
inline constexpr Status kStatusVariableNameEmpty = -362;    // "[]"
inline constexpr Status kStatusVariableNameInvalid = -363;  // bad character or unclosed name
inline constexpr Status kStatusVariableNameDuplicate = -364;
inline constexpr Status kStatusValueInvalid = -365;     // a value of no accepted form
inline constexpr Status kStatusDeviceNotQuoted = -370;  // a device name without its quote
inline constexpr Status kStatusDeviceNameEmpty = -372;
inline constexpr Status kStatusDeviceNameInvalid = -373;
inline constexpr Status kStatusDeviceNameDuplicate = -374;
inline constexpr Status kStatusDeviceNameTooLong = -375;
inline constexpr Status kStatusClassNotInSubpath = -380;   // linker or port inside a linker group
inline constexpr Status kStatusClassUnknownFamily = -381;  // no family group matches
inline constexpr Status kStatusClassUnknown = -383;        // a known group, but no row matches
inline constexpr Status kStatusClassTooLong = -384;        // class ID token over 32 characters
inline constexpr Status kStatusPortOnMainPath = -386;      // addressable scan port on the main path
inline constexpr Status kStatusIrLengthInvalid = -390;     // bypass/generic IR length out of range
inline constexpr Status kStatusBraceMisplaced = -391;      // brace missing or where it cannot stand

}  // namespace kvr

#endif  // KVR_BASE_STATUS_H_
