#include "support/failing_stream.h"

#include <sys/types.h>

#include <cstdio>
#include <stdexcept>

namespace kvr::testing {
namespace {

ssize_t write_bytes(void* cookie, const char* data, std::size_t size) {
  auto& state = *static_cast<FailingStreamState*>(cookie);
  std::size_t done = 0;
  for (; done < size; ++done) {
    if (state.writes++ >= state.failing_write) break;
    if (state.position >= state.bytes.size()) state.bytes.resize(state.position + 1);
    state.bytes[state.position++] = data[done];
  }
  return static_cast<ssize_t>(done);
}

int seek(void* cookie, off64_t* offset, int whence) {
  auto& state = *static_cast<FailingStreamState*>(cookie);
  if (state.seeks++ >= state.failing_seek) return -1;
  off64_t base = 0;
  if (whence == SEEK_CUR) base = static_cast<off64_t>(state.position);
  if (whence == SEEK_END) base = static_cast<off64_t>(state.bytes.size());
  if (base + *offset < 0) return -1;
  state.position = static_cast<std::size_t>(base + *offset);
  *offset = base + *offset;
  return 0;
}

}  // namespace

UniqueFile failing_stream(FailingStreamState& state) {
  cookie_io_functions_t functions{};
  functions.write = write_bytes;
  functions.seek = seek;
  UniqueFile file(fopencookie(&state, "wb", functions));
  if (!file || std::setvbuf(file.get(), nullptr, _IONBF, 0) != 0) {
    throw std::runtime_error("fopencookie failed");
  }
  return file;
}

}  // namespace kvr::testing
