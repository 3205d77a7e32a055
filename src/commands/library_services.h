// Services built on the scan-controller library: the version check that starts every run, the
// explanation of an error status, and the operating-system report.
#ifndef KVR_COMMANDS_LIBRARY_SERVICES_H_
#define KVR_COMMANDS_LIBRARY_SERVICES_H_

#include <cstdint>
#include <cstdio>

#include "base/status.h"
#include "scanlib/scan_library.h"

namespace kvr {

inline constexpr const char* kProgramName = "KVRBUILD";
inline constexpr const char* kProgramVersion = "3.3.12";

// Nonzero when the library's version equals `version` (letter case ignored); otherwise prints why
// on `out` and returns 0.
std::uint16_t check_library_version(ScanLibrary& library, const char* name, const char* version,
                                    std::FILE* out);

// Prints where the error comes from, its value, and the library's title and explanation.
Status explain_error(ScanLibrary& library, Status value, std::FILE* out);

// In verbose mode, prints the operating system that the library reports. Always 0.
Status report_operating_system(ScanLibrary& library, std::uint16_t verbose, std::FILE* out);

}  // namespace kvr

#endif  // KVR_COMMANDS_LIBRARY_SERVICES_H_
