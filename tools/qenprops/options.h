// options.h: the command line of qenprops.
#ifndef QENPROPS_OPTIONS_H_
#define QENPROPS_OPTIONS_H_

#include <string>
#include <vector>

namespace qenprops {

extern const char* const kUsageText;

struct Options {
  std::string panelPath;   // --panel FILE; empty for the built-in panel
  std::string presetPath;  // --preset FILE
  bool json = false;       // --json
  std::string command;
  std::vector<std::string> arguments;
};

// WantsJson tells whether --json stands among the options, so even a command line that cannot be read gets its
// answer as JSON.
bool WantsJson(int argc, char** argv);

// ParseOptions reads the options wherever they stand before "--", and checks the command and its arguments;
// false with the problem in a sentence.
bool ParseOptions(int argc, char** argv, Options* options, std::string* problem);

}  // namespace qenprops

#endif  // QENPROPS_OPTIONS_H_
