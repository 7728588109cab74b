// qenprops: show and change the settings of a panel through the mediator, and write or read preset documents.
//
// Exit status: 0 on success, 1 when a change, a value or a document entry is refused, 2 on a usage error or a
// file that cannot be read or is no document. The preset file given with --preset is written only after every
// change succeeded, and atomically. With --json every answer, errors included, is one JSON object on stdout.
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "arguments.h"
#include "options.h"
#include "serve.h"
#include "tool.h"

int main(int argc, char** argv) {
  using namespace qenprops;
  // The arguments as UTF-8 on every platform (on Windows argv itself is in the ANSI code page).
  std::vector<std::string> utf8 = Utf8Arguments(argc, argv);
  std::vector<char*> utf8Argv;
  for (std::string& arg : utf8) utf8Argv.push_back(arg.data());
  utf8Argv.push_back(nullptr);
  argv = utf8Argv.data();
  if (argc > 1 && std::string(argv[1]) == "serve") return Serve(argc, argv);
  const bool json = WantsJson(argc, argv);
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::cout << kUsageText;
    return kOk;
  }
  Options options;
  std::string problem;
  if (!ParseOptions(argc, argv, &options, &problem)) return Tool::Usage(problem, json);
  // The library answers with codes; what still throws is the host side running out of memory or a file system
  // error. Nothing has been written then: the preset file is replaced only as the last step.
  try {
    return Tool(std::move(options)).Run();
  } catch (const std::bad_alloc&) {
    return Tool::Usage("out of memory", json);
  } catch (const std::exception& e) {
    return Tool::Usage(e.what(), json);
  }
}
