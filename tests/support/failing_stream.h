// A seekable in-memory output stream that fails on request: the byte write with a chosen 0-based
// number fails (and every one after it), or the seek with a chosen number fails. Unbuffered, so
// a failing byte shows up at the very write that sends it.
#ifndef KVR_TESTS_SUPPORT_FAILING_STREAM_H_
#define KVR_TESTS_SUPPORT_FAILING_STREAM_H_

#include <cstddef>
#include <limits>
#include <string>

#include "support/test_files.h"

namespace kvr::testing {

struct FailingStreamState {
  std::size_t failing_write = std::numeric_limits<std::size_t>::max();
  std::size_t failing_seek = std::numeric_limits<std::size_t>::max();
  std::string bytes;  // what the stream holds
  std::size_t position = 0;
  std::size_t writes = 0;  // byte writes attempted so far
  std::size_t seeks = 0;   // seeks attempted so far
};

// `state` must outlive the stream.
UniqueFile failing_stream(FailingStreamState& state);

}  // namespace kvr::testing

#endif  // KVR_TESTS_SUPPORT_FAILING_STREAM_H_
