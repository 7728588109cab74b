// Preset documents of a plain vault: exact and quiet loads, entries refused with their reason, entries of
// other properties carried, and every document that is not one refused at its place before a value changes.
#include "qenproperties/host/preset_document.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "qenproperties/host/kinds.h"
#include "qenproperties/qenproperties.h"
#include "qenproperties/testing/fake_mediator.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace host {
namespace {

using testing::FakeMediator;

// A vault of every class that keeps a preset text, each bound to `mediator` when one is given.
QRef<CQPropertyVault> MixedVault(IQPropertyMediator* mediator) {
  auto vault = QRef<CQPropertyVault>::Adopt(new CQPropertyVault(nullptr));
  WCHAR version[] = {'7', 0};
  vault->SetVersion(version);
  const WCHAR title[] = {'T', 0};
  auto* e = new CQEnumProperty("Container", "c", 1, 4, nullptr, nullptr, kDataTypeUInt32);
  e->AddEnumString("MP4", 1);
  e->AddEnumString("MKV", 2);
  e->SetDirectCurSel(0);
  auto* l = new CQEnumLongProperty("Steps", "s", 1, 5, nullptr, nullptr);
  l->AddEnumLongValue(5);
  l->AddEnumLongValue(4294967295u);
  l->SetDirectCurSelIndex(0);
  auto* x = new CQExEnumProperty("Codec", "x", 1, 6, 9, kDataTypeInt32, nullptr, nullptr);
  unsigned char data[4] = {1, 0, 0, 0};
  x->AddEnumStringAndSubData("One", 1, data, 4);
  x->AddEnumStringAndSubData("Own", 9, data, 4);
  x->SetDirectCurSel(0);
  auto* r = new CQRatioProperty("Shape", "r", 1, 7, nullptr, nullptr);
  r->AddEnumString("16:9", 1);
  r->AddEnumString("Own", 9);
  r->SetCustomEnumId(9);
  r->SetDirectCurSel(0);
  IQProperty* properties[] = {
      new CQLongProperty("Width", "w", 1, 1, kDataTypeUInt32, 5, 5, 0, 0, nullptr, nullptr),
      new CQFloatProperty("Rate", "f", 1, 2, kDataTypeDouble, 1, 1, -1e6, 1e6, nullptr, nullptr),
      new CQBoolProperty("On", "b", 1, 3, 0, 0, nullptr, nullptr),
      e,
      l,
      x,
      r,
      new CQWStringProperty("Title", "t", 1, 8, title, title, nullptr, nullptr),
      new CQGroupProperty("Group", "g", 0, 9, 3, 1, nullptr, nullptr),
      new CQCmdButtonProperty("Go", "go", 0, 10, kDataTypeUInt32, nullptr, nullptr),
  };
  for (IQProperty* p : properties) {
    vault->AddProperty(p);
    if (mediator != nullptr) p->SetProperyMediator(mediator);
    p->Release();
  }
  return vault;
}

IQProperty* At(IQPropertyVault* vault, ULONG id) {
  QRef<IQProperty> property;
  vault->GetPropertyInfoByID(id, property.Put());
  return property.get();  // the vault keeps its reference
}

void Unbind(IQPropertyVault* vault) {
  ULONG count = 0;
  vault->GetPropertyInfoCount(&count);
  for (ULONG i = 0; i < count; ++i) {
    QRef<IQProperty> property;
    vault->GetPropertyInfoByIndex(i, property.Put());
    property->SetProperyMediator(nullptr);
  }
}

std::string Text(const std::string& entries) {
  return R"({"format": "qenprops-preset", "version": "1", "entries": [)" + entries + "]}";
}

TEST(PresetDocumentTest, ALoadIsExactAndTellsNoMediator) {
  auto source = MixedVault(nullptr);
  std::string refusal;
  const std::pair<ULONG, const char*> edits[] = {
      {1, "4000000000"}, {2, "-2.5"},     {3, "true"},  {4, "MKV"},
      {5, "4294967295"}, {6, "Own (-7)"}, {7, "64:27"}, {8, "Gr\xC3\xBC\xC3\x9F\x65 \"x\"\n"},
      {9, "collapsed"}};
  for (const auto& [id, text] : edits) {
    ASSERT_RESULT(kResultOk, SetValueText(At(source.get(), id), text, Store::kDirect, &refusal)) << text;
  }
  const std::string document = PresetDocument::Save(source.get());
  EXPECT_EQ(std::string::npos, document.find("\"Go\"")) << "a button keeps no preset text";

  FakeMediator mediator;
  {
    auto target = MixedVault(&mediator);
    PresetLoadReport report;
    DocumentError error;
    ASSERT_TRUE(PresetDocument::Load(document, target.get(), &report, &error)) << error.Describe("doc");
    EXPECT_TRUE(report.Complete());
    EXPECT_EQ(9u, report.Count(PresetOutcome::kLoaded));
    EXPECT_EQ("7", report.documentVersion);
    EXPECT_TRUE(mediator.calls.empty()) << "a load is no edit";
    for (ULONG id = 1; id <= 9; ++id) EXPECT_EQ(ValueText(At(source.get(), id)), ValueText(At(target.get(), id)));
    EXPECT_EQ(document, PresetDocument::Save(target.get()));
    Unbind(target.get());
  }
  EXPECT_EQ(0u, mediator.Count());
}

TEST(PresetDocumentTest, EntriesAPropertyCannotTakeAreRefusedWithTheirReason) {
  auto vault = MixedVault(nullptr);
  const std::string before = PresetDocument::Save(vault.get());
  PresetLoadReport report;
  DocumentError error;
  ASSERT_TRUE(PresetDocument::Load(Text(R"({"id": 1, "value": "50abc"}, {"id": 2, "value": "nan"},
      {"id": 3, "value": "maybe"}, {"id": 4, "value": "9"}, {"id": 5, "value": "6"}, {"id": 6, "value": "zz"},
      {"id": 7, "value": "9#0#1"}, {"id": 9, "value": "00"}, {"id": 8, "type": 3, "value": "x"},
      {"id": 77, "name": "Elsewhere", "value": "1"})"),
                                   vault.get(), &report, &error))
      << error.Describe("doc");
  EXPECT_FALSE(report.Complete());
  EXPECT_EQ(9u, report.Count(PresetOutcome::kRefused));
  EXPECT_EQ(1u, report.Count(PresetOutcome::kUnknownId));
  for (const PresetEntryReport& line : report.entries) {
    if (line.outcome != PresetOutcome::kRefused) continue;
    EXPECT_RESULT(kResultInvalidArgument, line.code) << line.name;
    EXPECT_FALSE(line.reason.empty()) << line.name;
  }
  EXPECT_NE(std::string::npos, report.entries[7].reason.find("data type 3")) << report.entries[7].reason;
  EXPECT_EQ("Elsewhere", report.entries.back().name);
  EXPECT_EQ(before, PresetDocument::Save(vault.get())) << "refused entries change nothing";
}

TEST(PresetDocumentTest, EntriesOfOtherPropertiesAreCarriedToTheNextSave) {
  auto vault = MixedVault(nullptr);
  const std::string earlier = Text(R"({"name": "Sharpness", "id": 150, "type": 3, "value": "7"},
                                      {"id": 151, "value": "a\"b"}, {"id": 1, "value": "9"})");
  const std::string saved = PresetDocument::Save(vault.get(), earlier);
  EXPECT_NE(std::string::npos, saved.find("\"name\": \"Sharpness\",\n      \"id\": 150,\n      \"type\": 3"));
  EXPECT_NE(std::string::npos, saved.find("\"value\": \"a\\\"b\""));
  EXPECT_EQ(saved, PresetDocument::Save(vault.get(), saved)) << "what is carried is written the same way again";
  EXPECT_EQ(PresetDocument::Save(vault.get()), PresetDocument::Save(vault.get(), "no document")) << "nothing";
}

struct Hostile {
  std::string text;
  std::string pointer;
  std::size_t line;
  std::string mentions;
};

class HostileDocument : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostileDocument, IsRefusedAtItsPlaceBeforeAnyValueChanges) {
  auto vault = MixedVault(nullptr);
  const std::string before = PresetDocument::Save(vault.get());
  PresetLoadReport report;
  DocumentError error;
  EXPECT_FALSE(PresetDocument::Load(GetParam().text, vault.get(), &report, &error));
  EXPECT_EQ(GetParam().pointer, error.pointer) << error.message;
  EXPECT_EQ(GetParam().line, error.line) << error.message;
  EXPECT_NE(std::string::npos, error.message.find(GetParam().mentions)) << error.message;
  EXPECT_EQ(before, PresetDocument::Save(vault.get()));
}

INSTANTIATE_TEST_SUITE_P(
    Documents, HostileDocument,
    ::testing::Values(
        Hostile{Text(R"({"id": 1, "value": "10"}, {"id": 2, "value": "1"}, {"id": 1, "value": "90"})"), "/entries/2/id",
                0, "/entries/0 too"},
        Hostile{Text(R"({"id": 1, "value": "10", "value": "90"})"), "/entries/0/value", 0, "given twice"},
        Hostile{Text(R"({"id": 1, "value": "10", "colour": "red"})"), "/entries/0/colour", 0, "no key"},
        Hostile{Text(R"({"id": 1})"), "/entries/0", 0, "\"value\""},
        Hostile{Text(R"({"value": "1"})"), "/entries/0", 0, "\"id\""},
        Hostile{Text(R"({"id": "five", "value": "1"})"), "/entries/0/id", 0, "whole number"},
        Hostile{Text(R"({"id": -1, "value": "1"})"), "/entries/0/id", 0, "whole number"},
        Hostile{Text(R"({"id": 4294967296, "value": "1"})"), "/entries/0/id", 0, "4294967295"},
        Hostile{Text(R"({"id": 1.0, "value": "1"})"), "/entries/0/id", 0, "whole number"},
        Hostile{Text(R"({"id": 1, "value": 5})"), "/entries/0/value", 0, "text"},
        Hostile{Text(R"({"id": 1, "value": "1", "flags": [8]})"), "/entries/0/flags", 0, "whole number"},
        Hostile{Text(R"(7)"), "/entries/0", 0, "JSON object"},
        Hostile{R"({"format": "qenprops-preset", "entries": [], "format": "x"})", "/format", 0, "given twice"},
        Hostile{R"({"format": "other", "entries": []})", "/format", 0, "qenprops-preset"},
        Hostile{R"({"entries": []})", "/", 0, "format"}, Hostile{R"({"format": "qenprops-preset"})", "/", 0, "entries"},
        Hostile{R"({"format": "qenprops-preset", "entries": {}})", "/entries", 0, "list"},
        Hostile{R"({"format": "qenprops-preset", "entries": [], "extra": 1})", "/extra", 0, "no key"},
        Hostile{R"({"format": "qenprops-preset", "entries": [], "a/b~": 1})", "/a~1b~0", 0, "no key"},
        Hostile{"[]", "/", 0, "JSON object"}, Hostile{"", "", 1, "unexpected end"},
        Hostile{"{\n  \"format\": \"qenprops-preset\",\n  \"entries\": [{\"id\": 5, \"value\": \"x\",}]\n}", "", 3,
                "unexpected"},
        Hostile{Text(R"({"id": 1, "value": "a\u0000b"})"), "", 1, "NUL"},
        Hostile{Text("{\"id\": 1, \"value\": \"a") + std::string(1, '\0') + "b\"}", "", 1, "NUL byte"},
        Hostile{Text(R"({"id": 1, "value": "1", "name": )" + std::string(40, '[') + std::string(40, ']') + "}"), "", 1,
                "nested more than"}),
    [](const ::testing::TestParamInfo<Hostile>& param) { return "Case" + std::to_string(param.index); });

TEST(PresetDocumentTest, ErrorsPlaceTheirColumnInCharacters) {
  auto vault = MixedVault(nullptr);
  PresetLoadReport report;
  DocumentError error;
  // Two-byte characters before the error count once each.
  ASSERT_FALSE(PresetDocument::Load("{\"version\": \"\xC3\xA9\xC3\xA9\" x}", vault.get(), &report, &error));
  EXPECT_EQ(1u, error.line);
  EXPECT_EQ(18u, error.column);
  EXPECT_EQ("doc:1:18: " + error.message, error.Describe("doc"));
}

}  // namespace
}  // namespace host
}  // namespace Quenneth
