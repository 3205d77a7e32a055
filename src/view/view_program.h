// One run of kvrview: the command line, the input read in full, what the mode makes, and only then
// the output, so that bad input leaves no output file behind, nor an output file cut short.
#ifndef KVR_VIEW_VIEW_PROGRAM_H_
#define KVR_VIEW_VIEW_PROGRAM_H_

#include <cstdio>

namespace kvr {

// Exit status 0, 1 after bad input (or a file that cannot be written), 2 after bad usage.
int run_view(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace kvr

#endif  // KVR_VIEW_VIEW_PROGRAM_H_
