// encoding.h: the text form of a byte block (internal).
//
// Encode(bytes)   two upper-case hexadecimal characters per byte, in order, nothing else; "" for no bytes.
// Decode(text)    the bytes back. Upper and lower case digits are accepted. Text that is not such an encoding
//                 (odd length, any other character, embedded zeros included) gives an empty vector. Never
//                 throws for bad text; only std::bad_alloc can escape.
// Decode(ptr)     the same over zero-terminated text, read no further than the terminator; null gives empty.
//
// The allocation-free forms, for callers with a buffer of their own (preset text of small values):
// EncodeTo(bytes, count, text)       writes Encode's 2 * count code units and a terminator into `text`.
// DecodeTo(text, length, bytes)      decodes `length` code units of `text` into `length / 2` bytes; false (and
//                                    the bytes undefined) when the text is not an encoding, as Decode's empty.
#ifndef QENPROPERTIES_FRAME_ENCODING_H_
#define QENPROPERTIES_FRAME_ENCODING_H_

#include <cstddef>
#include <vector>

#include "qenproperties/foundation/string_utils.h"

namespace Quenneth {

QWString Encode(const std::vector<unsigned char>& bytes);
std::vector<unsigned char> Decode(const QWString& text);
std::vector<unsigned char> Decode(const WCHAR* text);
void EncodeTo(const unsigned char* bytes, std::size_t count, WCHAR* text);
bool DecodeTo(const WCHAR* text, std::size_t length, unsigned char* bytes);

}  // namespace Quenneth

#endif  // QENPROPERTIES_FRAME_ENCODING_H_
