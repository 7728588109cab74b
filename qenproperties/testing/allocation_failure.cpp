#include "qenproperties/testing/allocation_failure.h"

#include <cstdlib>
#include <new>

namespace {

thread_local bool armed = false;
thread_local std::size_t counted = 0;
thread_local std::size_t failAt = 0;
thread_local bool triggered = false;

void* Allocate(std::size_t size) {
  if (armed) {
    ++counted;
    if (counted == failAt) {
      triggered = true;
      throw std::bad_alloc();
    }
  }
  void* memory = std::malloc(size == 0 ? 1 : size);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

namespace Quenneth {
namespace testing {

AllocationFailure::AllocationFailure(std::size_t at) {
  counted = 0;
  failAt = at;
  triggered = false;
  armed = true;
}

AllocationFailure::~AllocationFailure() { armed = false; }

bool AllocationFailure::Triggered() const { return triggered; }
std::size_t AllocationFailure::Count() const { return counted; }

}  // namespace testing
}  // namespace Quenneth
