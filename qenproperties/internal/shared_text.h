// shared_text.h: SharedText, an immutable zero-terminated UTF-16 text shared by copies (internal).
//
// Names and descriptions never change in place: a setter builds a new text. Copies of a property (clones and
// the mediator's snapshots) therefore share the text instead of allocating it again.
#ifndef QENPROPERTIES_INTERNAL_SHARED_TEXT_H_
#define QENPROPERTIES_INTERNAL_SHARED_TEXT_H_

#include <cstring>
#include <memory>

#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace detail {

class SharedText {
 public:
  SharedText() = default;

  // Copy makes a text of `length` code units from `text` and a terminator. May throw std::bad_alloc.
  static SharedText Copy(const WCHAR* text, ULONG length) {
    SharedText result;
    std::shared_ptr<WCHAR[]> storage(new WCHAR[static_cast<std::size_t>(length) + 1]);
    if (length != 0) std::memcpy(storage.get(), text, static_cast<std::size_t>(length) * sizeof(WCHAR));
    storage[length] = 0;
    result.text_ = std::move(storage);
    result.length_ = length;
    return result;
  }

  // Null when no text is set.
  const WCHAR* get() const { return text_.get(); }
  ULONG length() const { return length_; }
  explicit operator bool() const { return text_ != nullptr; }
  void reset() {
    text_.reset();
    length_ = 0;
  }

 private:
  std::shared_ptr<const WCHAR[]> text_;
  ULONG length_ = 0;
};

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_SHARED_TEXT_H_
