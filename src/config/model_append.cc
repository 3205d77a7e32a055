#include "config/model_append.h"

#include <new>

namespace kvr {

Status append_class_block(BoardModel& model, std::uint32_t count, std::uint32_t size) {
  try {
    for (std::uint32_t rev = 0; rev < count; ++rev) {
      model.classes.push_back(ClassRecord{rev, size, 0, 0});
    }
  } catch (const std::bad_alloc&) {
    return kStatusNoMemory;
  }
  model.class_count += count;
  return kStatusOk;
}

}  // namespace kvr
