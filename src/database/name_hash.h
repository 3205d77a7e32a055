// The hash that names are checked for repeats by: 64 bits of a name's bytes, keyed with a number
// drawn afresh for every hasher, so that no input can aim its names at one bucket or slot: a
// crafted file costs what an ordinary one does.
#ifndef KVR_DATABASE_NAME_HASH_H_
#define KVR_DATABASE_NAME_HASH_H_

#include <cstddef>
#include <cstdint>

namespace kvr {

class NameHasher {
 public:
  NameHasher();

  // The hash of `size` bytes, with ASCII letters folded to lower case when `fold_case` is set.
  std::uint64_t operator()(const char* bytes, std::size_t size, bool fold_case) const;

 private:
  std::uint64_t key_;
};

}  // namespace kvr

#endif  // KVR_DATABASE_NAME_HASH_H_
