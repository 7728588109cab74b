// arguments.h: the program's command-line arguments as UTF-8 text.
#ifndef QENPROPERTIES_TOOLS_QENPROPS_ARGUMENTS_H_
#define QENPROPERTIES_TOOLS_QENPROPS_ARGUMENTS_H_

#include <string>
#include <vector>

namespace qenprops {

// Utf8Arguments gives argv[0] ... argv[argc - 1] as UTF-8. On Windows they are read again from the wide command
// line: the narrow argv there is in the ANSI code page, which turns every character it lacks into "?", so a
// file name could not be given. Elsewhere argv is returned as it is.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

}  // namespace qenprops

#endif  // QENPROPERTIES_TOOLS_QENPROPS_ARGUMENTS_H_
