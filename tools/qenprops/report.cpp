#include "report.h"

#include <algorithm>
#include <cstdio>

#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/kinds.h"
#include "qenproperties/host/text.h"

namespace qenprops {

using Quenneth::IQProperty;
using Quenneth::ULONG;
using Quenneth::host::Panel;
using Quenneth::host::PresetLoadReport;
using Quenneth::host::PresetOutcome;

namespace {

// Width counts UTF-8 code points, so non-ASCII names keep the columns aligned.
std::size_t Width(const std::string& text) {
  std::size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

std::string Hex(ULONG value) {
  char buffer[16];
  std::snprintf(buffer, sizeof(buffer), "0x%X", static_cast<unsigned>(value));
  return buffer;
}

}  // namespace

void PrintTable(const Panel& panel, std::ostream& out) {
  using namespace Quenneth::host;
  std::vector<std::vector<std::string>> rows = {{"NAME", "KIND", "VALUE", "GROUP", "FLAGS", "RANGE OR CHOICES"}};
  for (std::size_t i = 0; i < panel.Count(); ++i) {
    IQProperty* p = panel.At(i);
    const std::string group = panel.GroupName(GroupIdOf(p));
    rows.push_back({NameOf(p), KindOf(p).name, ValueText(p), group.empty() ? "-" : group, Hex(FlagsOf(p)),
                    panel.LimitsAt(i).text});
  }
  std::vector<std::size_t> widths(rows.front().size(), 0);
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], Width(row[c]));
  }
  out << panel.Title() << " (panel version " << panel.Version() << ")\n";
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      line += row[c];
      if (c + 1 < row.size()) line += std::string(widths[c] - Width(row[c]) + 2, ' ');
    }
    out << line << "\n";
  }
}

Json PanelJson(const Panel& panel) {
  using namespace Quenneth::host;
  Json properties = Json::array();
  for (std::size_t i = 0; i < panel.Count(); ++i) {
    IQProperty* p = panel.At(i);
    const Limits limits = panel.LimitsAt(i);
    Json limitsJson = {{"text", limits.text}};
    if (limits.ranged) {
      limitsJson["min"] = limits.min;
      limitsJson["max"] = limits.max;
    }
    if (limits.decimals >= 0) limitsJson["decimals"] = limits.decimals;
    if (!limits.choices.empty()) limitsJson["choices"] = limits.choices;
    if (!limits.custom.empty()) limitsJson["custom"] = limits.custom;
    properties.push_back({{"name", NameOf(p)},
                          {"id", PropertyIdOf(p)},
                          {"kind", KindOf(p).name},
                          {"value", ValueText(p)},
                          {"default", panel.DefaultAt(i)},
                          {"limits", std::move(limitsJson)},
                          {"flags", FlagsOf(p)},
                          {"group", panel.GroupName(GroupIdOf(p))},
                          {"description", DescriptionOf(p)}});
  }
  return {{"title", panel.Title()}, {"version", panel.Version()}, {"properties", std::move(properties)}};
}

void PrintChanges(const std::vector<Panel::Change>& changes, std::ostream& out) {
  for (const Panel::Change& c : changes) {
    out << (c.dependent ? "  also changed: " : "") << c.name << ": " << c.before << " -> " << c.after << "\n";
  }
}

Json ChangesJson(const std::vector<Panel::Change>& changes) {
  Json list = Json::array();
  for (const Panel::Change& c : changes) {
    list.push_back({{"name", c.name}, {"before", c.before}, {"after", c.after}, {"dependent", c.dependent}});
  }
  return list;
}

void PrintLoadReport(const std::string& path, const PresetLoadReport& report, std::ostream& out) {
  out << "loaded " << path << " (document version " << (report.documentVersion.empty() ? "?" : report.documentVersion)
      << ", panel version " << report.vaultVersion << ")\n";
  for (const auto& e : report.entries) {
    if (e.outcome == PresetOutcome::kLoaded) continue;
    out << "  " << e.name << " (id " << e.id << "): " << OutcomeName(e.outcome);
    if (e.outcome == PresetOutcome::kRefused) out << ", " << Quenneth::ResultName(e.code);
    if (e.outcome == PresetOutcome::kUnknownId) out << ", kept for the next save";
    if (!e.reason.empty()) out << ": " << e.reason;
    out << "\n";
  }
  out << "  " << report.Count(PresetOutcome::kLoaded) << " loaded, " << report.Count(PresetOutcome::kAdjusted)
      << " adjusted, " << report.Count(PresetOutcome::kRefused) << " refused, "
      << report.Count(PresetOutcome::kUnknownId) << " unknown, " << report.Count(PresetOutcome::kMissing)
      << " missing\n";
}

Json LoadReportJson(const PresetLoadReport& report) {
  Json entries = Json::array();
  for (const auto& e : report.entries) {
    Json item = {{"name", e.name}, {"id", e.id}, {"outcome", OutcomeName(e.outcome)}};
    if (e.outcome == PresetOutcome::kRefused) item["result"] = Quenneth::ResultName(e.code);
    if (!e.reason.empty()) item["reason"] = e.reason;
    entries.push_back(std::move(item));
  }
  return {{"documentVersion", report.documentVersion},
          {"panelVersion", report.vaultVersion},
          {"complete", report.Complete()},
          {"entries", entries}};
}

Json ErrorJson(const std::string& kind, const std::string& message, const std::string& path,
               const Quenneth::host::DocumentError* where) {
  Json error = {{"kind", kind}, {"message", message}};
  if (!path.empty()) error["path"] = path;
  if (where != nullptr && where->line != 0) {
    error["line"] = where->line;
    error["column"] = where->column;
  }
  if (where != nullptr && !where->pointer.empty()) error["pointer"] = where->pointer;
  return error;
}

std::string Dump(const Json& json) { return json.dump(2, ' ', false, Json::error_handler_t::replace); }

}  // namespace qenprops
