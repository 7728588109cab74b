#include "options.h"

namespace qenprops {

const char* const kUsageText =
    "usage: qenprops [--panel FILE] [--preset FILE] [--json] COMMAND\n"
    "  show                  every property: name, kind, value, group, flags, range or choices\n"
    "  set NAME=VALUE ...    change values through the mediator, as a settings panel does; all or nothing\n"
    "  reset [NAME ...]      back to the defaults (all when no name is given)\n"
    "  click NAME            press a command button\n"
    "  save FILE | load FILE write or read a preset document\n"
    "With --preset FILE the document is loaded first (when it exists) and written back after set, reset and\n"
    "click. Without --panel the built-in video export panel is used. With --json the answer, errors included,\n"
    "is one JSON object on stdout. Exit status: 0 done, 1 refused (a value, a change or a document entry), 2 a\n"
    "usage error or a file that cannot be read or is no document.\n";

bool WantsJson(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") return false;
    if (arg == "--json") return true;
  }
  return false;
}

bool ParseOptions(int argc, char** argv, Options* options, std::string* problem) {
  bool optionsEnded = false;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "--panel" || arg == "--preset")) {
      if (i + 1 >= argc) {
        *problem = arg + " needs a file";
        return false;
      }
      (arg == "--panel" ? options->panelPath : options->presetPath) = argv[++i];
    } else if (!optionsEnded && arg == "--json") {
      options->json = true;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      *problem = "unknown option " + arg;
      return false;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.empty()) {
    *problem = "no command given";
    return false;
  }
  options->command = positional.front();
  options->arguments.assign(positional.begin() + 1, positional.end());
  const std::string& c = options->command;
  const std::size_t n = options->arguments.size();
  if (c != "show" && c != "set" && c != "reset" && c != "click" && c != "save" && c != "load") {
    *problem = "unknown command \"" + c + "\"";
    return false;
  }
  if ((c == "show" && n != 0) || (c == "set" && n == 0) || ((c == "click" || c == "save" || c == "load") && n != 1)) {
    *problem = "wrong arguments for " + c;
    return false;
  }
  if (c == "set") {
    for (const std::string& arg : options->arguments) {
      if (arg.find('=') == std::string::npos) {
        *problem = "expected NAME=VALUE, got \"" + arg + "\"";
        return false;
      }
    }
  }
  return true;
}

}  // namespace qenprops
