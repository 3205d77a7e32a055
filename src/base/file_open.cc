#include "base/file_open.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>
#include <vector>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <dirent.h>
#include <signal.h>
#include <unistd.h>
#endif

#include "base/ascii.h"

namespace kvr {
namespace {

namespace fs = std::filesystem;

// The longest path the host takes as a whole.
constexpr std::size_t kLongestPath = 4096;

#if !defined(_WIN32)
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
// byte order when several do, so that the choice does not depend on the directory's order. The
// listing is the system's own: the library's directory iterator ends the process when memory runs
// out inside it, where this lets std::bad_alloc reach the caller.
std::string find_entry_nocase(const std::string& directory, const std::string& component) {
  const std::unique_ptr<DIR, int (*)(DIR*)> listing(
      ::opendir(directory.empty() ? "." : directory.c_str()), ::closedir);
  if (!listing) return {};
  const std::string wanted = lower_cased(component);
  std::string best;
  while (const dirent* entry = ::readdir(listing.get())) {
    const std::string name = entry->d_name;
    if (lower_cased(name) == wanted && (best.empty() || best > name)) best = name;
  }
  return best;
}
#endif

std::string resolve(const std::string& name, PathUse use) {
  std::string path = name;
  std::replace(path.begin(), path.end(), '\\', '/');
#if defined(_WIN32)
  // Names are found with letter case ignored by the system itself.
  (void)use;
  return path;
#else
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
#endif
}

OpenedFile failure(std::string path, int error, std::string reason = "") {
  OpenedFile opened;
  opened.path = std::move(path);
  opened.error = error;
  opened.reason = std::move(reason);
  return opened;
}

std::string system_words(int error) {
  return error != 0 ? std::strerror(error) : "the system gave no reason";
}

// "4 GiB", or the number of bytes when it is no whole number of GiB.
std::string size_words(std::uint64_t bytes) {
  constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
  if (bytes % kGiB == 0) return std::to_string(bytes / kGiB) + " GiB";
  return std::to_string(bytes) + " bytes";
}

std::string temporary_folder() {
#if defined(_WIN32)
  for (const char* variable : {"TMP", "TEMP"}) {
    if (const char* folder = std::getenv(variable); folder != nullptr && *folder != '\0') {
      return folder;
    }
  }
  return ".";
#else
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && *folder != '\0' ? folder : "/tmp";
#endif
}

// A new file in `folder` that no name leads to once it is closed: on POSIX systems its name is
// removed at once, on Windows when it is closed. Null with errno set when none can be made.
std::FILE* unnamed_temporary(const std::string& folder) {
#if defined(_WIN32)
  const auto seed =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string name = folder + "\\kvrcopy-" + std::to_string(_getpid()) + "-" +
                             std::to_string(seed + attempt) + ".tmp";
    const int fd =
        _open(name.c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_TEMPORARY | _O_NOINHERIT,
              _S_IREAD | _S_IWRITE);
    if (fd >= 0) return _fdopen(fd, "w+b");
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
#else
  std::string name = folder + "/kvrcopy-XXXXXX";
  const int fd = mkstemp(name.data());
  if (fd < 0) return nullptr;
  unlink(name.c_str());
  std::FILE* file = fdopen(fd, "w+b");
  if (file == nullptr) close(fd);
  return file;
#endif
}

bool is_regular(std::FILE* file, bool& directory) {
  struct stat status {};
  if (fstat(fileno(file), &status) != 0) return true;  // nothing to tell: read it as a file
  directory = S_ISDIR(status.st_mode);
  return S_ISREG(status.st_mode);
}

// The opens below take what memory they need before a file is open, so that memory running out
// never leaves one open.
OpenedFile open_for_reading(const std::string& path, const char* mode) {
  OpenedFile opened = failure(path, 0);
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), mode);
  opened.error = errno;
  if (file == nullptr) return opened;
  bool directory = false;
  if (is_regular(file, directory)) {
    opened.stream = file;
    opened.error = 0;
    return opened;
  }
  if (directory) {  // a folder opens for reading on POSIX systems, but it is no file
    std::fclose(file);
    opened.error = EISDIR;
    return opened;
  }
  // A pipe or a device cannot go back to its start, as recognising a file's kind needs: what it
  // holds is read once into a copy, which is read in its place.
  OpenedFile copy = copy_to_temporary(file, kLargestCopy);
  copy.path = std::move(opened.path);
  return copy;
}

// Learns whether the file exists by asking the system to create it only when it does not, so that
// `created` is true exactly when this open made the file.
OpenedFile open_for_writing(const std::string& path, const char* mode) {
  OpenedFile opened = failure(path, 0);
  const bool append = mode[0] == 'a';
#if defined(_WIN32)
  const int access = _O_WRONLY | (std::strchr(mode, 'b') != nullptr ? _O_BINARY : _O_TEXT) |
                     (append ? _O_APPEND : 0) | _O_NOINHERIT;
  int fd = _open(path.c_str(), access | _O_CREAT | _O_EXCL, _S_IREAD | _S_IWRITE);
  const bool created = fd >= 0;
  if (fd < 0 && errno == EEXIST) fd = _open(path.c_str(), access | (append ? 0 : _O_TRUNC));
  std::FILE* file = fd >= 0 ? _fdopen(fd, mode) : nullptr;
  if (fd >= 0 && file == nullptr) _close(fd);
#else
  const int access = O_WRONLY | O_CLOEXEC | (append ? O_APPEND : 0);
  int fd = ::open(path.c_str(), access | O_CREAT | O_EXCL, 0666);
  const bool created = fd >= 0;
  if (fd < 0 && errno == EEXIST) {
    fd = ::open(path.c_str(), access | (append ? 0 : O_TRUNC));
    // A link that leads nowhere: writing through it makes its target, which is not this path.
    if (fd < 0 && errno == ENOENT) fd = ::open(path.c_str(), access | O_CREAT, 0666);
  }
  std::FILE* file = fd >= 0 ? fdopen(fd, mode) : nullptr;
  if (fd >= 0 && file == nullptr) close(fd);
#endif
  opened.error = file == nullptr ? errno : 0;
  opened.stream = file;
  opened.created = file != nullptr && created;
  return opened;
}

// The path made absolute and rid of links, dots and doubled separators as far as it exists; empty
// when the system cannot tell (the current folder is gone, say): no other name reaches that path.
fs::path absolute_path(const std::string& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  if (error) return {};
  fs::path canonical = fs::weakly_canonical(absolute, error);
  return error ? fs::path() : canonical;
}

// A whole-file write replaces a file by a new one made beside it, in the same folder, and renamed
// over it only once every byte is written, flushed and closed: a failure at any point leaves the
// old file byte for byte and removes the new one. A device, a pipe or a socket cannot be replaced
// and is written directly, as is a descriptor the process holds (/dev/stdout, /dev/fd/N), whose
// opening mode (appending, say) is the caller's.

// The most links followed from a name, as the system itself follows them.
constexpr int kMostLinks = 40;

// The start of a temporary file's name: the file's own, cut short enough to leave room for the
// rest within the longest name a folder holds.
std::string temporary_stem(const fs::path& file) {
  return "." + file.filename().string().substr(0, 200) + ".kvr";
}

// Six characters that differ from one attempt, run and moment to the next.
std::string name_suffix(unsigned attempt) {
  static constexpr char kLetters[] = "0123456789abcdefghijklmnopqrstuvwxyz";
#if defined(_WIN32)
  const unsigned long long pid = static_cast<unsigned long long>(_getpid());
#else
  const unsigned long long pid = static_cast<unsigned long long>(getpid());
#endif
  unsigned long long mix =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (pid << 20) ^ (static_cast<unsigned long long>(attempt) * 0x9E3779B97F4A7C15ull);
  std::string suffix;
  for (int k = 0; k < 6; ++k, mix /= 36) suffix += kLetters[mix % 36];
  return suffix;
}

#if defined(_WIN32)

// The names Windows gives its devices in every folder, with or without an extension.
bool is_device_name(const fs::path& path) {
  const std::string stem = upper_cased(path.stem().string());
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (stem == device) return true;
  }
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

int write_all(int fd, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const unsigned part =
        static_cast<unsigned>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    const int written = _write(fd, bytes.data() + done, part);
    if (written <= 0) return written < 0 ? errno : EIO;
    done += static_cast<std::size_t>(written);
  }
  return 0;
}

// The error number closest to what Windows said.
int error_of_windows(DWORD code) {
  switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}

int write_directly(const std::string& path, const std::string& bytes) {
  const int fd = _open(path.c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) return errno;
  int error = write_all(fd, bytes);
  if (_close(fd) != 0 && error == 0) error = errno;
  return error;
}

int write_whole(const std::string& path, const std::string& bytes) {
  const fs::path file(path);
  std::error_code ignored;
  const fs::file_status status = fs::status(file, ignored);
  if (fs::is_directory(status)) return EISDIR;
  if (is_device_name(file) || (fs::exists(status) && !fs::is_regular_file(status))) {
    return write_directly(path, bytes);
  }
  const std::string folder = file.has_parent_path() ? file.parent_path().string() : ".";
  const std::string stem = folder + "/" + temporary_stem(file);
  std::string temporary;
  int fd = -1;
  for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary = stem + name_suffix(attempt);
    fd = _open(temporary.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
               _S_IREAD | _S_IWRITE);
    if (fd < 0 && errno != EEXIST) return errno;
  }
  if (fd < 0) return EEXIST;
  int error = write_all(fd, bytes);
  if (error == 0 && _commit(fd) != 0) error = errno;
  if (_close(fd) != 0 && error == 0) error = errno;
  // Renaming over an existing file needs the system's own call: rename() refuses to.
  if (error == 0 && MoveFileExA(temporary.c_str(), path.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
    error = error_of_windows(GetLastError());
  }
  if (error != 0) _unlink(temporary.c_str());
  return error;
}

#else

// Where a whole-file write goes, once links are followed.
struct WriteTarget {
  enum class Way { kReplace, kDirect, kDescriptor } way = Way::kReplace;
  std::string path;       // the file to replace (in a folder without links) or to open
  bool existed = false;   // a replacement: a regular file stands there, of this status
  struct stat status {};  // of that file
  int descriptor = -1;    // the descriptor of this process that the path names
};

// The descriptor that an entry of this process's descriptor folder names, or -1.
int descriptor_named(const fs::path& folder, const std::string& entry) {
  if (folder != "/proc/self/fd" && folder != "/proc/" + std::to_string(getpid()) + "/fd") {
    return -1;
  }
  if (entry.empty() || entry.size() > 9 || !std::all_of(entry.begin(), entry.end(), is_digit)) {
    return -1;
  }
  return std::atoi(entry.c_str());
}

// Follows `path` through its links to the entry it ends at; 0 or the error number.
int find_target(const std::string& path, WriteTarget& target) {
  fs::path at(path);
  for (int hop = 0; hop <= kMostLinks; ++hop) {
    std::error_code error;
    const fs::path folder = fs::canonical(at.has_parent_path() ? at.parent_path() : ".", error);
    if (error) {  // a folder that is not there: no file can be made in it
      target.path = at.string();
      return error.value();
    }
    const std::string entry = at.filename().string();
    target.path = (folder / entry).string();
    target.descriptor = descriptor_named(folder, entry);
    if (target.descriptor >= 0) {
      target.way = WriteTarget::Way::kDescriptor;
      return 0;
    }
    struct stat status {};
    if (::lstat(target.path.c_str(), &status) != 0) {
      return errno == ENOENT ? 0 : errno;  // a new file, made where the name (or link) leads
    }
    if (S_ISLNK(status.st_mode)) {
      std::vector<char> link(static_cast<std::size_t>(status.st_size) + 2);
      const ssize_t length = ::readlink(target.path.c_str(), link.data(), link.size());
      if (length < 0) return errno;
      if (static_cast<std::size_t>(length) >= link.size()) return ENAMETOOLONG;  // it changed
      const fs::path leads(std::string(link.data(), static_cast<std::size_t>(length)));
      at = leads.is_absolute() ? leads : folder / leads;
      continue;
    }
    if (S_ISDIR(status.st_mode)) return EISDIR;
    target.way = S_ISREG(status.st_mode) ? WriteTarget::Way::kReplace : WriteTarget::Way::kDirect;
    target.existed = S_ISREG(status.st_mode);
    target.status = status;
    return 0;
  }
  return ELOOP;
}

int write_all(int fd, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t written =
        ::write(fd, bytes.data() + done, std::min<std::size_t>(bytes.size() - done, 1u << 30));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return written < 0 ? errno : EIO;
    done += static_cast<std::size_t>(written);
  }
  return 0;
}

// While it lives, a write past the size limit of `ulimit -f' fails with EFBIG instead of ending
// the process, which would leave the temporary file behind.
class FileSizeSignalIgnored {
 public:
  FileSizeSignalIgnored() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    restore_ = sigaction(SIGXFSZ, &ignore, &previous_) == 0;
  }
  ~FileSizeSignalIgnored() {
    if (restore_) sigaction(SIGXFSZ, &previous_, nullptr);
  }
  FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
  FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;

 private:
  struct sigaction previous_ {};
  bool restore_ = false;
};

int write_directly(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  int error = write_all(fd, bytes);
  if (::close(fd) != 0 && error == 0) error = errno;
  return error;
}

int replace_file(const WriteTarget& target, const std::string& bytes) {
  const fs::path file(target.path);
  const std::string stem = (file.parent_path() / temporary_stem(file)).string();
  std::string temporary;
  int fd = -1;
  for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary = stem + name_suffix(attempt);
    // A new file gets 0666 less the umask, as any file the shell makes; a replacement starts
    // private and then takes the old file's owner and permissions.
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                target.existed ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) return errno;
  }
  if (fd < 0) return EEXIST;
  if (target.existed) {
    // The owner before the mode, whose set-user-ID bits a change of owner would clear. Either may
    // be refused (another user's file, a file system without owners): the write goes on.
    [[maybe_unused]] const int owned = ::fchown(fd, target.status.st_uid, target.status.st_gid);
    [[maybe_unused]] const int kept = ::fchmod(fd, target.status.st_mode & 07777);
  }
  int error = write_all(fd, bytes);
  if (error == 0 && ::fsync(fd) != 0 && errno != EINVAL) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && std::rename(temporary.c_str(), target.path.c_str()) != 0) error = errno;
  if (error != 0) ::unlink(temporary.c_str());
  return error;
}

int write_whole(const std::string& path, const std::string& bytes) {
  if (path.empty()) return ENOENT;
  WriteTarget target;
  if (const int error = find_target(path, target); error != 0) return error;
  const FileSizeSignalIgnored guard;
  switch (target.way) {
    case WriteTarget::Way::kDescriptor:
      return write_all(target.descriptor, bytes);
    case WriteTarget::Way::kDirect:
      return write_directly(target.path, bytes);
    case WriteTarget::Way::kReplace:
      break;
  }
  return replace_file(target, bytes);
}

#endif

}  // namespace

std::string resolve_host_path(const std::string& name, PathUse use) {
  return resolve(name, use);
}

OpenedFile open_file(const std::string& name, const char* mode) {
  try {
    if (mode[0] == 'r') return open_for_reading(resolve(name, PathUse::kReading), mode);
    return open_for_writing(resolve(name, PathUse::kWriting), mode);
  } catch (const std::bad_alloc&) {
    // Without the memory to look the name up, the name as it stands is all there is: a memory
    // shortage must not read as a missing file.
    OpenedFile opened;
    opened.stream = std::fopen(name.c_str(), mode);
    opened.error = errno;
    return opened;
  }
}

OpenedFile copy_to_temporary(std::FILE* stream, std::uint64_t limit) {
  const std::string folder = temporary_folder();
  const std::string where = " in the temporary folder `" + folder + "'";
  std::FILE* copy = unnamed_temporary(folder);
  if (copy == nullptr) {
    const int error = errno;
    std::fclose(stream);
    return failure(
        "", error,
        "no copy of this pipe or device could be made" + where + ": " + system_words(error));
  }
  // While a file is open nothing takes memory: the reason is put in words once both are closed.
  enum class Fault { kNone, kTooLarge, kUnread, kUnwritten } fault = Fault::kNone;
  int error = 0;
  char block[1 << 16];
  std::uint64_t total = 0;
  for (std::size_t got;
       fault == Fault::kNone && (got = std::fread(block, 1, sizeof block, stream)) > 0;) {
    total += got;
    if (total > limit) {
      fault = Fault::kTooLarge;
    } else if (errno = 0; std::fwrite(block, 1, got, copy) != got) {
      error = errno;
      fault = Fault::kUnwritten;
    }
  }
  if (fault == Fault::kNone && std::ferror(stream)) {
    error = errno;
    fault = Fault::kUnread;
  }
  if (fault == Fault::kNone && (errno = 0, std::fflush(copy) != 0)) {
    error = errno;
    fault = Fault::kUnwritten;
  }
  std::fclose(stream);
  if (fault != Fault::kNone) {
    std::fclose(copy);  // which removes it
    std::string reason =
        fault == Fault::kTooLarge ? "this pipe or device brought more than " + size_words(limit) +
                                        ", more than any board file holds"
        : fault == Fault::kUnread ? std::string("this pipe or device could not be read")
                                  : "the copy of this pipe or device could not be written" + where;
    if (error != 0) reason += ": " + system_words(error);
    return failure("", error, reason);
  }
  std::rewind(copy);
  OpenedFile opened;
  opened.stream = copy;
  return opened;
}

std::FILE* open_temporary() {
  try {
    return unnamed_temporary(temporary_folder());
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

int close_file(std::FILE* file) {
  return std::fclose(file);
}

bool write_whole_file(const std::string& name, const std::string& bytes, std::string& reason) {
  int error = 0;
  try {
    error = write_whole(resolve(name, PathUse::kWriting), bytes);
  } catch (const std::bad_alloc&) {
    error = ENOMEM;
  }
  if (error == 0) return true;
  reason = system_words(error);
  return false;
}

bool same_existing_file(const std::string& input, const std::string& output) {
  try {
    std::error_code error;
    return fs::equivalent(resolve(input, PathUse::kReading), resolve(output, PathUse::kWriting),
                          error);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool same_file(const std::string& read, const std::string& written) {
  if (same_existing_file(read, written)) return true;
  try {
    const fs::path a = absolute_path(resolve(read, PathUse::kReading));
    return !a.empty() && a == absolute_path(resolve(written, PathUse::kWriting));
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool is_special_file(const std::string& name) {
  try {
    std::error_code error;
    const fs::file_status status = fs::status(resolve(name, PathUse::kReading), error);
    return !error && fs::exists(status) && !fs::is_regular_file(status) &&
           !fs::is_directory(status);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace kvr
