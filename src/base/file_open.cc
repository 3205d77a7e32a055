#include "base/file_open.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <vector>

namespace kvr {
namespace {

bool exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

std::string join(const std::string& base, const std::string& component) {
  if (base.empty()) return component;
  if (base.back() == '/') return base + component;
  return base + "/" + component;
}

// The entry of `directory` whose name equals `component` with letter case ignored; the first in
// byte order when several do, so that the choice does not depend on the directory's order.
std::string find_entry_nocase(const std::string& directory, const std::string& component) {
  DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) return {};
  std::string best;
  while (const dirent* entry = ::readdir(dir)) {
    if (::strcasecmp(entry->d_name, component.c_str()) != 0) continue;
    if (best.empty() || best > entry->d_name) best = entry->d_name;
  }
  ::closedir(dir);
  return best;
}

std::string resolve(const std::string& name) {
  std::string path = name;
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.empty() || exists(path)) return path;

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
  for (const std::string& component : components) {
    if (component.empty()) continue;
    std::string candidate = join(resolved, component);
    if (searching && component != "." && component != ".." && !exists(candidate)) {
      std::string match = find_entry_nocase(resolved, component);
      if (match.empty()) {
        searching = false;  // nothing below a missing directory can exist
      } else {
        candidate = join(resolved, match);
      }
    }
    resolved = candidate;
  }
  if (!path.empty() && path.back() == '/') resolved += '/';
  return resolved;
}

}  // namespace

std::string resolve_host_path(const std::string& name) {
  return resolve(name);
}

std::FILE* open_file(const std::string& name, const char* mode) {
  try {
    std::FILE* file = std::fopen(resolve(name).c_str(), mode);
    if (file == nullptr) return nullptr;
    // A directory opens for reading on POSIX systems but holds no file: refuse it as the
    // original platform does.
    struct stat info {};
    if (::fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
      std::fclose(file);
      errno = EISDIR;
      return nullptr;
    }
    return file;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

int close_file(std::FILE* file) {
  return std::fclose(file);
}

bool same_existing_file(const std::string& first, const std::string& second) {
  try {
    struct stat a {};
    struct stat b {};
    if (::stat(resolve(first).c_str(), &a) != 0) return false;
    if (::stat(resolve(second).c_str(), &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace kvr
