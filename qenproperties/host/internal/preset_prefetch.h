// preset_prefetch.h: Prefetch, asking the processor to start fetching memory a loop will read soon (internal).
#ifndef QENPROPERTIES_HOST_INTERNAL_PRESET_PREFETCH_H_
#define QENPROPERTIES_HOST_INTERNAL_PRESET_PREFETCH_H_

namespace Quenneth {
namespace host {
namespace detail {

// Prefetch starts bringing the cache line at `address` in, without waiting for it. It reads nothing and never
// faults, whatever the address (null, freed memory); where the compiler offers no such hint it does nothing.
inline void Prefetch(const void* address) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(address);
#else
  static_cast<void>(address);
#endif
}

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_PRESET_PREFETCH_H_
