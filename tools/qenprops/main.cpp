// qenprops: show and change the settings of a panel through the mediator, and write or read preset documents.
//
// Exit status: 0 on success, 1 when a change is refused or a value is invalid, 2 on a usage error or a file
// that cannot be read. A command that changes values holds the --preset file's lock from reading it to writing it
// back, so concurrent changes of one preset are never lost; the file is written only after every change
// succeeded, and atomically.
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/panel.h"
#include "qenproperties/host/preset_document.h"
#include "qenproperties/host/preset_file.h"
#include "qenproperties/host/property_text.h"
#include "qenproperties/host/sample_panel.h"
#include "report.h"
#include "serve.h"

namespace {

using qenprops::Json;
using Quenneth::ResultName;
using Quenneth::ULONG;
using Quenneth::host::DocumentError;
using Quenneth::host::Panel;
using Quenneth::host::PresetDocument;
using Quenneth::host::PresetFile;
using Quenneth::host::PresetLoadReport;
using Quenneth::host::PresetOutcome;

constexpr int kOk = 0;
constexpr int kRefused = 1;
constexpr int kUsage = 2;

const char* const kUsageText =
    "usage: qenprops [--panel FILE] [--preset FILE] [--json] COMMAND\n"
    "  show                  every property: name, kind, value, group, flags, range or choices\n"
    "  set NAME=VALUE ...    change values through the mediator, as a settings panel does\n"
    "  reset [NAME ...]      back to the defaults (all when no name is given)\n"
    "  click NAME            press a command button\n"
    "  save FILE | load FILE write or read a preset document\n"
    "With --preset FILE the document is loaded first (when it exists) and written back after set, reset and\n"
    "click. Without --panel the built-in video export panel is used.\n";

struct Options {
  std::string panelPath;
  std::string presetPath;
  bool json = false;
  std::string command;
  std::vector<std::string> arguments;
};

int Usage(const std::string& problem) {
  std::cerr << "qenprops: " << problem << "\n" << kUsageText;
  return kUsage;
}

// ParseOptions reads the options wherever they stand; "--" ends them.
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
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-' && arg != "-") {
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
  return true;
}

class Tool {
 public:
  explicit Tool(Options options) : options_(std::move(options)) {}

  int Run() {
    const std::string& c = options_.command;
    if (c != "show" && c != "set" && c != "reset" && c != "click" && c != "save" && c != "load") {
      return Usage("unknown command \"" + c + "\"");
    }
    if ((c == "show" && !options_.arguments.empty()) || (c == "set" && options_.arguments.empty()) ||
        ((c == "click" || c == "save" || c == "load") && options_.arguments.size() != 1)) {
      return Usage("wrong arguments for " + c);
    }
    int rc = BuildPanel();
    if (rc != kOk) return rc;
    rc = LoadPresetOption();
    if (rc != kOk) return Finish(rc);
    if (c == "show") {
      rc = kOk;
    } else if (c == "set") {
      rc = Set();
    } else if (c == "reset") {
      rc = Reset();
    } else if (c == "click") {
      rc = Click();
    } else if (c == "save") {
      rc = Save(options_.arguments[0]);
    } else {
      rc = Load(options_.arguments[0]);
    }
    if (rc == kOk && Changes() && !options_.presetPath.empty()) rc = Save(options_.presetPath);
    if ((c == "show" || c == "load") && rc != kUsage) {
      if (options_.json) {
        output_["panel"] = qenprops::PanelJson(*panel_);
      } else {
        qenprops::PrintTable(*panel_, std::cout);
      }
    }
    return Finish(rc);
  }

 private:
  int Finish(int rc) {
    if (options_.json) {
      output_["ok"] = rc == kOk;
      std::cout << output_.dump(2) << "\n";
    }
    return rc;
  }

  int FileError(const std::string& what, const std::string& path, const std::string& reason) {
    std::cerr << "qenprops: cannot read " << what << " " << path << ": " << reason << "\n";
    return kUsage;
  }

  int BuildPanel() {
    std::string text = Quenneth::host::SamplePanelDescription();
    std::string error;
    if (!options_.panelPath.empty() && !Quenneth::host::ReadBoundedFile(options_.panelPath, &text, &error)) {
      return FileError("panel", options_.panelPath, error);
    }
    DocumentError problem;
    panel_ = Panel::FromJson(text, &problem);
    if (!panel_) {
      const std::string path = options_.panelPath.empty() ? "(built-in panel)" : options_.panelPath;
      std::cerr << "qenprops: not a valid panel description: " << problem.Describe(path) << "\n";
      return kUsage;
    }
    return kOk;
  }

  // ReadPreset loads the preset document `text`, read from `path`, into the panel; 2 when it is no document, 1
  // when entries are refused.
  int ReadPreset(const std::string& path, const std::string& text, const char* key) {
    PresetLoadReport report;
    DocumentError problem;
    if (!PresetDocument::Load(text, panel_->Vault(), &report, &problem)) {
      std::cerr << "qenprops: not a valid preset document: " << problem.Describe(path) << "\n";
      return kUsage;
    }
    const bool refused = report.Count(PresetOutcome::kRefused) != 0;
    if (options_.json) {
      output_[key] = qenprops::LoadReportJson(report);
    } else if (refused || report.Count(PresetOutcome::kLoaded) != report.entries.size() || std::string(key) == "load") {
      qenprops::PrintLoadReport(path, report, refused ? std::cerr : std::cout);
    }
    return refused ? kRefused : kOk;
  }

  bool Changes() const {
    const std::string& c = options_.command;
    return c == "set" || c == "reset" || c == "click";
  }

  int LoadPresetOption() {
    const std::string& path = options_.presetPath;
    if (path.empty()) return kOk;
    std::string error;
    bool exists = false;
    if (Changes()) {
      presetFile_ = PresetFile::Open(path, &error);
      if (!presetFile_) return FileError("preset", path, error);
      exists = presetFile_->Exists();
      presetText_ = presetFile_->Text();
    } else if (!Quenneth::host::ReadBoundedFileIfExists(path, &presetText_, &exists, &error)) {
      // Only read: no lock is needed, as the file is only ever replaced whole.
      return FileError("preset", path, error);
    }
    if (!exists) return kOk;
    const int rc = ReadPreset(path, presetText_, "preset");
    if (rc == kRefused) {
      std::cerr << "qenprops: " << options_.presetPath << " is left as it is\n";
    }
    return rc;
  }

  int Load(const std::string& path) {
    std::string text;
    std::string error;
    if (!Quenneth::host::ReadBoundedFile(path, &text, &error)) return FileError("preset", path, error);
    return ReadPreset(path, text, "load");
  }

  int Save(const std::string& path) {
    std::string error;
    const bool preset = path == options_.presetPath;
    const std::string document = PresetDocument::Save(panel_->Vault(), preset ? presetText_ : "");
    const bool written = preset && presetFile_ ? presetFile_->Replace(document, &error)
                                               : Quenneth::host::WriteFileAtomically(path, document, &error);
    if (!written) {
      std::cerr << "qenprops: cannot write " << path << ": " << error << "\n";
      return kUsage;
    }
    if (options_.json) {
      output_["saved"].push_back(path);
    } else if (path != options_.presetPath || options_.command == "save") {
      std::cout << "saved " << path << "\n";
    }
    return kOk;
  }

  // Report records one outcome; a refusal names the property, the value and the result code.
  int Report(const std::string& action, const std::string& value, const Panel::Outcome& outcome) {
    if (options_.json) {
      Json item = {{"action", action},
                   {"value", value},
                   {"result", ResultName(outcome.code)},
                   {"changes", qenprops::ChangesJson(outcome.changes)}};
      if (!outcome.message.empty()) item["message"] = outcome.message;
      output_["results"].push_back(std::move(item));
    } else if (outcome.code == Quenneth::kResultOk) {
      qenprops::PrintChanges(outcome.changes, std::cout);
      if (!outcome.message.empty()) std::cout << action << ": " << outcome.message << "\n";
    } else {
      std::cerr << "qenprops: refused: " << action << (value.empty() ? "" : "=" + value) << ": "
                << ResultName(outcome.code) << (outcome.message.empty() ? "" : ": " + outcome.message) << "\n";
    }
    return outcome.code == Quenneth::kResultOk ? kOk : kRefused;
  }

  bool Known(const std::string& name) {
    if (panel_->Find(name) != nullptr) return true;
    std::cerr << "qenprops: no property is named \"" << name << "\" (see qenprops show)\n";
    return false;
  }

  int Set() {
    for (const std::string& arg : options_.arguments) {
      const std::size_t eq = arg.find('=');
      if (eq == std::string::npos) return Usage("expected NAME=VALUE, got \"" + arg + "\"");
      if (!Known(arg.substr(0, eq))) return kUsage;
    }
    for (const std::string& arg : options_.arguments) {
      const std::size_t eq = arg.find('=');
      const std::string name = arg.substr(0, eq);
      const std::string value = arg.substr(eq + 1);
      if (Report(name, value, panel_->Set(name, value)) != kOk) return kRefused;
    }
    return kOk;
  }

  int Reset() {
    if (options_.arguments.empty()) {
      Panel::Outcome outcome;
      outcome.changes = panel_->ResetAll();
      if (outcome.changes.empty() && !options_.json) std::cout << "every setting already has its default\n";
      for (const auto& change : outcome.changes) {
        if (!options_.json) std::cout << change.name << ": " << change.before << " -> " << change.after << "\n";
      }
      if (options_.json) Report("reset", "", outcome);
      return kOk;
    }
    for (const std::string& name : options_.arguments) {
      if (!Known(name)) return kUsage;
    }
    for (const std::string& name : options_.arguments) {
      const Panel::Outcome outcome = panel_->Reset(name);
      if (!options_.json && outcome.code == Quenneth::kResultOk && outcome.changes.size() == 1 &&
          outcome.changes[0].before == outcome.changes[0].after) {
        std::cout << name << ": already " << outcome.changes[0].after << "\n";
        continue;
      }
      if (Report(name, "", outcome) != kOk) return kRefused;
    }
    return kOk;
  }

  int Click() {
    const std::string& name = options_.arguments[0];
    if (!Known(name)) return kUsage;
    const Panel::Outcome outcome = panel_->Click(name);
    if (outcome.code != Quenneth::kResultOk || options_.json) return Report(name, "", outcome);
    std::cout << name << ": " << outcome.message << "\n";
    for (const auto& change : outcome.changes) {
      std::cout << "  changed: " << change.name << ": " << change.before << " -> " << change.after << "\n";
    }
    return kOk;
  }

  Options options_;
  std::unique_ptr<Panel> panel_;
  std::unique_ptr<PresetFile> presetFile_;  // the --preset file, locked while a command changes it
  std::string presetText_;                  // the --preset document as read, whose unknown entries are written back
  Json output_ = Json::object();
};

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "serve") return qenprops::Serve(argc, argv);
  Options options;
  std::string problem;
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::cout << kUsageText;
    return kOk;
  }
  if (!ParseOptions(argc, argv, &options, &problem)) return Usage(problem);
  // The library answers with codes; what still throws is the host side running out of memory or failing to
  // write. Nothing has been written then (the preset file is replaced only as the last step).
  try {
    return Tool(std::move(options)).Run();
  } catch (const std::exception& e) {
    std::cerr << "qenprops: " << e.what() << "\n";
    return kUsage;
  }
}
