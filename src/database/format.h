// The board database format (board.dat), written by the database writer and read by the
// recogniser, the analyser and every other reader: its layout, and every constant of it.
//
// Every number is a 32-bit word stored least significant byte first. A size word holds a section
// size in bits 0-23 and a tag in bits 24-31, so no section can pass 0xFFFFFF bytes. Offsets are
// in bytes from the start of the file; V variables, C class records, D devices, G device groups.
//
// Version 2
//   0            8        label ";DAT-2.0", no terminating zero
//   8            4        size word: S1 in bits 0-23, format version 2 in bits 24-31
//   12           4        V
//   16           varies   V times: name bytes, 0, value bytes, 0 (model order)
//   ...          0-3      zero padding, so that S1 is a multiple of 4
//   8+S1         4        size word: S2 in bits 0-23, 0 in bits 24-31
//   12+S1        4        D (devices, not groups)
//   16+S1        4        C
//   20+S1        16*C     class records: rev, size, addr, who
//   20+S1+16*C   64*G     device groups: the 15 device words, then dev_count
//   8+S1+S2      12*D     high-level entries: class word, 8-byte name field
//   S1 = 8 + sum(len(name) + 1 + len(value) + 1) + padding; S2 = 12 + 16*C + 64*G.
//
// Version 1
//   0            4        size word: S2 in bits 0-23, format version 1 in bits 24-31
//   4            4        D
//   8            4        C
//   12           16*C     class records
//   12+16*C      60*D     device records: the 15 device words
//   S2           12*D     high-level entries
//   S2 = 12 + 16*C + 60*D. Configure variables are not stored in version 1.
//
// The 15 device words, in order: dev_id, cls_id, prior, parent, subpath, connect, sub_id[0..3],
// mainIR, preIR, preDR, posIR, posDR. A device name field is the name (1 to 8 lower-case
// characters) followed by zero bytes; an 8-character name has no zero byte.
//
// Grouping (version 2). A group of dev_count stands for its stored device followed by
// dev_count - 1 followers, and a reader derives each follower from the device just before it:
// dev_id + 1, prior = that dev_id, the same cls_id, parent, subpath, connect, sub_id and mainIR,
// preIR + mainIR, preDR + 1, posIR - mainIR, posDR - 1. The baseline rule lets a device join the
// open group when it is not a linker (connect 0), lies on the main path (parent 0) and has the
// cls_id of the device before it. That rule alone can fold devices a reader would rebuild wrongly:
// devices of one family share a cls_id even when a bypass or generic device has its own IR length,
// and the first main-path device after a linker's sub-paths follows a sub-path device whose path
// fields belong to another path. So a device joins only when, in addition, each of its fifteen
// fields equals what the derivation gives from the device before it; otherwise it opens a group of
// its own. Every group member is then exactly its derived value, so expanding the groups gives
// back every device unchanged, and a group of one is always valid for readers.
//
// Writing order. The sections are written in file order; the exact S2 (known only after grouping)
// and the version tag are filled in afterwards by seeking back, so a file that a failure cut short
// never carries a valid version tag.
#ifndef KVR_DATABASE_FORMAT_H_
#define KVR_DATABASE_FORMAT_H_

#include <cstddef>
#include <cstdint>

namespace kvr::format {

// The labels that open a version 2 database file and a version 2 configuration file, compared
// with letter case ignored. Neither is followed by a zero byte.
inline constexpr char kDatabaseLabel[] = ";DAT-2.0";
inline constexpr char kConfigLabel[] = ";CFG-2.0";
inline constexpr std::size_t kLabelLength = 8;

// A size word: the section size in its low 24 bits, a tag (the format version in the first size
// word, 0 in the second) in its top byte.
inline constexpr std::uint32_t kSizeMask = 0xFFFFFF;
inline constexpr int kTagShift = 24;
constexpr std::uint8_t tag_of(std::uint32_t size_word) {
  return static_cast<std::uint8_t>(size_word >> kTagShift);
}

inline constexpr std::uint32_t kWordBytes = 4;
inline constexpr std::uint32_t kFirstHeaderBytes = 8;    // S1's own share: size word and V
inline constexpr std::uint32_t kSecondHeaderBytes = 12;  // size word, D and C
inline constexpr std::uint32_t kClassRecordBytes = 16;
inline constexpr std::uint32_t kDeviceWords = 15;
inline constexpr std::uint32_t kDeviceRecordBytes = kDeviceWords * kWordBytes;       // version 1
inline constexpr std::uint32_t kDeviceGroupBytes = kDeviceRecordBytes + kWordBytes;  // version 2
inline constexpr std::uint32_t kNameFieldBytes = 8;
inline constexpr std::uint32_t kHighLevelEntryBytes = kWordBytes + kNameFieldBytes;

// The longest variable name and value, in characters without their zero byte (a string value
// counts its quotes). The configuration parser refuses longer ones and a reader of a database
// file finds them unusable.
inline constexpr std::size_t kMaxVariableName = 32;
inline constexpr std::size_t kMaxVariableValue = 4096;

}  // namespace kvr::format

#endif  // KVR_DATABASE_FORMAT_H_
