#include "qenproperties/host/preset_document.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "qenproperties/host/panel.h"
#include "qenproperties/host/property_text.h"
#include "qenproperties/host/sample_panel.h"
#include "qenproperties/qenproperties.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace host {
namespace {

std::unique_ptr<Panel> SamplePanel() {
  DocumentError error;
  std::unique_ptr<Panel> panel = Panel::FromJson(SamplePanelDescription(), &error);
  EXPECT_TRUE(panel) << error.Describe("sample");
  return panel;
}

std::vector<std::string> Values(const Panel& panel) {
  std::vector<std::string> values;
  for (std::size_t i = 0; i < panel.Count(); ++i) values.push_back(ValueText(panel.At(i)));
  return values;
}

const PresetEntryReport* Line(const PresetLoadReport& report, ULONG id) {
  for (const PresetEntryReport& e : report.entries) {
    if (e.id == id) return &e;
  }
  return nullptr;
}

// Every class of the sample panel, moved off its default (custom ex-enum data and a custom ratio included),
// goes through a document into a fresh panel and comes back with the same values.
TEST(PresetDocumentTest, RoundTripOfEveryClassThroughAFreshPanel) {
  std::unique_ptr<Panel> source = SamplePanel();
  ASSERT_TRUE(source);
  for (const auto& [name, value] :
       std::vector<std::pair<std::string, std::string>>{{"Title", "Ferien \xC3\xA9t\xC3\xA9"},
                                                        {"Container", "MKV"},
                                                        {"Codec", "Custom (35000)"},
                                                        {"Bitrate", "34000"},
                                                        {"Frame rate", "23.976"},
                                                        {"Keyframe interval", "250"},
                                                        {"Aspect ratio", "64:27"},
                                                        {"Include audio", "FALSE"},
                                                        {"Video", "collapsed"}}) {
    ASSERT_RESULT(kResultOk, source->Set(name, value).code) << name;
  }
  const std::string document = PresetDocument::Save(source->Vault());
  EXPECT_EQ(std::string::npos, document.find("Estimate size")) << "buttons have no preset text";

  std::unique_ptr<Panel> target = SamplePanel();
  ASSERT_TRUE(target);
  ASSERT_NE(Values(*source), Values(*target));
  PresetLoadReport report;
  DocumentError error;
  ASSERT_TRUE(PresetDocument::Load(document, target->Vault(), &report, &error)) << error.Describe("doc");
  EXPECT_EQ(report.entries.size(), report.Count(PresetOutcome::kLoaded));
  EXPECT_EQ("2", report.documentVersion);
  EXPECT_EQ(Values(*source), Values(*target));
  EXPECT_EQ(document, PresetDocument::Save(target->Vault()));
}

// A document laid out otherwise than Save writes it (compact, with keys the loader does not read, nested
// values among them, a name that is no text, repeated keys whose last value counts) loads the same values.
TEST(PresetDocumentTest, DocumentsOfAnyLayoutLoadAlike) {
  std::unique_ptr<Panel> source = SamplePanel();
  ASSERT_TRUE(source);
  ASSERT_RESULT(kResultOk, source->Set("Container", "MKV").code);
  ASSERT_RESULT(kResultOk, source->Set("Aspect ratio", "64:27").code);
  const std::string saved = PresetDocument::Save(source->Vault());

  nlohmann::ordered_json tree = nlohmann::ordered_json::parse(saved);
  tree["comment"] = {{"by", {1, 2, {{"deep", nullptr}}}}, {"ok", true}};
  for (auto& entry : tree["entries"]) entry["note"] = {{"x", {1.5, "y", {}}}};
  tree["entries"][0]["name"] = 5;
  const std::string compact = tree.dump();
  const std::string repeated = "{\"format\": \"old\", \"entries\": []," + compact.substr(1);

  for (const std::string& text : {compact, repeated}) {
    std::unique_ptr<Panel> target = SamplePanel();
    ASSERT_TRUE(target);
    PresetLoadReport report;
    DocumentError error;
    ASSERT_TRUE(PresetDocument::Load(text, target->Vault(), &report, &error)) << error.Describe("doc");
    EXPECT_EQ(report.entries.size(), report.Count(PresetOutcome::kLoaded)) << text;
    EXPECT_EQ(Values(*source), Values(*target)) << text;
  }
}

// A plain base property's value bytes travel as their encoded text.
TEST(PresetDocumentTest, RoundTripOfAPlainBaseProperty) {
  auto make = [](const unsigned char* bytes) {
    auto vault = QRef<CQPropertyVault>::Adopt(new CQPropertyVault(nullptr));
    auto plain = QRef<CQProperty>::Adopt(new CQProperty());
    plain->SetPropertyName("Blob");
    plain->SetPropertyID(7);
    plain->SetPropertyDataType(kDataTypeUInt8);
    plain->SetDirectData(bytes, 3);
    vault->AddProperty(plain.get());
    return vault;
  };
  const unsigned char saved[3] = {0x01, 0xAB, 0xFF};
  const unsigned char other[3] = {0, 0, 0};
  auto source = make(saved);
  auto target = make(other);
  PresetLoadReport report;
  DocumentError error;
  ASSERT_TRUE(PresetDocument::Load(PresetDocument::Save(source.get()), target.get(), &report, &error));
  unsigned char loaded[3] = {};
  ULONG length = 3;
  (*target)[0]->GetPropertyData(loaded, &length);
  EXPECT_EQ(0, std::memcmp(saved, loaded, sizeof(saved)));
}

// Names and values with quotes, backslashes, control characters and non-ASCII text are written as the JSON
// library escapes them (raw UTF-8, lowercase \u00XX) and read back unchanged, escapes of any form included.
TEST(PresetDocumentTest, EscapedTextsRoundTrip) {
  const std::string name = "Say \"hi\" \\ \x01\t\xC3\xA9 \xF0\x9F\x98\x80";
  const std::string value = "a\"b\\c\n\x1F\x7F \xE2\x82\xAC";
  auto make = [&name](const std::string& text) {
    auto vault = QRef<CQPropertyVault>::Adopt(new CQPropertyVault(nullptr));
    const std::vector<WCHAR> wideName = Utf16(name);
    const std::vector<WCHAR> wideText = Utf16(text);
    const std::vector<WCHAR> empty = Utf16("");
    auto property = QRef<CQWStringProperty>::Adopt(
        new CQWStringProperty(wideName.data(), empty.data(), 1, 7, empty.data(), wideText.data(), nullptr, nullptr));
    vault->AddProperty(property.get());
    return vault;
  };
  const std::string document = PresetDocument::Save(make(value).get());
  EXPECT_NE(std::string::npos, document.find(R"("name": "Say \"hi\" \\ \u0001\t)"
                                             "\xC3\xA9 \xF0\x9F\x98\x80\""));
  EXPECT_NE(std::string::npos, document.find(R"("value": "a\"b\\c\n\u001f)"
                                             "\x7F \xE2\x82\xAC\""));

  auto target = make("other");
  PresetLoadReport report;
  DocumentError error;
  ASSERT_TRUE(PresetDocument::Load(document, target.get(), &report, &error)) << error.Describe("doc");
  EXPECT_EQ(value, ValueText((*target)[0]));
  auto empty = QRef<CQPropertyVault>::Adopt(new CQPropertyVault(nullptr));
  ASSERT_TRUE(PresetDocument::Load(document, empty.get(), &report, &error));
  ASSERT_EQ(1u, report.entries.size());
  EXPECT_EQ(name, report.entries[0].name);

  // Unicode escapes (a surrogate pair among them) and "\/" decode; of a key given twice the last one counts.
  const std::string escaped = R"({"format": "qenprops-preset", "entries": [
      {"id": 7, "value": "\u00e9\ud83d\ude00\/\"", "name": "\u0041"}, {"id": 8, "value": "", "name": "\t\\"}]})";
  ASSERT_TRUE(PresetDocument::Load(escaped, target.get(), &report, &error)) << error.Describe("doc");
  EXPECT_EQ("\xC3\xA9\xF0\x9F\x98\x80/\"", ValueText((*target)[0]));
  ASSERT_NE(nullptr, Line(report, 8));
  EXPECT_EQ("\t\\", Line(report, 8)->name);
  const std::string twice = R"({"format": "qenprops-preset", "entries": [{"id": 7, "value": "x", "value": "last"}]})";
  ASSERT_TRUE(PresetDocument::Load(twice, target.get(), &report, &error)) << error.Describe("doc");
  EXPECT_EQ("last", ValueText((*target)[0]));
}

// Each vault property and each document entry is accounted for; a refused entry leaves its property as it
// was and the other entries still load.
TEST(PresetDocumentTest, ReportsEveryEntry) {
  std::unique_ptr<Panel> panel = SamplePanel();
  ASSERT_TRUE(panel);
  const std::string document = R"({"format": "qenprops-preset", "version": "1", "entries": [
      {"name": "Title", "id": 101, "type": 16, "value": "Loaded"},
      {"name": "Container", "id": 102, "type": 7, "value": "42"},
      {"name": "Quality", "id": 203, "type": 14, "size": 4, "value": "5"},
      {"name": "Width", "id": 207, "type": 3, "size": 4, "value": "99999"},
      {"name": "Gone", "id": 4711, "value": "1"}]})";
  PresetLoadReport report;
  DocumentError error;
  ASSERT_TRUE(PresetDocument::Load(document, panel->Vault(), &report, &error));
  EXPECT_EQ("1", report.documentVersion);
  EXPECT_EQ("2", report.vaultVersion);
  ASSERT_NE(nullptr, Line(report, 101));
  EXPECT_EQ(PresetOutcome::kLoaded, Line(report, 101)->outcome);
  EXPECT_EQ("Loaded", ValueText(panel->Find("Title")));
  EXPECT_EQ(PresetOutcome::kRefused, Line(report, 102)->outcome);  // no choice has ID 42
  EXPECT_RESULT(kResultInvalidArgument, Line(report, 102)->code);
  EXPECT_EQ("MP4", ValueText(panel->Find("Container")));
  EXPECT_EQ(PresetOutcome::kRefused, Line(report, 203)->outcome);  // data type differs
  EXPECT_EQ("80", ValueText(panel->Find("Quality")));
  EXPECT_EQ(PresetOutcome::kRefused, Line(report, 207)->outcome);  // beyond the range
  EXPECT_RESULT(kResultOutOfRange, Line(report, 207)->code);
  EXPECT_EQ("1920", ValueText(panel->Find("Width")));
  EXPECT_EQ(PresetOutcome::kUnknownId, Line(report, 4711)->outcome);
  EXPECT_EQ("Gone", Line(report, 4711)->name);
  EXPECT_EQ(PresetOutcome::kMissing, Line(report, 201)->outcome);
  EXPECT_EQ(panel->Count() - 2 + 1, report.entries.size()) << "every property but the buttons, plus Gone";
}

// Properties sharing an ID take that ID's entries in document order; the entries left over are reported, in
// document order, after the vault's properties. The same with IDs close together and far apart.
TEST(PresetDocumentTest, SharedIdsTakeEntriesInDocumentOrder) {
  for (const std::string far : {"", R"(, {"id": 4000000000, "value": "far"})"}) {
    auto vault = QRef<CQPropertyVault>::Adopt(new CQPropertyVault(nullptr));
    const std::vector<WCHAR> empty = Utf16("");
    const std::vector<WCHAR> initial = Utf16("initial");
    for (ULONG id : {7u, 9u, 7u}) {
      auto property = QRef<CQWStringProperty>::Adopt(
          new CQWStringProperty("Text", "", 1, id, empty.data(), initial.data(), nullptr, nullptr));
      vault->AddProperty(property.get());
    }
    const std::string document = R"({"format": "qenprops-preset", "entries": [{"id": 7, "value": "a"},
        {"id": 8, "value": "x"}, {"id": 7, "value": "b"}, {"id": 7, "value": "c"})" +
                                 far + "]}";
    PresetLoadReport report;
    DocumentError error;
    ASSERT_TRUE(PresetDocument::Load(document, vault.get(), &report, &error)) << error.Describe("doc");
    EXPECT_EQ("a", ValueText((*vault)[0]));
    EXPECT_EQ("initial", ValueText((*vault)[1]));
    EXPECT_EQ("b", ValueText((*vault)[2]));
    std::vector<std::pair<ULONG, PresetOutcome>> lines;
    for (const PresetEntryReport& e : report.entries) lines.emplace_back(e.id, e.outcome);
    std::vector<std::pair<ULONG, PresetOutcome>> expected = {{7, PresetOutcome::kLoaded},
                                                             {9, PresetOutcome::kMissing},
                                                             {7, PresetOutcome::kLoaded},
                                                             {8, PresetOutcome::kUnknownId},
                                                             {7, PresetOutcome::kUnknownId}};
    if (!far.empty()) expected.emplace_back(4000000000u, PresetOutcome::kUnknownId);
    EXPECT_EQ(expected, lines);
  }
}

// A document that is no JSON, or no preset document, is refused before any property is touched.
TEST(PresetDocumentTest, MalformedDocumentsChangeNothing) {
  struct Case {
    const char* text;
    std::size_t line;
    std::size_t column;
    const char* pointer;
  };
  const Case cases[] = {
      {"{\n  \"format\": \"qenprops-preset\",\n  \"entries\": [,]\n}", 3, 15, ""},
      {"{\"format\": \"qenprops-preset\", \"entries\": [{\"id\": 101, \"value\": \"x\"}", 1, 68,
       ""},  // at the end of the text
      {"", 1, 1, ""},
      {"[1, 2]", 0, 0, "/"},
      {"{\"format\": \"other\", \"entries\": []}", 0, 0, "/format"},
      {"{\"format\": \"qenprops-preset\", \"entries\": [{\"id\": 101, \"value\": \"x\"}, {\"id\": -1, \"value\": "
       "\"\"}]}",
       0, 0, "/entries/1/id"},
      {"{\"format\": \"qenprops-preset\", \"entries\": [{\"id\": 101}]}", 0, 0, "/entries/0/value"},
      {"{\"format\": \"qenprops-preset\", \"entries\": [{\"id\": 101, \"value\": \"\\ud800\"}]}", 1, 71,
       ""},  // a lone surrogate
      {"{\"format\": \"qenprops-preset\", \"entries\": [{\"id\": 1e400, \"value\": \"\"}]}", 1, 54,
       ""},  // a number beyond a double
  };
  std::unique_ptr<Panel> panel = SamplePanel();
  ASSERT_TRUE(panel);
  const std::vector<std::string> before = Values(*panel);
  for (const Case& c : cases) {
    PresetLoadReport report;
    DocumentError error;
    EXPECT_FALSE(PresetDocument::Load(c.text, panel->Vault(), &report, &error)) << c.text;
    EXPECT_EQ(c.line, error.line) << c.text;
    EXPECT_EQ(c.column, error.column) << c.text;
    EXPECT_EQ(c.pointer, error.pointer) << c.text;
    EXPECT_FALSE(error.message.empty());
    EXPECT_EQ(before, Values(*panel)) << c.text;
  }
}

}  // namespace
}  // namespace host
}  // namespace Quenneth
