// Small helpers for tests: byte streams in temporary files, and a temporary folder.
#ifndef KVR_TESTS_SUPPORT_TEST_FILES_H_
#define KVR_TESTS_SUPPORT_TEST_FILES_H_

#include <cstdio>
#include <memory>
#include <string>

namespace kvr::testing {

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file != nullptr) std::fclose(file);
  }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// A seekable temporary stream holding `bytes`, positioned at its start.
UniqueFile stream_with(const std::string& bytes);
// An empty seekable temporary stream, for output.
UniqueFile empty_stream();
// Everything the stream holds, from offset 0; the position is left at the end.
std::string contents_of(std::FILE* stream);

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);
bool file_exists(const std::string& path);

}  // namespace kvr::testing

#endif  // KVR_TESTS_SUPPORT_TEST_FILES_H_
