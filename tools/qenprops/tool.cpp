#include "tool.h"

#include <iostream>
#include <vector>

#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/sample_panel.h"

namespace qenprops {

using Quenneth::ResultName;
using Quenneth::host::DocumentError;
using Quenneth::host::Panel;
using Quenneth::host::PresetFile;
using Quenneth::host::PresetLoadReport;

namespace {

bool Changes(const std::string& command) { return command == "set" || command == "reset" || command == "click"; }

}  // namespace

int Tool::Usage(const std::string& problem, bool json) {
  if (json) {
    Json output = {{"ok", false}, {"exit", kUsage}, {"error", ErrorJson("usage", problem)}};
    std::cout << Dump(output) << "\n";
  } else {
    std::cerr << "qenprops: " << problem << "\n" << kUsageText;
  }
  return kUsage;
}

int Tool::Run() {
  if (options_.json) output_["command"] = options_.command;
  int rc = BuildPanel();
  if (rc != kOk) return Finish(rc);
  rc = LoadPresetOption();
  if (rc != kOk) return Finish(rc);
  const std::string& c = options_.command;
  if (c == "set") {
    rc = Set();
  } else if (c == "reset") {
    rc = Reset();
  } else if (c == "click") {
    rc = Click();
  } else if (c == "save") {
    rc = Save(options_.arguments[0]);
  } else if (c == "load") {
    rc = Load(options_.arguments[0]);
  }
  if (rc == kOk && Changes(c) && !options_.presetPath.empty()) rc = Save(options_.presetPath);
  if ((c == "show" || c == "load") && rc != kUsage) {
    if (options_.json) {
      output_["panel"] = PanelJson(*panel_);
    } else {
      PrintTable(*panel_, std::cout);
    }
  }
  return Finish(rc);
}

int Tool::Finish(int rc) {
  if (options_.json) {
    Json answer = {{"ok", rc == kOk}, {"exit", rc}};
    answer.update(output_);
    std::cout << Dump(answer) << "\n";
  }
  return rc;
}

int Tool::Fail(const std::string& kind, const std::string& message, const std::string& path,
               const DocumentError* where) {
  if (options_.json) {
    output_["error"] = ErrorJson(kind, message, path, where);
  } else {
    std::cerr << "qenprops: " << message << "\n";
  }
  return kUsage;
}

int Tool::Answer(const Panel::Outcome& outcome, bool printChanges) {
  const bool ok = outcome.code == Quenneth::kResultOk;
  if (options_.json) {
    output_["result"] = ResultName(outcome.code);
    output_["changes"] = ChangesJson(outcome.changes);
    if (!outcome.message.empty()) output_["message"] = outcome.message;
  } else if (!ok) {
    std::cerr << "qenprops: refused (" << ResultName(outcome.code) << "): " << outcome.message << "\n";
  } else if (printChanges) {
    PrintChanges(outcome.changes, std::cout);
  }
  return ok ? kOk : kRefused;
}

bool Tool::Known(const std::string& name) {
  if (panel_->Find(name) != nullptr) return true;
  Fail("usage", "no property is named \"" + name + "\" (see qenprops show)");
  return false;
}

int Tool::BuildPanel() {
  std::string text = Quenneth::host::SamplePanelDescription();
  std::string error;
  const std::string& path = options_.panelPath;
  if (!path.empty() && !Quenneth::host::ReadBoundedFile(path, &text, &error)) {
    return Fail("file", "cannot read the panel " + path + ": " + error, path);
  }
  DocumentError problem;
  panel_ = Panel::FromJson(text, &problem);
  if (!panel_) {
    const std::string shown = path.empty() ? "(built-in panel)" : path;
    return Fail("description", "not a valid panel description: " + problem.Describe(shown), path, &problem);
  }
  return kOk;
}

// ReadDocument loads the preset document `text`, read from `path`, into the panel: 2 when it is no document, 1
// when entries were refused or adjusted. The report is the answer of `load`; for --preset (`quiet`) it is
// shown, on stderr, only when something was refused or adjusted.
int Tool::ReadDocument(const std::string& path, const std::string& text, const char* key, bool quiet) {
  PresetLoadReport report;
  DocumentError problem;
  if (!panel_->LoadPreset(text, &report, &problem)) {
    return Fail("document", "not a valid preset document: " + problem.Describe(path), path, &problem);
  }
  const bool complete = report.Complete();
  if (options_.json) {
    output_[key] = LoadReportJson(report);
  } else if (!quiet) {
    PrintLoadReport(path, report, std::cout);
  } else if (!complete) {
    PrintLoadReport(path, report, std::cerr);
  }
  return complete ? kOk : kRefused;
}

// LoadPresetOption reads the --preset document when it exists. A command that changes values holds the file's
// lock from here until it is written back, so concurrent changes of one preset serialize and none is lost; a
// command that only reads needs no lock, since the file is only ever replaced whole.
int Tool::LoadPresetOption() {
  const std::string& path = options_.presetPath;
  if (path.empty()) return kOk;
  std::string error;
  std::string text;
  bool exists = false;
  if (Changes(options_.command)) {
    presetFile_ = PresetFile::Open(path, &error);
    if (!presetFile_) return Fail("file", "cannot read the preset " + path + ": " + error, path);
    exists = presetFile_->Exists();
    text = presetFile_->Text();
  } else if (!Quenneth::host::ReadBoundedFileIfExists(path, &text, &exists, &error)) {
    return Fail("file", "cannot read the preset " + path + ": " + error, path);
  }
  if (!exists) return kOk;
  const int rc = ReadDocument(path, text, "preset", true);
  if (rc == kRefused && !options_.json) std::cerr << "qenprops: " << path << " is left as it is\n";
  return rc;
}

int Tool::Load(const std::string& path) {
  std::string text;
  std::string error;
  if (!Quenneth::host::ReadBoundedFile(path, &text, &error)) {
    return Fail("file", "cannot read the preset " + path + ": " + error, path);
  }
  return ReadDocument(path, text, "load", false);
}

int Tool::Set() {
  std::vector<Panel::Assignment> assignments;
  for (const std::string& arg : options_.arguments) {
    const std::size_t eq = arg.find('=');
    assignments.push_back(Panel::Assignment{arg.substr(0, eq), arg.substr(eq + 1)});
    if (!Known(assignments.back().name)) return kUsage;
  }
  return Answer(panel_->Set(assignments), true);
}

int Tool::Reset() {
  if (options_.arguments.empty()) {
    const Panel::Outcome outcome = panel_->ResetAll();
    std::vector<Panel::Change> shown;
    for (const Panel::Change& change : outcome.changes) {
      if (change.before != change.after) shown.push_back(change);
    }
    if (!options_.json && shown.empty()) std::cout << "every setting already has its default\n";
    return Answer(Panel::Outcome{outcome.code, shown, outcome.message}, true);
  }
  for (const std::string& name : options_.arguments) {
    if (!Known(name)) return kUsage;
  }
  Panel::Outcome done;
  for (const std::string& name : options_.arguments) {
    Panel::Outcome outcome = panel_->Reset(name);
    if (outcome.code != Quenneth::kResultOk) {
      panel_->Restore(done.changes, true);
      outcome.message = name + ": " + outcome.message + (done.changes.empty() ? "" : "; nothing was applied");
      return Answer(outcome, true);
    }
    if (!options_.json && outcome.changes.front().before == outcome.changes.front().after) {
      std::cout << name << ": already " << outcome.changes.front().after << "\n";
      outcome.changes.erase(outcome.changes.begin());
    }
    for (Panel::Change& change : outcome.changes) done.changes.push_back(std::move(change));
  }
  return Answer(done, true);
}

int Tool::Click() {
  const std::string& name = options_.arguments[0];
  if (!Known(name)) return kUsage;
  const Panel::Outcome outcome = panel_->Click(name);
  const int rc = Answer(outcome, false);
  if (rc == kOk && !options_.json) {
    std::cout << name << ": " << outcome.message << "\n";
    for (const Panel::Change& change : outcome.changes) {
      if (change.before == change.after) continue;
      std::cout << "  changed: " << change.name << ": " << change.before << " -> " << change.after << "\n";
    }
  }
  return rc;
}

// Save writes the panel's document to `path`: through the locked --preset file when it is that file (the
// entries of properties the panel lacks go with it), or atomically to another file.
int Tool::Save(const std::string& path) {
  std::string error;
  const std::string document = panel_->SavePreset();
  const bool written = path == options_.presetPath && presetFile_
                           ? presetFile_->Replace(document, &error)
                           : Quenneth::host::WriteFileAtomically(path, document, &error);
  if (!written) return Fail("file", "cannot write " + path + ": " + error, path);
  if (options_.json) {
    output_["saved"].push_back(path);
  } else if (path != options_.presetPath || options_.command == "save") {
    std::cout << "saved " << path << "\n";
  }
  return kOk;
}

}  // namespace qenprops
