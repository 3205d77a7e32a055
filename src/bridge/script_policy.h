// The one place that decides which files an imported OpenOCD script may open, for `find' and
// `source' alike. A name is taken with every `\' as `/' (as OpenOCD's own find also tries it); a
// relative name is tried in each folder in turn, an absolute one as it stands. The file chosen is
// the first whose real path, the path that is really opened (every link followed, "." and ".."
// gone), names a regular file inside one of the folders, which are resolved the same way. A name
// that leads outside the folders and one that leads nowhere get the same answer, so that a script
// learns nothing of the files outside.
//
// The folders, in order: the scripts' own (that of the real path of each script named, in their
// order, when it is a regular file: a script read from a pipe or a device has none), each
// --search folder, then OpenOCD's installed scripts. A folder that does not exist is left out, and
// so is an own or installed folder within /dev, /proc or /sys, the system's views of devices and
// processes: only a --search folder can name one of those.
#ifndef KVR_BRIDGE_SCRIPT_POLICY_H_
#define KVR_BRIDGE_SCRIPT_POLICY_H_

#include <string>
#include <vector>

#include "bridge/script_access.h"

namespace kvr {

// The file system as a script reaches it: real paths by the system's own resolution, regular files
// only, read at most kLargestImportedFile bytes.
ScriptFiles file_system_files();

// `path` with every `\' as `/', made absolute and then real by `files`; empty when nothing exists
// there.
std::string real_path_of(const ScriptFiles& files, const std::string& path);

// The real folders a script may read, in order (see above). `scripts` holds the real path of
// each script named that is a regular file.
std::vector<std::string> script_folders(const ScriptFiles& files,
                                        const std::vector<std::string>& scripts,
                                        const std::vector<std::string>& search,
                                        const std::vector<std::string>& installed);

// The real path of the regular file that the name `name`, given to find or source, leads to
// within `files.folders`, or empty when it leads to none.
std::string script_file(const ScriptFiles& files, const std::string& name);

// "`NAME' is in none of the folders a script may read: FOLDER FOLDER ...".
std::string not_in_folders(const ScriptFiles& files, const std::string& name);

}  // namespace kvr

#endif  // KVR_BRIDGE_SCRIPT_POLICY_H_
