// report.h: what qenprops prints: the panel as an aligned table or as JSON, changes, and preset load reports.
#ifndef QENPROPS_REPORT_H_
#define QENPROPS_REPORT_H_

#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "qenproperties/host/document_error.h"
#include "qenproperties/host/panel.h"
#include "qenproperties/host/preset_document.h"

namespace qenprops {

using Json = nlohmann::ordered_json;

// PrintTable writes one aligned row per property: name, kind, value, group, flags, range or choices.
void PrintTable(const Quenneth::host::Panel& panel, std::ostream& out);
// PanelJson gives the same, and each property's default and limits, for scripts.
Json PanelJson(const Quenneth::host::Panel& panel);

// PrintChanges writes "Name: before -> after" for each change, a dependent one as "  also changed: ...".
void PrintChanges(const std::vector<Quenneth::host::Panel::Change>& changes, std::ostream& out);
Json ChangesJson(const std::vector<Quenneth::host::Panel::Change>& changes);

// PrintLoadReport writes one line per entry that was not simply loaded, and a summary line.
void PrintLoadReport(const std::string& path, const Quenneth::host::PresetLoadReport& report, std::ostream& out);
Json LoadReportJson(const Quenneth::host::PresetLoadReport& report);

// ErrorJson gives an error's kind ("usage", "file", "document", "description"), its sentence and, for a
// document, where it is.
Json ErrorJson(const std::string& kind, const std::string& message, const std::string& path = "",
               const Quenneth::host::DocumentError* where = nullptr);

// Dump gives the JSON text; text that is no UTF-8 (a file name, an argument) shows with U+FFFD.
std::string Dump(const Json& json);

}  // namespace qenprops

#endif  // QENPROPS_REPORT_H_
