#include "qenproperties/internal/snapshot_pool.h"

#include <atomic>
#include <new>
#include <utility>

#include "qenproperties/property/property.h"

namespace Quenneth {
namespace detail {

std::uint64_t NextStamp() {
  static std::atomic<std::uint64_t> last{0};
  return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

bool NewSnapshot(SnapshotFace& source, std::uint64_t stamp, const CQProperty* value, SpareSnapshot& taken) {
  try {
    // A spare that another holds, or that shows other attributes, is let go; a new copy takes its place.
    SnapshotFace* copy = source.CopyForSnapshot();
    taken.object = QRef<IQProperty>::Adopt(copy->SnapshotObject());
    taken.face = copy;
    taken.stamp = stamp;
    if (value != nullptr) copy->ShowValue(source, value);  // the only reference: always shown
    return true;
  } catch (const std::bad_alloc&) {
    taken.object.reset();
    taken.face = nullptr;
    return false;
  }
}

}  // namespace detail
}  // namespace Quenneth
