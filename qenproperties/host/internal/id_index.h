// id_index.h: IdIndex, the position of each property ID among a document's entries (internal).
//
// IDs close together (the usual case: a panel numbers its properties) index a table directly; others go
// through a hash table of eight-byte slots. Either way finding an ID costs the same however many entries
// there are, so loading a document stays linear in its size.
//
//   IdIndex index;
//   const std::size_t twice = index.Build(ids);   // the first ID seen before, or kNone
//   const std::size_t at = index.Find(207);       // its position in `ids`, or kNone
#ifndef QENPROPERTIES_HOST_INTERNAL_ID_INDEX_H_
#define QENPROPERTIES_HOST_INTERNAL_ID_INDEX_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace host {
namespace detail {

class IdIndex {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // Build indexes `ids` by position, replacing what was indexed before. Returns the position of the first ID
  // that an earlier position has too (which is then not indexed), or kNone when all are distinct.
  std::size_t Build(const std::vector<ULONG>& ids);
  // Find gives the position of `id`, or kNone.
  std::size_t Find(ULONG id) const;

 private:
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

  struct Slot {
    ULONG id = 0;
    std::uint32_t at = kEmpty;
  };

  std::size_t Probe(ULONG id) const;

  std::vector<std::uint32_t> direct_;  // position by ID - low_, when the IDs lie close together
  ULONG low_ = 0;
  std::vector<Slot> slots_;  // otherwise a hash table, never more than half full
  std::size_t mask_ = 0;
  unsigned shift_ = 0;
};

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_ID_INDEX_H_
