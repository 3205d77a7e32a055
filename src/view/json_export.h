// The board as JSON for scripts: its variables, class records, every device in record order with
// the fifteen fields of its database record, its name and high-level class, and the sub-paths of
// each linker. The schema is in kvrview's manual page (docs/kvrview.txt); a version 2 device group
// is given as the devices it stands for, exactly as `kvrbuild -va' lists them.
#ifndef KVR_VIEW_JSON_EXPORT_H_
#define KVR_VIEW_JSON_EXPORT_H_

#include <string>

#include "lint/board_input.h"

namespace kvr {

std::string json_export(const LoadedBoard& loaded);

}  // namespace kvr

#endif  // KVR_VIEW_JSON_EXPORT_H_
