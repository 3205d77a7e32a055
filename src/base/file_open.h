// The one place that opens files by name. Names keep the text the user gave (".\board.cfg") in
// every message; only here are they turned into a path of the host:
// - every backslash is taken as a path separator;
// - when a component does not exist with its exact letter case, the directory is searched for an
//   entry whose name matches it with letter case ignored, as a case-insensitive file system would
//   find it (file names from the command line arrive lower-cased).
#ifndef KVR_BASE_FILE_OPEN_H_
#define KVR_BASE_FILE_OPEN_H_

#include <cstdio>
#include <string>

namespace kvr {

// The host path that `name` denotes, after the two rules above. A component that matches nothing
// is kept as written (so a file to be created gets the name as given).
std::string resolve_host_path(const std::string& name);

// fopen() on the resolved path. Returns null when the file cannot be opened; never throws.
std::FILE* open_file(const std::string& name, const char* mode);

// fclose(), as a function the commands can be handed.
int close_file(std::FILE* file);

// True when both names resolve to one existing file (same device and inode).
bool same_existing_file(const std::string& first, const std::string& second);

// How the commands open and close their files. Tests put fakes in place of either, for example a
// close that fails.
struct FileAccess {
  std::FILE* (*open)(const std::string& name, const char* mode) = open_file;
  int (*close)(std::FILE* file) = close_file;
};

}  // namespace kvr

#endif  // KVR_BASE_FILE_OPEN_H_
