#include "support/alloc_failure.h"

#include <cstdlib>
#include <new>

namespace {

// The one mutable global of the tests: replaced allocation functions can reach nothing else.
struct Switch {
  bool armed = false;
  bool refused = false;
  std::size_t remaining = 0;
};
Switch g_switch;

// Decides whether this allocation may go ahead.
bool allow() {
  if (!g_switch.armed) return true;
  if (g_switch.remaining == 0) {
    g_switch.refused = true;
    return false;
  }
  --g_switch.remaining;
  return true;
}

void* allocate(std::size_t size) {
  if (!allow()) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

void* allocate_aligned(std::size_t size, std::align_val_t alignment) {
  if (!allow()) return nullptr;
  auto align = static_cast<std::size_t>(alignment);
  if (align < sizeof(void*)) align = sizeof(void*);
  void* memory = nullptr;
  if (posix_memalign(&memory, align, size == 0 ? 1 : size) != 0) return nullptr;
  return memory;
}

void* allocate_or_throw(std::size_t size) {
  void* memory = allocate(size);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

void* allocate_aligned_or_throw(std::size_t size, std::align_val_t alignment) {
  void* memory = allocate_aligned(size, alignment);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

}  // namespace

namespace kvr::testing {

AllocationFailureAfter::AllocationFailureAfter(std::size_t successful_allocations) {
  g_switch.refused = false;
  g_switch.remaining = successful_allocations;
  g_switch.armed = true;
}

AllocationFailureAfter::~AllocationFailureAfter() {
  g_switch.armed = false;
}

bool AllocationFailureAfter::refused_any() {
  return g_switch.refused;
}

}  // namespace kvr::testing

void* operator new(std::size_t size) {
  return allocate_or_throw(size);
}
void* operator new[](std::size_t size) {
  return allocate_or_throw(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return allocate_aligned_or_throw(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return allocate_aligned_or_throw(size, alignment);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return allocate_aligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return allocate_aligned(size, alignment);
}

void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete[](void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(memory);
}
