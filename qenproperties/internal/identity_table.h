// identity_table.h: the mediator's registry of properties by object identifier (the mediator's member,
// installed only because property_mediator.h holds one).
//
// The key is the first twelve bytes of an object identifier; several values may share a key (the mediator tells
// them apart by property ID) and are found in the order they were added. The values live in one array of slots
// (open addressing, linear probing, at most half full): a look-up reads the slot its key hashes to and mostly
// no other, adding and removing allocate nothing until the array grows. A table of nodes and per-key lists
// took two or three allocations an entry and as many cache misses a look-up, which at 100,000 entries was a
// tenth of building a panel.
//
// Values of one key lie between the key's home slot and the next free one, in the order they were added:
// adding puts a value in the first free slot after its home, removing moves the values behind the hole back
// one by one (never past one another), and growing re-adds every run of slots from its start.
#ifndef QENPROPERTIES_INTERNAL_IDENTITY_TABLE_H_
#define QENPROPERTIES_INTERNAL_IDENTITY_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace detail {

// IdentityKey: the first twelve bytes of an object identifier; identifiers that differ only in the last four
// share a key.
struct IdentityKey {
  unsigned char bytes[12];

  static IdentityKey Of(const _QGUID& id) {
    static_assert(sizeof(_QGUID) == 16, "the first twelve bytes are the four fields up to Data4[3]");
    IdentityKey key;
    std::memcpy(key.bytes, &id, sizeof(key.bytes));
    return key;
  }
  bool operator==(const IdentityKey& other) const { return std::memcmp(bytes, other.bytes, sizeof(bytes)) == 0; }

  // Identifiers are random, so mixing their bytes once spreads them well.
  std::size_t Hash() const {
    std::uint64_t low = 0;
    std::uint32_t high = 0;
    std::memcpy(&low, bytes, sizeof(low));
    std::memcpy(&high, bytes + sizeof(low), sizeof(high));
    const std::uint64_t mixed = (low ^ (static_cast<std::uint64_t>(high) << 29)) * 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(mixed ^ (mixed >> 32));
  }
};

// Value must be default-constructible and nothrow-movable. Not thread-safe: the mediator uses it under its lock.
template <typename Value>
class IdentityTable {
 public:
  IdentityTable() = default;
  IdentityTable(const IdentityTable&) = delete;
  IdentityTable& operator=(const IdentityTable&) = delete;

  std::size_t Size() const { return size_; }

  // Find gives the first value of `key` for which `match(value)` holds, or null. The pointer holds until the
  // table changes.
  template <typename Match>
  Value* Find(const IdentityKey& key, Match&& match) {
    if (size_ == 0) return nullptr;
    for (std::size_t i = key.Hash() & mask_; slots_[i].used; i = (i + 1) & mask_) {
      if (slots_[i].key == key && match(slots_[i].value)) return &slots_[i].value;
    }
    return nullptr;
  }

  // Add puts `value` after every value of its key. When the table cannot grow, std::bad_alloc leaves it as it
  // was.
  void Add(const IdentityKey& key, Value value) {
    if ((size_ + 1) * 2 > Capacity()) Rehash(Capacity() == 0 ? kFirstCapacity : Capacity() * 2);
    Place(key, std::move(value));
    ++size_;
  }

  // Remove takes out the value at `value`, a pointer Find gave for `key`.
  void Remove(const IdentityKey& key, const Value* value) {
    std::size_t hole = key.Hash() & mask_;
    while (&slots_[hole].value != value) hole = (hole + 1) & mask_;
    for (std::size_t next = (hole + 1) & mask_; slots_[next].used; next = (next + 1) & mask_) {
      // A value stays where it is when its home lies after the hole, up to its own slot: moved back, it could
      // not be found from its home any more.
      const std::size_t home = slots_[next].key.Hash() & mask_;
      if (((next - home) & mask_) < ((next - hole) & mask_)) continue;
      slots_[hole] = std::move(slots_[next]);
      hole = next;
    }
    slots_[hole] = Slot{};
    --size_;
  }

  // Reserve makes room for `count` values in all, so that adding up to that many moves none. When the room cannot
  // be had, std::bad_alloc leaves the table as it was.
  void Reserve(std::size_t count) {
    if (count > std::numeric_limits<std::size_t>::max() / 2 / sizeof(Slot)) throw std::bad_alloc();
    std::size_t capacity = Capacity() == 0 ? kFirstCapacity : Capacity();
    while (capacity < count * 2) capacity *= 2;
    if (capacity > Capacity()) Rehash(capacity);
  }

  template <typename Visit>
  void ForEach(Visit&& visit) {
    for (std::size_t i = 0; i < Capacity(); ++i) {
      if (slots_[i].used) visit(slots_[i].value);
    }
  }

  void Clear() {
    slots_.reset();
    mask_ = 0;
    size_ = 0;
  }

 private:
  struct Slot {
    Value value{};
    IdentityKey key{};
    bool used = false;
  };

  static constexpr std::size_t kFirstCapacity = 16;

  std::size_t Capacity() const { return slots_ ? mask_ + 1 : 0; }

  void Place(const IdentityKey& key, Value&& value) {
    std::size_t i = key.Hash() & mask_;
    while (slots_[i].used) i = (i + 1) & mask_;
    slots_[i].value = std::move(value);
    slots_[i].key = key;
    slots_[i].used = true;
  }

  void Rehash(std::size_t capacity) {
    const std::size_t old = Capacity();
    std::unique_ptr<Slot[]> previous = std::exchange(slots_, std::unique_ptr<Slot[]>(new Slot[capacity]));
    mask_ = capacity - 1;
    if (old == 0) return;
    // From a free slot on, every run is met from its start, so values of one key are placed again in order.
    std::size_t start = 0;
    while (previous[start].used) ++start;
    for (std::size_t n = 0; n < old; ++n) {
      Slot& slot = previous[(start + n) & (old - 1)];
      if (slot.used) Place(slot.key, std::move(slot.value));
    }
  }

  std::unique_ptr<Slot[]> slots_;
  std::size_t mask_ = 0;
  std::size_t size_ = 0;
};

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_IDENTITY_TABLE_H_
