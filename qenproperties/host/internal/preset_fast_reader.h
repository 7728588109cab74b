// preset_fast_reader.h: ReadPresetFast, the fast road of reading a preset document (internal).
//
// ReadPresetDocument (preset_reader.h) tries this first. It reads a document with a SIMD JSON parser that
// checks the whole JSON grammar and UTF-8, then walks it under the same strict rules as the event reader: the
// keys each object may have, each at most once, the type of every value, "id" and "value" in every entry,
// "format" and "entries" in the document. It takes a document only when all of that holds and it holds no NUL,
// no escaped surrogate and no number -0 (which the two parsers judge apart); for anything else it answers false and
// the event reader reads the text again, which then names the problem at its line and column or JSON pointer,
// exactly as it always has. So a document is taken by both readers alike or refused with the same error.
// Built without the SIMD parser (a 32-bit or a Windows build, or a system without it), it always answers false.
#ifndef QENPROPERTIES_HOST_INTERNAL_PRESET_FAST_READER_H_
#define QENPROPERTIES_HOST_INTERNAL_PRESET_FAST_READER_H_

#include <cstddef>
#include <string_view>

#include "qenproperties/host/internal/preset_reader.h"

namespace Quenneth {
namespace host {
namespace detail {

// ReadPresetFast fills `content` (all but its index) from a well-formed preset document and answers true; for
// any other text it answers false, with `content` in no defined state. The entries' texts view the parser's
// buffers, which `content` holds until it is destroyed. `readable` is how many bytes from the text's start
// may be read (at least its size; what lies past the text may be anything): the parser reads a few past the
// end, so with room enough for that it reads the text where it is rather than from a copy.
bool ReadPresetFast(std::string_view text, std::size_t readable, PresetContent* content);

// FastReaderBuiltIn tells whether this build has the SIMD parser (ReadPresetFast takes documents at all).
bool FastReaderBuiltIn();

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_PRESET_FAST_READER_H_
