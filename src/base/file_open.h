// The one place that opens files by name. Names keep the text the user gave (".\board.cfg") in
// every message; only here are they turned into a path of the host:
// - every backslash is taken as a path separator;
// - when a component does not exist with its exact letter case, the directory is searched for an
//   entry whose name matches it with letter case ignored, as a case-insensitive file system would
//   find it (file names from the command line arrive lower-cased). A file opened for reading is
//   found this way; a file opened for writing or appending is looked for in its folder found this
//   way, but under exactly its own name, so that a write never lands on a file whose name differs.
//
// Nothing here throws: a path the system cannot look at (a current folder that no longer exists,
// say) is a file that does not open.
#ifndef KVR_BASE_FILE_OPEN_H_
#define KVR_BASE_FILE_OPEN_H_

#include <cstdint>
#include <cstdio>
#include <string>

namespace kvr {

enum class PathUse { kReading, kWriting };

// The most a pipe or a device may bring: far more than any board file holds, and a bound on what
// a copy of an endless device (/dev/zero) takes from the temporary folder.
inline constexpr std::uint64_t kLargestCopy = std::uint64_t{4} << 30;  // 4 GiB

// The host path that `name` denotes, after the two rules above. A component that matches nothing
// is kept as written.
std::string resolve_host_path(const std::string& name, PathUse use);

// A file opened by name, or why it was not.
struct OpenedFile {
  std::FILE* stream = nullptr;
  std::string path;  // the host path tried
  int error = 0;     // when `stream` is null: the system's error number, where it gave one
  // Opened for writing or appending: the file did not exist before, so this run made it.
  bool created = false;
  // When `stream` is null and the reason is not the usual one (the file does not exist, cannot be
  // read or written, or is a folder): what went wrong instead, as a sentence without its final
  // full stop, such as "this pipe or device brought more than 4 GiB, more than any board file
  // holds".
  std::string reason;
};

// fopen() on the resolved path (resolved for reading when `mode` begins with 'r'). A folder does
// not open. A pipe or a device opened for reading comes back as a copy of what it held, made in
// the temporary folder (TMPDIR, else /tmp), which can go back to its start; the copy is removed
// when it is closed, or at once when it cannot be made whole.
OpenedFile open_file(const std::string& name, const char* mode);

// Copies what `stream` still holds, at most `limit` bytes, into an unnamed file of the temporary
// folder, and closes `stream`. The copy comes back at its start, or null with the reason.
OpenedFile copy_to_temporary(std::FILE* stream, std::uint64_t limit);

// A new, empty file open for reading and writing in the temporary folder, which no name leads to
// once it is closed; null when none can be made.
std::FILE* open_temporary();

// fclose(), as a function the commands can be handed.
int close_file(std::FILE* file);

// Writes `bytes` as the whole of the file `name`, so that the file either stays as it was, byte
// for byte, or holds exactly `bytes`. A regular file, or a name where none stands, gets a new file
// written in the same folder and renamed over it only once every byte is written, synced and
// closed; a failure removes the new file and leaves the old one. An existing file keeps its
// permissions (and its owner, where the system allows); a new one gets 0666 less the umask. A
// link is followed to the file it leads to, which is replaced (the link stays a link); a link that
// leads nowhere makes its target. A device, a pipe or a socket is written directly, and a name of
// one of this process's descriptors (/dev/stdout, /dev/fd/N) writes to that descriptor. False with
// the reason (the system's own words) when any step fails.
bool write_whole_file(const std::string& name, const std::string& bytes, std::string& reason);

// True when `input`, resolved for reading, and `output`, resolved for writing, are one existing
// file, whatever their names.
bool same_existing_file(const std::string& input, const std::string& output);

// True when `read`, resolved for reading, and `written`, resolved for writing, are one file: one
// existing file, or, where either is missing, one path.
bool same_file(const std::string& read, const std::string& written);

// True when `name` exists and is neither a regular file nor a folder: a pipe, a device or a
// socket, which can be read only once.
bool is_special_file(const std::string& name);

// How the commands open and close their files. Tests put fakes in place of either, for example a
// close that fails.
struct FileAccess {
  OpenedFile (*open)(const std::string& name, const char* mode) = open_file;
  int (*close)(std::FILE* file) = close_file;
};

}  // namespace kvr

#endif  // KVR_BASE_FILE_OPEN_H_
