// byte_buffer.h: ByteBuffer, the owned value and default bytes of a property (internal).
//
// Values of up to kInlineCapacity bytes (every scalar, index and group record) live inside the object, so the
// change road and copies of a property do not allocate for them.
#ifndef QENPROPERTIES_INTERNAL_BYTE_BUFFER_H_
#define QENPROPERTIES_INTERNAL_BYTE_BUFFER_H_

#include <cstddef>
#include <cstring>
#include <utility>

#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace detail {

class ByteBuffer {
 public:
  static constexpr ULONG kInlineCapacity = 32;

  ByteBuffer() = default;
  ByteBuffer(const ByteBuffer& other) { CopyInlineOr(other); }
  ByteBuffer(ByteBuffer&& other) noexcept { MoveFrom(other); }
  ByteBuffer& operator=(const ByteBuffer& other) {
    if (this == &other) return *this;
    if (!other.OnHeap()) {
      Clear();
      CopyInlineOr(other);
    } else {
      ByteBuffer copy(other);
      Clear();
      MoveFrom(copy);
    }
    return *this;
  }
  ByteBuffer& operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
      Clear();
      MoveFrom(other);
    }
    return *this;
  }
  ~ByteBuffer() { Clear(); }

  const unsigned char* data() const { return OnHeap() ? storage_.heap : storage_.bytes; }
  ULONG size() const { return size_; }
  bool empty() const { return size_ == 0; }

  void Clear() {
    if (OnHeap()) delete[] storage_.heap;
    size_ = 0;
  }

  // Assign drops the old bytes first; if the allocation throws, the buffer is left empty.
  void Assign(const void* bytes, ULONG length) {
    Clear();
    if (length == 0) return;
    unsigned char* target = storage_.bytes;
    if (length > kInlineCapacity) {
      storage_.heap = new unsigned char[length];
      target = storage_.heap;
    }
    // The widths of the typed values are copied in place; a call to the library's copy costs more than they do.
    switch (length) {
      case 1: std::memcpy(target, bytes, 1); break;
      case 2: std::memcpy(target, bytes, 2); break;
      case 4: std::memcpy(target, bytes, 4); break;
      case 8: std::memcpy(target, bytes, 8); break;
      default: std::memcpy(target, bytes, length); break;
    }
    size_ = length;
  }

  void swap(ByteBuffer& other) noexcept {
    ByteBuffer tmp(std::move(other));
    other = std::move(*this);
    *this = std::move(tmp);
  }

 private:
  // The bytes are held inside the object up to kInlineCapacity and in a heap block beyond, so the size tells
  // which: the inline bytes and the block's address share their storage, and the size and the first bytes of
  // a small value lie in 16 bytes.
  bool OnHeap() const { return size_ > kInlineCapacity; }

  // The storage is copied whole (a fixed size the compiler copies in place), inline bytes or block address.
  void MoveFrom(ByteBuffer& other) noexcept {
    size_ = other.size_;
    std::memcpy(storage_.bytes, other.storage_.bytes, kInlineCapacity);
    other.size_ = 0;
  }

  // CopyInlineOr copies `other` into this empty buffer: the inline bytes whole, or a new heap block.
  void CopyInlineOr(const ByteBuffer& other) {
    if (!other.OnHeap()) {
      std::memcpy(storage_.bytes, other.storage_.bytes, kInlineCapacity);
      size_ = other.size_;
    } else {
      Assign(other.storage_.heap, other.size_);
    }
  }

  ULONG size_ = 0;
  union Storage {
    unsigned char bytes[kInlineCapacity];
    unsigned char* heap;
  } storage_ = {};
};

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_BYTE_BUFFER_H_
