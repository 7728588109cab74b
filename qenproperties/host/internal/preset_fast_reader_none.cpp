// preset_fast_reader_none.cpp: the fast road where the SIMD JSON parser is not built in: every document takes
// the event reader.
#include "qenproperties/host/internal/preset_fast_reader.h"

namespace Quenneth {
namespace host {
namespace detail {

bool ReadPresetFast(std::string_view /*text*/, std::size_t /*readable*/, PresetContent* /*content*/) { return false; }

bool FastReaderBuiltIn() { return false; }

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
