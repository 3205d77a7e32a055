#include "database/name_hash.h"

#include <chrono>
#include <random>

namespace kvr {

NameHasher::NameHasher() {
  // The key only has to be unknown to whoever writes the input; should the system have no source
  // of random numbers, the time and this object's address serve.
  key_ = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
         reinterpret_cast<std::uintptr_t>(this);
  try {
    std::random_device random;
    key_ ^= (std::uint64_t{random()} << 32) ^ random();
  } catch (...) {
  }
  key_ = name_hash::mix(key_);
}

}  // namespace kvr
