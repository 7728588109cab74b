// The row of the ratio: choices of ratios ("16:9"), and a custom choice that holds a ratio of the user's.
#include <cstring>
#include <string>
#include <vector>

#include "qenproperties/enum/ratio_property.h"
#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/internal/kind_rows.h"
#include "qenproperties/host/internal/kind_support.h"
#include "qenproperties/host/internal/value_grammar.h"
#include "qenproperties/host/text.h"

namespace Quenneth {
namespace host {
namespace detail {
namespace {

constexpr const char* kCustomForm = "N:M";

struct Ratios {
  std::vector<std::string> texts;
  std::vector<ULONG> ids;
  ULONG customId = 0;
  long customAt = -1;  // the custom choice's position, -1 when it has none

  // Named gives the texts one picks by name: every choice but the custom one, whose value is "N:M".
  std::vector<std::string> Named() const {
    std::vector<std::string> named;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      if (static_cast<long>(i) != customAt) named.push_back(texts[i]);
    }
    return named;
  }
};

Ratios RatiosOf(CQRatioProperty* r) {
  Ratios ratios;
  r->GetCustomEuumId(&ratios.customId);
  ULONG count = 0;
  r->GetEnumCount(&count);
  for (ULONG i = 0; i < count; ++i) {
    ULONG bytes = 0;
    ULONG id = 0;
    if (r->GetEnumString(i, nullptr, &bytes, &id) != kResultOk) continue;
    std::vector<WCHAR> text(bytes / 2 + 1, 0);
    r->GetEnumString(i, text.data(), &bytes, &id);
    if (id == ratios.customId && ratios.customAt < 0) ratios.customAt = static_cast<long>(ratios.texts.size());
    ratios.texts.push_back(Utf8(text.data()));
    ratios.ids.push_back(id);
  }
  return ratios;
}

long SelectedAt(IQProperty* p, const Ratios& ratios) {
  const std::vector<unsigned char> bytes = ValueBytes(p);
  if (bytes.size() != 4) return -1;
  ULONG index = 0;
  std::memcpy(&index, bytes.data(), sizeof index);
  return index < ratios.texts.size() ? static_cast<long>(index) : -1;
}

std::string Takes(const Ratios& ratios) {
  std::vector<std::string> forms = ratios.Named();
  if (ratios.customAt >= 0) forms.push_back("N:M with whole numbers N and M from 1");
  return OneOf(forms);
}

bool RatioOf(IQProperty* p, ULONG* numerator, ULONG* denominator) {
  auto* r = As<CQRatioProperty>(p);
  if (r == nullptr) return false;
  const Ratios ratios = RatiosOf(r);
  const long at = SelectedAt(p, ratios);
  if (at < 0) return false;
  if (ratios.ids[static_cast<std::size_t>(at)] == ratios.customId) {
    return r->GetCustomRatio(numerator, denominator) == kResultOk && *numerator != 0 && *denominator != 0;
  }
  return ParseRatio(ratios.texts[static_cast<std::size_t>(at)], numerator, denominator) == Parsed::kOk;
}

std::string RatioValueText(IQProperty* p) {
  auto* r = As<CQRatioProperty>(p);
  if (r == nullptr) return "";
  const Ratios ratios = RatiosOf(r);
  const long at = SelectedAt(p, ratios);
  if (at < 0) return "";
  if (ratios.ids[static_cast<std::size_t>(at)] != ratios.customId) return ratios.texts[static_cast<std::size_t>(at)];
  ULONG numerator = 0;
  ULONG denominator = 0;
  r->GetCustomRatio(&numerator, &denominator);
  return std::to_string(numerator) + ":" + std::to_string(denominator);
}

Limits RatioLimits(IQProperty* p, const DeclaredRange* /*declared*/) {
  Limits limits;
  auto* r = As<CQRatioProperty>(p);
  if (r == nullptr) return limits;
  const Ratios ratios = RatiosOf(r);
  limits.choices = ratios.Named();
  std::vector<std::string> shown = limits.choices;
  if (ratios.customAt >= 0) {
    limits.custom = kCustomForm;
    shown.push_back(kCustomForm);
  }
  limits.text = Joined(shown, " | ");
  return limits;
}

// SelectCustom selects the custom choice with the ratio N:M; the ratio is given back when the selection is
// refused.
ULONG SelectCustom(CQRatioProperty* r, const Ratios& ratios, ULONG numerator, ULONG denominator, Store store) {
  ULONG oldNumerator = 1;
  ULONG oldDenominator = 0;
  r->GetCustomRatio(&oldNumerator, &oldDenominator);
  r->SetCustomRatio(numerator, denominator);
  const auto index = static_cast<ULONG>(ratios.customAt);
  const ULONG rc = store == Store::kNotify ? r->SetCurSel(index) : r->SetDirectCurSel(index);
  if (rc != kResultOk) r->SetCustomRatio(oldNumerator, oldDenominator);
  return rc;
}

// The value text is a choice's text, or N:M for the custom choice (a ratio that is a choice's text selects
// that choice).
ULONG RatioSetText(IQProperty* p, std::string_view text, Store store, const DeclaredRange* /*declared*/,
                   std::string* refusal) {
  auto* r = As<CQRatioProperty>(p);
  if (r == nullptr) return kResultNoInterface;
  const Ratios ratios = RatiosOf(r);
  const long named = FindChoice(ratios.Named(), text);
  if (named >= 0) {
    const auto index = static_cast<ULONG>(ratios.customAt >= 0 && named >= ratios.customAt ? named + 1 : named);
    return store == Store::kNotify ? r->SetCurSel(index) : r->SetDirectCurSel(index);
  }
  ULONG numerator = 0;
  ULONG denominator = 0;
  if (ratios.customAt < 0 || ParseRatio(text, &numerator, &denominator) != Parsed::kOk) {
    return Refuse(refusal, kResultInvalidArgument, p, text, Takes(ratios));
  }
  return SelectCustom(r, ratios, numerator, denominator, store);
}

// ReadWord reads a 32-bit word as the preset text writes it: a signed number, so 4294967295 is written -1.
bool ReadWord(std::string_view text, ULONG* word) {
  long long number = 0;
  if (ParseWhole(text, INT32_MIN, 0xFFFFFFFFLL, &number) != Parsed::kOk) return false;
  *word = static_cast<ULONG>(static_cast<unsigned long long>(number) & 0xFFFFFFFFull);
  return true;
}

// The preset text is the selected choice's ID; the custom choice's ID is followed by "#N#M".
ULONG RatioLoadText(IQProperty* p, std::string_view text, const DeclaredRange* /*declared*/, std::string* refusal) {
  auto* r = As<CQRatioProperty>(p);
  if (r == nullptr) return kResultNoInterface;
  const Ratios ratios = RatiosOf(r);
  std::vector<std::string> named;
  for (std::size_t i = 0; i < ratios.texts.size(); ++i) {
    named.push_back(std::to_string(ratios.ids[i]) + (ratios.ids[i] == ratios.customId ? "#N#M" : "") + " for " +
                    (ratios.ids[i] == ratios.customId ? std::string(kCustomForm) : ratios.texts[i]));
  }
  const std::string takes = "the ID of a choice: " + Joined(named, ", ");
  const std::size_t first = text.find('#');
  const std::size_t second = first == std::string_view::npos ? first : text.find('#', first + 1);
  ULONG id = 0;
  if (!ReadWord(text.substr(0, first), &id)) return Refuse(refusal, kResultInvalidArgument, p, text, takes);
  long at = -1;
  for (std::size_t i = 0; at < 0 && i < ratios.ids.size(); ++i) {
    if (ratios.ids[i] == id) at = static_cast<long>(i);
  }
  const bool custom = at >= 0 && id == ratios.customId;
  // The custom choice is saved with its ratio and every other by its ID alone.
  if (at < 0 || custom != (first != std::string_view::npos)) {
    return Refuse(refusal, kResultInvalidArgument, p, text, takes);
  }
  if (!custom) return r->SetDirectCurSel(static_cast<ULONG>(at));
  ULONG numerator = 0;
  ULONG denominator = 0;
  if (second == std::string_view::npos || !ReadWord(text.substr(first + 1, second - first - 1), &numerator) ||
      !ReadWord(text.substr(second + 1), &denominator)) {
    return Refuse(refusal, kResultInvalidArgument, p, text, takes);
  }
  if (numerator == 0 || denominator == 0) {
    return Refuse(refusal, kResultInvalidArgument, p, text, "a ratio whose parts are not 0");
  }
  return SelectCustom(r, ratios, numerator, denominator, Store::kDirect);
}

bool RatioBuild(const PropertyDecl& decl, Built* built, DocumentError* error) {
  std::vector<std::string> texts;
  std::vector<long long> ids;
  std::vector<std::string> pointers;
  if (!TextChoices(decl, &texts, &ids, &pointers, error)) return false;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    ULONG numerator = 0;
    ULONG denominator = 0;
    const Parsed parsed = ParseRatio(texts[i], &numerator, &denominator);
    if (parsed == Parsed::kMalformed) {
      return Fail(error, pointers[i], "a ratio choice is N:M with whole numbers, not " + Quoted(texts[i]));
    }
    if (parsed == Parsed::kOutside) {
      return Fail(error, pointers[i], "the ratio " + Quoted(texts[i]) + " has a part of 0 (or beyond 32 bits)");
    }
  }
  if (decl.custom) {
    const ChoiceDecl& c = *decl.custom;
    long long id = static_cast<long long>(texts.size()) + 1;
    if (!c.text || c.data || c.number || c.text->empty()) {
      return Fail(error, c.pointer, "the custom choice of a ratio is {\"text\", \"id\"} with a text");
    }
    if (c.id && !Whole(c.id, 0, 0xFFFFFFFFLL, c.pointer, "/id", "the ID", &id, error)) return false;
    texts.push_back(*c.text);
    ids.push_back(id);
    pointers.push_back(c.pointer);
  }
  if (!DistinctChoices(texts, ids, pointers, error)) return false;
  auto r = QRef<CQRatioProperty>::Adopt(
      new CQRatioProperty(decl.name.c_str(), decl.description.c_str(), decl.group, decl.id, nullptr, nullptr));
  for (std::size_t i = 0; i < texts.size(); ++i) r->AddEnumString(texts[i].c_str(), static_cast<ULONG>(ids[i]));
  r->SetCustomEnumId(decl.custom ? static_cast<ULONG>(ids.back()) : UnusedId(ids));
  if (!ApplyDefault(kRatioKind, r.get(), decl, texts.front(), nullptr, error)) return false;
  ULONG index = 0;
  r->GetCurSel(&index);
  r->SetPropertyDefaultData(index);
  built->property = r;
  return true;
}

bool ServesRatio(IQProperty* p) { return Serves<CQRatioProperty>(p); }

const char* const kKeys[] = {"choices", "custom", nullptr};

const ULONG kTypes[] = {kDataTypeRatio, kNoDataType};

}  // namespace

// One row per class, each field as kinds.h names it.
// clang-format off
const PropertyKind kRatioKind = {
    "ratio",               // name
    &IID_IQRatioProperty,  // iid
    kTypes,                // dataTypes
    kKeys,                 // keys
    ServesRatio,           // serves
    RatioValueText,        // valueText
    RatioValueText,        // choiceText
    RatioLimits,           // limits
    RatioSetText,          // setText
    nullptr,               // number
    RatioOf,               // ratio
    true,                  // keepsPreset
    RatioLoadText,         // loadText
    RatioBuild,            // build
};
// clang-format on

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
