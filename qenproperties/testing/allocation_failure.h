// allocation_failure.h: makes a chosen heap allocation of the current thread throw std::bad_alloc.
//
// The test binary that links this replaces the global operator new. While an AllocationFailure is alive, the
// allocations of the thread that made it are counted from 1 and the `failAt`-th throws (once).
//
//   AllocationFailure fail(1);
//   EXPECT_EQ(property->CloneProperty(&clone), kResultOutOfMemory);
#ifndef QENPROPERTIES_TESTING_ALLOCATION_FAILURE_H_
#define QENPROPERTIES_TESTING_ALLOCATION_FAILURE_H_

#include <cstddef>

namespace Quenneth {
namespace testing {

class AllocationFailure {
 public:
  explicit AllocationFailure(std::size_t failAt);
  AllocationFailure(const AllocationFailure&) = delete;
  AllocationFailure& operator=(const AllocationFailure&) = delete;
  ~AllocationFailure();

  // Whether the chosen allocation was reached (and failed).
  bool Triggered() const;
  // Allocations counted so far in this scope.
  std::size_t Count() const;
};

}  // namespace testing
}  // namespace Quenneth

#endif  // QENPROPERTIES_TESTING_ALLOCATION_FAILURE_H_
