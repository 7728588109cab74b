// shared_text.h: SharedText, an immutable zero-terminated UTF-16 text shared by copies (internal).
//
// Names and descriptions never change in place: a setter builds a new text. Copies of a property (clones and
// the mediator's snapshots) therefore share the text instead of allocating it again.
//
// The count and the text live in one heap block (one allocation per text, no separate control block): every
// property carries two texts, so this is a good part of what a property costs to make and to keep.
#ifndef QENPROPERTIES_INTERNAL_SHARED_TEXT_H_
#define QENPROPERTIES_INTERNAL_SHARED_TEXT_H_

#include <atomic>
#include <cstddef>
#include <cstring>
#include <new>
#include <utility>

#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace detail {

class SharedText {
 public:
  SharedText() = default;
  SharedText(const SharedText& other) noexcept : block_(other.block_) {
    if (block_ != nullptr) block_->references.fetch_add(1, std::memory_order_relaxed);
  }
  SharedText(SharedText&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
  SharedText& operator=(const SharedText& other) noexcept {
    SharedText copy(other);
    std::swap(block_, copy.block_);
    return *this;
  }
  SharedText& operator=(SharedText&& other) noexcept {
    SharedText moved(std::move(other));
    std::swap(block_, moved.block_);
    return *this;
  }
  ~SharedText() { reset(); }

  // Copy makes a text of `length` code units from `text` and a terminator. May throw std::bad_alloc.
  static SharedText Copy(const WCHAR* text, ULONG length) {
    void* raw = ::operator new(sizeof(Block) + (static_cast<std::size_t>(length) + 1) * sizeof(WCHAR));
    SharedText result;
    result.block_ = new (raw) Block{{1}, length};
    WCHAR* units = result.units();
    if (length != 0) std::memcpy(units, text, static_cast<std::size_t>(length) * sizeof(WCHAR));
    units[length] = 0;
    return result;
  }

  // Null when no text is set.
  const WCHAR* get() const { return block_ != nullptr ? units() : nullptr; }
  ULONG length() const { return block_ != nullptr ? block_->length : 0; }
  explicit operator bool() const { return block_ != nullptr; }
  void reset() noexcept {
    Block* block = std::exchange(block_, nullptr);
    if (block != nullptr && block->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      block->~Block();
      ::operator delete(block);
    }
  }

 private:
  // The code units follow the block in the same allocation.
  struct Block {
    std::atomic<std::size_t> references;
    ULONG length;
  };

  WCHAR* units() const { return static_cast<WCHAR*>(static_cast<void*>(block_ + 1)); }

  Block* block_ = nullptr;
};

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_SHARED_TEXT_H_
