// preset_document_fuzzer.cpp: the host kit's preset-document reading and loading on arbitrary text.
//
// The text is loaded into the sample panel (every property class, with its mediator, rules and limits) and into
// a plain vault. Whatever state a load leaves must then save to a document that loads completely into another
// panel and saves the same text again (a load is exact), and every limit of the panel must hold. The panels are
// built once and reset before each input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "qenproperties/host/document_error.h"
#include "qenproperties/host/panel.h"
#include "qenproperties/host/preset_document.h"
#include "qenproperties/host/sample_panel.h"

namespace {

std::unique_ptr<Quenneth::host::Panel> Sample() {
  Quenneth::host::DocumentError error;
  std::unique_ptr<Quenneth::host::Panel> panel =
      Quenneth::host::Panel::FromJson(Quenneth::host::SamplePanelDescription(), &error);
  if (!panel) std::abort();
  return panel;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace Quenneth;
  const std::string text(reinterpret_cast<const char*>(data), size);
  host::PresetLoadReport report;
  host::DocumentError error;

  static const std::unique_ptr<host::Panel> panel = Sample();
  static const std::unique_ptr<host::Panel> copy = Sample();
  static const std::unique_ptr<host::Panel> plain = Sample();
  panel->ResetAll();
  copy->ResetAll();
  plain->ResetAll();
  const std::string before = panel->SavePreset();
  if (!panel->LoadPreset(text, &report, &error) && panel->SavePreset() != before) std::abort();
  const std::string saved = panel->SavePreset();
  if (!copy->LoadPreset(saved, &report, &error) || !report.Complete()) std::abort();
  if (copy->SavePreset() != saved) std::abort();
  // The loaded state keeps every limit: an edit of a property no rule names is never refused.
  if (copy->Set("Title", "x").code != 0) std::abort();

  host::PresetDocument::Load(text, plain->Vault(), &report, &error);
  const std::string again = host::PresetDocument::Save(plain->Vault(), text);
  if (!host::PresetDocument::Load(again, plain->Vault(), &report, &error)) std::abort();
  return 0;
}
