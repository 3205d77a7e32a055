// The one place that opens files by name. Names keep the text the user gave (".\board.cfg") in
// every message; only here are they turned into a path of the host:
// - every backslash is taken as a path separator;
// - when a component does not exist with its exact letter case, the directory is searched for an
//   entry whose name matches it with letter case ignored, as a case-insensitive file system would
//   find it (file names from the command line arrive lower-cased). A file opened for reading is
//   found this way; a file opened for writing or appending is looked for in its folder found this
//   way, but under exactly its own name, so that a write never lands on a file whose name differs.
#ifndef KVR_BASE_FILE_OPEN_H_
#define KVR_BASE_FILE_OPEN_H_

#include <cstdio>
#include <string>

namespace kvr {

enum class PathUse { kReading, kWriting };

// The host path that `name` denotes, after the two rules above. A component that matches nothing
// is kept as written.
std::string resolve_host_path(const std::string& name, PathUse use);

// fopen() on the resolved path (resolved for reading when `mode` begins with 'r'). Returns null
// when the file cannot be opened, or names a folder; never throws. A pipe or a device opened for
// reading comes back as a temporary copy of what it held, which can go back to its start.
std::FILE* open_file(const std::string& name, const char* mode);

// fclose(), as a function the commands can be handed.
int close_file(std::FILE* file);

// True when `input`, resolved for reading, and `output`, resolved for writing, are one existing
// file, whatever their names.
bool same_existing_file(const std::string& input, const std::string& output);

// True when `read`, resolved for reading, and `written`, resolved for writing, are one file: one
// existing file, or, where either is missing, one path.
bool same_file(const std::string& read, const std::string& written);

// How the commands open and close their files. Tests put fakes in place of either, for example a
// close that fails.
struct FileAccess {
  std::FILE* (*open)(const std::string& name, const char* mode) = open_file;
  int (*close)(std::FILE* file) = close_file;
};

}  // namespace kvr

#endif  // KVR_BASE_FILE_OPEN_H_
