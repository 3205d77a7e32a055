// The one input file of kvrview loaded as a board, or the diagnostic that says why it cannot be: a
// configuration file kvrbuild refuses gets the error --check gives for it (the parser's status at
// its place, with notes and help), a database that does not read gets its own message.
#ifndef KVR_LINT_BOARD_LOADING_H_
#define KVR_LINT_BOARD_LOADING_H_

#include <string>

#include "lint/board_input.h"

namespace kvr {

// Reads the recognised input into `loaded`; on failure returns false with the diagnostic.
bool load_board(const std::string& name, InputFile& input, LoadedBoard& loaded,
                std::string& problem);

}  // namespace kvr

#endif  // KVR_LINT_BOARD_LOADING_H_
