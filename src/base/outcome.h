// How an operation that explains its own failures ended: done, failed (its message says why), or
// refused memory, which the caller reports with the memory status. Its subsystem catches the
// refusal, so that no exception leaves it.
#ifndef KVR_BASE_OUTCOME_H_
#define KVR_BASE_OUTCOME_H_

#include <new>

namespace kvr {

enum class Outcome { kDone, kFailed, kNoMemory };

// The outcome of `body', which returns whether it was done.
template <typename Body>
Outcome outcome_of(Body&& body) noexcept {
  try {
    return body() ? Outcome::kDone : Outcome::kFailed;
  } catch (const std::bad_alloc&) {
    return Outcome::kNoMemory;
  }
}

}  // namespace kvr

#endif  // KVR_BASE_OUTCOME_H_
