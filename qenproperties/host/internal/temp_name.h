// temp_name.h: the names of the temporary files a preset is written through.
//
// The temporary files of target "p.json" are named ".p.json.tmp-" followed by twelve random characters of
// [0-9a-z] (lower case only, for file systems that ignore case). The pattern is exact, so a locked writer
// can remove what a killed writer of the same target left behind without touching anything else: no other
// target's temporary file and no user file matches it.
#ifndef QENPROPERTIES_HOST_INTERNAL_TEMP_NAME_H_
#define QENPROPERTIES_HOST_INTERNAL_TEMP_NAME_H_

#include <cstdint>
#include <string>

namespace Quenneth {
namespace host {
namespace detail {

// NewTempName gives a fresh temporary name for the file named `target` (a name, not a path). The name is
// unpredictable, but the caller still creates it exclusively: a name is never trusted to be free.
std::string NewTempName(const std::string& target);

// IsTempNameOf tells whether `candidate` is a temporary name of `target`, exactly as NewTempName makes them.
bool IsTempNameOf(const std::string& candidate, const std::string& target);

// TempRandomSource gives the 64 random bits a name is made from.
using TempRandomSource = std::uint64_t (*)();

// SetTempRandomSourceForTesting makes NewTempName use `source` (null: the default) and returns the source used
// before. Tests use it to know the next name in advance.
TempRandomSource SetTempRandomSourceForTesting(TempRandomSource source);

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_TEMP_NAME_H_
