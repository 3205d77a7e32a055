// kvrview --build: the build step a Makefile can trust. A board.cfg is compiled into exactly the
// database that `kvrbuild -g1' or `kvrbuild -g2' writes for it, in the version its label declares
// (a file without the label only with --v1), after the checks of --check, every warning of which
// stops the build unless -Wno-error keeps it a warning. Nothing is made when anything is wrong.
#ifndef KVR_VIEW_BUILD_MODE_H_
#define KVR_VIEW_BUILD_MODE_H_

#include <string>

#include "view/view_command_line.h"

namespace kvr {

// The database's bytes in `database`, and the diagnostics in `messages` (for standard error)
// whatever the outcome. False when no database is to be written.
bool build_database(const ViewRequest& request, std::string& database, std::string& messages);

}  // namespace kvr

#endif  // KVR_VIEW_BUILD_MODE_H_
