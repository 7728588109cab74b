// id_index.h: IdIndex, the position of each property ID among a document's entries (internal).
//
// IDs close together (the usual case: a panel numbers its properties) index a table directly; others go
// through a hash table of eight-byte slots. Either way finding an ID costs the same however many entries
// there are, so loading a document stays linear in its size.
//
//   IdIndex index;
//   const std::size_t twice = index.Build(ids);   // the first ID seen before, or kNone
//   const std::size_t at = index.Find(207);       // its position in `ids`, or kNone
//   index.Build(entries.size(), [&](std::size_t i) { return entries[i].id; });   // IDs read where they are
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

  // Build indexes the IDs idAt(0) to idAt(count - 1) by position, replacing what was indexed before. Returns the
  // position of the first ID that an earlier position has too (which is then not indexed), or kNone when all
  // are distinct. Each ID is asked for twice, so the IDs need not be copied into a list first.
  template <typename IdAt>
  std::size_t Build(std::size_t count, const IdAt& idAt);
  std::size_t Build(const std::vector<ULONG>& ids) {
    return Build(ids.size(), [&ids](std::size_t i) { return ids[i]; });
  }
  // Find gives the position of `id`, or kNone.
  std::size_t Find(ULONG id) const;

 private:
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

  struct Slot {
    ULONG id = 0;
    std::uint32_t at = kEmpty;
  };

  // Prepare empties the index and sizes it for `count` IDs from `lowest` to `highest`; Place indexes `id` at
  // position `at`, false when an earlier position has it.
  void Prepare(ULONG lowest, ULONG highest, std::size_t count);
  bool Place(ULONG id, std::size_t at);
  std::size_t Probe(ULONG id) const;

  std::vector<std::uint32_t> direct_;  // position by ID - low_, when the IDs lie close together
  ULONG low_ = 0;
  std::vector<Slot> slots_;  // otherwise a hash table, never more than half full
  std::size_t mask_ = 0;
  unsigned shift_ = 0;
};

template <typename IdAt>
std::size_t IdIndex::Build(std::size_t count, const IdAt& idAt) {
  ULONG lowest = count == 0 ? 0 : idAt(0);
  ULONG highest = lowest;
  for (std::size_t i = 1; i < count; ++i) {
    const ULONG id = idAt(i);
    lowest = id < lowest ? id : lowest;
    highest = id > highest ? id : highest;
  }
  Prepare(lowest, highest, count);
  std::size_t twice = kNone;
  for (std::size_t i = 0; i < count; ++i) {
    if (!Place(idAt(i), i) && twice == kNone) twice = i;
  }
  return twice;
}

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_ID_INDEX_H_
