#include "base/file_open.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <new>
#include <system_error>
#include <vector>

#include "base/ascii.h"

namespace kvr {
namespace {

namespace fs = std::filesystem;

// The longest path the host takes as a whole.
constexpr std::size_t kLongestPath = 4096;

// Whether a directory entry of this name exists (a dangling link counts).
bool exists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

std::string join(const std::string& base, const std::string& component) {
  if (base.empty()) return component;
  if (base.back() == '/') return base + component;
  return base + "/" + component;
}

// The entry of `directory` whose name equals `component` with letter case ignored; the first in
// byte order when several do, so that the choice does not depend on the directory's order.
std::string find_entry_nocase(const std::string& directory, const std::string& component) {
  std::error_code error;
  std::string best;
  for (fs::directory_iterator it(directory.empty() ? "." : directory, error), end;
       !error && it != end; it.increment(error)) {
    const std::string entry = it->path().filename().string();
    if (lower_cased(entry) != lower_cased(component)) continue;
    if (best.empty() || best > entry) best = entry;
  }
  return best;
}

// Copies what `stream` still holds into a temporary file, closes `stream` and returns the copy at
// its start; null when that fails.
std::FILE* spooled(std::FILE* stream) {
  std::FILE* copy = std::tmpfile();
  char block[1 << 16];
  bool copied = copy != nullptr;
  for (std::size_t got; copied && (got = std::fread(block, 1, sizeof block, stream)) > 0;) {
    copied = std::fwrite(block, 1, got, copy) == got;
  }
  std::fclose(stream);
  if (!copied) {
    if (copy != nullptr) std::fclose(copy);
    return nullptr;
  }
  std::rewind(copy);
  return copy;
}

std::string resolve(const std::string& name, PathUse use) {
  std::string path = name;
  std::replace(path.begin(), path.end(), '\\', '/');
#if defined(_WIN32)
  // Names are found with letter case ignored by the system itself.
  (void)use;
  return path;
#endif
  // A path the system cannot take as a whole is left to fail as it is; this also bounds the cost
  // of the search below, which looks at every leading part of the path.
  if (path.empty() || path.size() >= kLongestPath || exists(path)) return path;

  std::vector<std::string> components;
  std::string current;
  for (char c : path) {
    if (c == '/') {
      components.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  components.push_back(current);

  std::string resolved = path.front() == '/' ? "/" : "";
  bool searching = true;
  for (std::size_t i = 0; i < components.size(); ++i) {
    const std::string& component = components[i];
    if (component.empty()) continue;
    std::string candidate = join(resolved, component);
    const bool final_for_writing = use == PathUse::kWriting && i + 1 == components.size();
    if (searching && !final_for_writing && component != "." && component != ".." &&
        !exists(candidate)) {
      std::string match = find_entry_nocase(resolved, component);
      if (match.empty()) {
        searching = false;  // nothing below a missing folder can exist
      } else {
        candidate = join(resolved, match);
      }
    }
    resolved = candidate;
  }
  if (path.back() == '/') resolved += '/';
  return resolved;
}

}  // namespace

std::string resolve_host_path(const std::string& name, PathUse use) {
  return resolve(name, use);
}

std::FILE* open_file(const std::string& name, const char* mode) {
  try {
    const PathUse use = mode[0] == 'r' ? PathUse::kReading : PathUse::kWriting;
    const std::string path = resolve(name, use);
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (file == nullptr) return nullptr;
    // A folder opens for reading on POSIX systems, but it is no file: refuse it.
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (fs::is_directory(status)) {
      std::fclose(file);
      errno = EISDIR;
      return nullptr;
    }
    // A pipe or a device cannot go back to its start, as recognising a file's kind needs: what it
    // holds is read once into a temporary file, which is read in its place.
    if (mode[0] == 'r' && !error && !fs::is_regular_file(status)) return spooled(file);
    return file;
  } catch (const std::bad_alloc&) {
    // Without the memory to look the name up, the name as it stands is all there is: a memory
    // shortage must not read as a missing file.
    return std::fopen(name.c_str(), mode);
  }
}

int close_file(std::FILE* file) {
  return std::fclose(file);
}

bool same_existing_file(const std::string& input, const std::string& output) {
  try {
    std::error_code error;
    return std::filesystem::equivalent(resolve(input, PathUse::kReading),
                                       resolve(output, PathUse::kWriting), error);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool same_file(const std::string& read, const std::string& written) {
  if (same_existing_file(read, written)) return true;
  try {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path a = fs::weakly_canonical(fs::absolute(resolve(read, PathUse::kReading)), error);
    const fs::path b =
        fs::weakly_canonical(fs::absolute(resolve(written, PathUse::kWriting)), error);
    return !error && a == b;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace kvr
