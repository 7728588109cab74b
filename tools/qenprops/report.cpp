#include "report.h"

#include <algorithm>
#include <cstdio>

#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/property_text.h"

namespace qenprops {

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

std::vector<std::string> Row(const Panel& panel, std::size_t i) {
  using namespace Quenneth::host;
  Quenneth::IQProperty* p = panel.At(i);
  const std::string group = panel.GroupName(GroupIdOf(p));
  return {NameOf(p), KindName(KindOf(p)), ValueText(p), group.empty() ? "-" : group, Hex(FlagsOf(p)), LimitsText(p)};
}

}  // namespace

void PrintTable(const Panel& panel, std::ostream& out) {
  std::vector<std::vector<std::string>> rows = {{"NAME", "KIND", "VALUE", "GROUP", "FLAGS", "RANGE OR CHOICES"}};
  for (std::size_t i = 0; i < panel.Count(); ++i) rows.push_back(Row(panel, i));
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
    Quenneth::IQProperty* p = panel.At(i);
    Json item;
    item["name"] = NameOf(p);
    item["id"] = PropertyIdOf(p);
    item["kind"] = KindName(KindOf(p));
    item["value"] = ValueText(p);
    item["limits"] = LimitsText(p);
    item["flags"] = FlagsOf(p);
    item["group"] = panel.GroupName(GroupIdOf(p));
    item["description"] = DescriptionOf(p);
    properties.push_back(std::move(item));
  }
  Json document;
  document["panel"] = panel.Title();
  document["version"] = panel.Version();
  document["properties"] = std::move(properties);
  return document;
}

void PrintChanges(const std::vector<Panel::Change>& changes, std::ostream& out) {
  for (std::size_t i = 0; i < changes.size(); ++i) {
    out << (i == 0 ? "" : "  also changed: ") << changes[i].name << ": " << changes[i].before << " -> "
        << changes[i].after << "\n";
  }
}

Json ChangesJson(const std::vector<Panel::Change>& changes) {
  Json list = Json::array();
  for (const Panel::Change& c : changes) list.push_back({{"name", c.name}, {"before", c.before}, {"after", c.after}});
  return list;
}

void PrintLoadReport(const std::string& path, const PresetLoadReport& report, std::ostream& out) {
  out << "loaded " << path << " (document version " << (report.documentVersion.empty() ? "?" : report.documentVersion)
      << ", panel version " << report.vaultVersion << ")\n";
  for (const auto& e : report.entries) {
    if (e.outcome == PresetOutcome::kLoaded) continue;
    out << "  " << e.name << " (id " << e.id << "): " << OutcomeName(e.outcome);
    if (e.outcome == PresetOutcome::kRefused) out << ", " << Quenneth::ResultName(e.code);
    out << "\n";
  }
  out << "  " << report.Count(PresetOutcome::kLoaded) << " loaded, " << report.Count(PresetOutcome::kRefused)
      << " refused, " << report.Count(PresetOutcome::kUnknownId) << " unknown, "
      << report.Count(PresetOutcome::kMissing) << " missing\n";
}

Json LoadReportJson(const PresetLoadReport& report) {
  Json entries = Json::array();
  for (const auto& e : report.entries) {
    Json item = {{"name", e.name}, {"id", e.id}, {"outcome", OutcomeName(e.outcome)}};
    if (e.outcome == PresetOutcome::kRefused) item["result"] = Quenneth::ResultName(e.code);
    entries.push_back(std::move(item));
  }
  return {{"documentVersion", report.documentVersion}, {"panelVersion", report.vaultVersion}, {"entries", entries}};
}

}  // namespace qenprops
