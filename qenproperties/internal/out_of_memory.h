// out_of_memory.h: OutOfMemoryAs, the one barrier that turns an allocation failure into a result code
// (internal).
//
//   return detail::OutOfMemoryAs(kResultOutOfMemory, [&] { return Append(text, length, id); });
//
// Only the operations that promise a result code for an allocation failure use it; everywhere else
// std::bad_alloc passes to the caller, and no other exception is caught anywhere.
#ifndef QENPROPERTIES_INTERNAL_OUT_OF_MEMORY_H_
#define QENPROPERTIES_INTERNAL_OUT_OF_MEMORY_H_

#include <new>
#include <utility>

#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace detail {

// OutOfMemoryAs runs `operation` (which returns a result code) and answers `code` instead when it throws
// std::bad_alloc. What the operation changed before the failure stays changed: each caller says what that is.
template <class Operation>
ULONG OutOfMemoryAs(ULONG code, Operation&& operation) {
  try {
    return std::forward<Operation>(operation)();
  } catch (const std::bad_alloc&) {
    return code;
  }
}

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_OUT_OF_MEMORY_H_
