// The host kit from the installed package: a panel from a description, a change with a dependent change,
// and a preset document round trip.
#include <qenproperties/host/kinds.h>
#include <qenproperties/host/panel.h>
#include <qenproperties/host/preset_document.h>
#include <qenproperties/qenproperties.h>

#include <cstdio>

using namespace Quenneth;

int main() {
  const char* description = R"({"properties": [
      {"name": "Mode", "kind": "enum", "id": 1, "choices": ["Photo", "Video"]},
      {"name": "Stabilise", "kind": "bool", "id": 2}],
    "rules": [{"when": "Mode", "is": ["Video"], "set": "Stabilise", "to": "TRUE"}]})";
  host::DocumentError error;
  auto panel = host::Panel::FromJson(description, &error);
  if (!panel) return 1;
  const host::Panel::Outcome outcome = panel->Set("Mode", "Video");
  if (outcome.code != kResultOk || outcome.changes.size() != 2) return 1;
  const std::string document = host::PresetDocument::Save(panel->Vault());
  auto fresh = host::Panel::FromJson(description, &error);
  host::PresetLoadReport report;
  if (!host::PresetDocument::Load(document, fresh->Vault(), &report, &error)) return 1;
  if (host::ValueText(fresh->Find("Stabilise")) != "TRUE") return 1;
  std::printf("host consumer ok: %s\n", host::ValueText(fresh->Find("Mode")).c_str());
  return 0;
}
