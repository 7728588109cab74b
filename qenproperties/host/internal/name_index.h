// name_index.h: NameIndex, a panel's positions by property name, letter case aside (internal).
//
// One open-addressing table of 16-byte slots, never more than half full, sized once for the names a panel
// declares: adding a name allocates nothing and finding one touches one slot (and the name it holds when the
// hashes agree), however many names there are. Names compare as equal when they differ at most in the letter
// case of ASCII letters. The index borrows the names: each must outlive the index and stay where it is.
//
//   NameIndex index;
//   index.Reserve(names.size());
//   if (index.Find(name) == NameIndex::kNone) index.Add(&name, position);
//   const std::size_t at = index.Find("WIDTH");   // the position of "Width", or kNone
#ifndef QENPROPERTIES_HOST_INTERNAL_NAME_INDEX_H_
#define QENPROPERTIES_HOST_INTERNAL_NAME_INDEX_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Quenneth {
namespace host {
namespace detail {

class NameIndex {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // Reserve makes room for `count` names in all, so adding that many never grows the table.
  void Reserve(std::size_t count);
  // Add indexes `*name` at `position`; the caller has checked that Find does not know the name yet.
  void Add(const std::string* name, std::size_t position);
  // Find gives the position of the name equal to `name` but for letter case, or kNone.
  std::size_t Find(std::string_view name) const;
  std::size_t Size() const { return size_; }

 private:
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

  struct Slot {
    const std::string* name = nullptr;
    std::uint32_t hash = 0;
    std::uint32_t at = kEmpty;
  };

  static std::uint32_t Hash(std::string_view name);
  void Rebuild(std::size_t capacity);
  // Probe gives the slot holding `name`, or the empty slot where it would go (the table is never full).
  std::size_t Probe(std::string_view name, std::uint32_t hash) const;

  std::vector<Slot> slots_;
  std::size_t size_ = 0;
};

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_NAME_INDEX_H_
