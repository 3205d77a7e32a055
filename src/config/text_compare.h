// Text comparison with letter case ignored. Both return 0 for equal and 1 for different; neither
// gives an ordering.
#ifndef KVR_CONFIG_TEXT_COMPARE_H_
#define KVR_CONFIG_TEXT_COMPARE_H_

#include <cstddef>

namespace kvr {

// Compares at most n characters; a pair of terminating zeros ends the comparison as equal.
int equal_nocase_n(const char* first, const char* second, std::size_t n);

// Equal when both texts hold the same characters apart from letter case.
int equal_nocase(const char* first, const char* second);

}  // namespace kvr

#endif  // KVR_CONFIG_TEXT_COMPARE_H_
