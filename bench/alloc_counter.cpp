// alloc_counter.cpp: the counting global operator new and delete.
//
// Every block carries a small header in front of it with the requested size and the address malloc gave, so
// the unsized and aligned deletes can give back the right bytes and the live byte count stays exact.
#include "alloc_counter.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace qenbench {
namespace {

// The benchmarks allocate on one thread, so the counters are moved with plain relaxed loads and stores: a
// locked read-modify-write per allocation would cost more than some of the operations measured. Allocations made
// by two threads at once could lose a count, never corrupt memory.
std::atomic<std::uint64_t> gAllocations{0};
std::atomic<std::uint64_t> gBytes{0};
std::atomic<std::int64_t> gLiveBytes{0};

template <class T>
void Add(std::atomic<T>& counter, T amount) {
  counter.store(counter.load(std::memory_order_relaxed) + amount, std::memory_order_relaxed);
}

struct Header {
  void* base;
  std::size_t size;
};

constexpr std::size_t kHeaderSlot = 2 * alignof(std::max_align_t) > sizeof(Header) ? 2 * alignof(std::max_align_t)
                                                                                   : sizeof(Header);

void* Allocate(std::size_t size, std::size_t alignment) {
  if (alignment < alignof(std::max_align_t)) alignment = alignof(std::max_align_t);
  void* base = std::malloc(size + kHeaderSlot + alignment);
  if (base == nullptr) return nullptr;
  std::uintptr_t user = reinterpret_cast<std::uintptr_t>(base) + kHeaderSlot;
  user = (user + alignment - 1) / alignment * alignment;
  Header header{base, size};
  std::memcpy(reinterpret_cast<void*>(user - sizeof(Header)), &header, sizeof(Header));
  Add<std::uint64_t>(gAllocations, 1);
  Add<std::uint64_t>(gBytes, size);
  Add<std::int64_t>(gLiveBytes, static_cast<std::int64_t>(size));
  return reinterpret_cast<void*>(user);
}

void* AllocateOrThrow(std::size_t size, std::size_t alignment) {
  void* block = Allocate(size, alignment);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void Free(void* block) noexcept {
  if (block == nullptr) return;
  Header header;
  std::memcpy(&header, static_cast<unsigned char*>(block) - sizeof(Header), sizeof(Header));
  Add<std::int64_t>(gLiveBytes, -static_cast<std::int64_t>(header.size));
  std::free(header.base);
}

}  // namespace

AllocationTotals CurrentAllocations() {
  return {gAllocations.load(std::memory_order_relaxed), gBytes.load(std::memory_order_relaxed),
          gLiveBytes.load(std::memory_order_relaxed)};
}

void GrowingSizes(benchmark::internal::Benchmark* benchmark) {
  for (const std::int64_t size : {1000, 3000, 10000, 30000, 100000}) benchmark->Arg(size);
  benchmark->Unit(benchmark::kMillisecond)->Complexity()->ComputeStatistics("min", Fastest);
}

double Fastest(const std::vector<double>& values) {
  return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

void AllocationMeter::Report(benchmark::State& state) const {
  const AllocationTotals end = CurrentAllocations();
  const double iterations = state.iterations() > 0 ? static_cast<double>(state.iterations()) : 1.0;
  state.counters["allocs/op"] = static_cast<double>(end.allocations - start_.allocations) / iterations;
  state.counters["bytes/op"] = static_cast<double>(end.bytes - start_.bytes) / iterations;
}

}  // namespace qenbench

void* operator new(std::size_t size) { return qenbench::AllocateOrThrow(size, 0); }
void* operator new[](std::size_t size) { return qenbench::AllocateOrThrow(size, 0); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return qenbench::Allocate(size, 0); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return qenbench::Allocate(size, 0); }
void* operator new(std::size_t size, std::align_val_t align) {
  return qenbench::AllocateOrThrow(size, static_cast<std::size_t>(align));
}
void* operator new[](std::size_t size, std::align_val_t align) {
  return qenbench::AllocateOrThrow(size, static_cast<std::size_t>(align));
}
void* operator new(std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
  return qenbench::Allocate(size, static_cast<std::size_t>(align));
}
void* operator new[](std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
  return qenbench::Allocate(size, static_cast<std::size_t>(align));
}

void operator delete(void* block) noexcept { qenbench::Free(block); }
void operator delete[](void* block) noexcept { qenbench::Free(block); }
void operator delete(void* block, std::size_t) noexcept { qenbench::Free(block); }
void operator delete[](void* block, std::size_t) noexcept { qenbench::Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { qenbench::Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { qenbench::Free(block); }
void operator delete(void* block, std::align_val_t) noexcept { qenbench::Free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { qenbench::Free(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { qenbench::Free(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { qenbench::Free(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { qenbench::Free(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept { qenbench::Free(block); }
