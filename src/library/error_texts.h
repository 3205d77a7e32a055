// The library's table of error titles and explanations.
#ifndef KVR_LIBRARY_ERROR_TEXTS_H_
#define KVR_LIBRARY_ERROR_TEXTS_H_

#include "base/status.h"

namespace kvr {

struct ErrorText {
  Status value;
  const char* title;
  const char* explanation;  // one or more lines, each ending with a line break
};

// The entry for `value`, or null when the library does not know it.
const ErrorText* find_error_text(Status value);

// Every entry, for tests: ended by an entry whose title is null.
const ErrorText* all_error_texts();

}  // namespace kvr

#endif  // KVR_LIBRARY_ERROR_TEXTS_H_
