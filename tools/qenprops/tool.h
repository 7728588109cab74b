// tool.h: Tool, one run of qenprops: builds the panel, loads the --preset document, runs the command and writes
// the preset back after a change, then answers (as text, or as one JSON object with --json).
#ifndef QENPROPS_TOOL_H_
#define QENPROPS_TOOL_H_

#include <memory>
#include <string>

#include "options.h"
#include "qenproperties/host/panel.h"
#include "qenproperties/host/preset_file.h"
#include "report.h"

namespace qenprops {

constexpr int kOk = 0;
constexpr int kRefused = 1;
constexpr int kUsage = 2;

class Tool {
 public:
  explicit Tool(Options options) : options_(std::move(options)) {}

  // Run gives the exit status.
  int Run();
  // Usage answers a command line that cannot be read (exit 2).
  static int Usage(const std::string& problem, bool json);

 private:
  int Finish(int rc);
  // Fail reports an error of `kind` ("usage", "file", "document", "description") and gives exit 2.
  int Fail(const std::string& kind, const std::string& message, const std::string& path = "",
           const Quenneth::host::DocumentError* where = nullptr);
  // Answer reports a panel action; 0 when it succeeded, 1 when it was refused.
  int Answer(const Quenneth::host::Panel::Outcome& outcome, bool printChanges);
  bool Known(const std::string& name);

  int BuildPanel();
  int LoadPresetOption();
  int ReadDocument(const std::string& path, const std::string& text, const char* key, bool quiet);
  int Load(const std::string& path);
  int Set();
  int Reset();
  int Click();
  int Save(const std::string& path);

  Options options_;
  std::unique_ptr<Quenneth::host::Panel> panel_;
  std::unique_ptr<Quenneth::host::PresetFile> presetFile_;  // the --preset file, locked while a command changes it
  Json output_ = Json::object();
};

}  // namespace qenprops

#endif  // QENPROPS_TOOL_H_
