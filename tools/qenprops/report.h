// report.h: what qenprops prints: the panel as an aligned table or as JSON, changes, and preset load reports.
#ifndef QENPROPS_REPORT_H_
#define QENPROPS_REPORT_H_

#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "qenproperties/host/panel.h"
#include "qenproperties/host/preset_document.h"

namespace qenprops {

using Json = nlohmann::ordered_json;

// PrintTable writes one aligned row per property: name, kind, value, group, flags, range or choices.
void PrintTable(const Quenneth::host::Panel& panel, std::ostream& out);
// PanelJson gives the same as PrintTable for scripts.
Json PanelJson(const Quenneth::host::Panel& panel);

// PrintChanges writes "Name: before -> after" for the first change and "  also changed: ..." for the rest.
void PrintChanges(const std::vector<Quenneth::host::Panel::Change>& changes, std::ostream& out);
Json ChangesJson(const std::vector<Quenneth::host::Panel::Change>& changes);

// PrintLoadReport writes one line per entry that was not simply loaded, and a summary line.
void PrintLoadReport(const std::string& path, const Quenneth::host::PresetLoadReport& report, std::ostream& out);
Json LoadReportJson(const Quenneth::host::PresetLoadReport& report);

}  // namespace qenprops

#endif  // QENPROPS_REPORT_H_
