#include "bridge/script_policy.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>

#include "bridge/bounded_read.h"

namespace kvr {
namespace {

namespace fs = std::filesystem;

std::string slashed(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

std::string system_real_path(const std::string& path) {
  std::error_code error;
  const fs::path real = fs::canonical(path, error);
  return error ? std::string() : real.string();
}

bool system_is_file(const std::string& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

bool system_read(const std::string& path, std::string& text) {
  if (!system_is_file(path)) {
    text = "it is not a regular file";
    return false;
  }
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             std::fclose);
  int error = file ? 0 : errno;
  const ReadEnd end =
      file ? read_at_most(file.get(), kLargestImportedFile, text, error) : ReadEnd::kFailed;
  if (end == ReadEnd::kWhole) return true;
  text = end == ReadEnd::kTooLarge ? "it holds more than " + size_in_words(kLargestImportedFile) +
                                         ", the most a file an import reads may hold"
         : error != 0 ? std::strerror(error)
                      : "";
  return false;
}

// Whether `path` lies inside `folder`, both real.
bool within(std::string_view path, std::string_view folder) {
  if (folder.empty() || path.size() <= folder.size() || path.substr(0, folder.size()) != folder)
    return false;
  return folder.back() == '/' || path[folder.size()] == '/';
}

// The system's views of its devices, processes and kernel, which hold no scripts.
bool is_system_view(const std::string& real) {
  for (const std::string_view view : {"/dev", "/proc", "/sys"}) {
    if (real == view || within(real, view)) return true;
  }
  return false;
}

bool inside_folders(const ScriptFiles& files, const std::string& real) {
  return std::any_of(files.folders.begin(), files.folders.end(),
                     [&](const std::string& folder) { return within(real, folder); });
}

}  // namespace

ScriptFiles file_system_files() {
  return ScriptFiles{{}, system_read, system_is_file, system_real_path};
}

std::string real_path_of(const ScriptFiles& files, const std::string& path) {
  const std::string written = slashed(path);
  if (written.empty()) return "";
  if (files.real_path) return files.real_path(written);
  std::error_code error;
  const fs::path absolute = fs::absolute(written, error);
  return error ? std::string() : absolute.lexically_normal().string();
}

std::vector<std::string> script_folders(const ScriptFiles& files,
                                        const std::vector<std::string>& scripts,
                                        const std::vector<std::string>& search,
                                        const std::vector<std::string>& installed) {
  std::vector<std::string> folders;
  const auto add = [&](const std::string& folder, bool named_by_user) {
    const std::string real = real_path_of(files, folder);
    if (real.empty() || (!named_by_user && is_system_view(real))) return;
    if (std::find(folders.begin(), folders.end(), real) == folders.end()) folders.push_back(real);
  };
  for (const std::string& script : scripts) add(fs::path(script).parent_path().string(), false);
  for (const std::string& folder : search) add(folder, true);
  for (const std::string& folder : installed) add(folder, false);
  return folders;
}

std::string script_file(const ScriptFiles& files, const std::string& name) {
  const std::string wanted = slashed(name);
  if (wanted.empty()) return "";
  std::vector<std::string> candidates;
  if (fs::path(wanted).is_absolute()) {
    candidates.push_back(wanted);
  } else {
    for (const std::string& folder : files.folders) {
      std::string candidate = folder;
      if (candidate.back() != '/') candidate += '/';
      candidates.push_back(candidate += wanted);
    }
  }
  for (const std::string& candidate : candidates) {
    std::string real = real_path_of(files, candidate);
    if (!real.empty() && inside_folders(files, real) && files.exists(real)) return real;
  }
  return "";
}

std::string not_in_folders(const ScriptFiles& files, const std::string& name) {
  std::string message = "`" + name + "' is in none of the folders a script may read:";
  for (const std::string& folder : files.folders) message += " " + folder;
  return message;
}

}  // namespace kvr
