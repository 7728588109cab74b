#include "qenproperties/host/internal/preset_writer.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <random>
#include <string>
#include <vector>

#include "qenproperties/host/internal/preset_reader.h"
#include "qenproperties/host/text.h"

namespace Quenneth {
namespace host {
namespace detail {
namespace {

using Json = nlohmann::ordered_json;

std::string Utf8Of(const std::vector<WCHAR>& wide) { return Utf8(wide.data()); }

std::vector<WCHAR> Wide(const std::u16string& text) {
  std::vector<WCHAR> out(text.begin(), text.end());
  out.push_back(0);
  return out;
}

// The writer writes what the JSON library writes with an indent of two, byte for byte, for any entry: texts of
// every kind of character (control characters, quotes, backslashes, non-ASCII, unpaired surrogates, which
// become U+FFFD), and carried entries with any of their fields missing.
TEST(PresetWriter, WritesWhatTheJsonLibraryWrites) {
  std::mt19937 random(5);
  const char16_t pool[] = {u'a',    u'Z',    u' ',    u'"',      u'\\',     u'\n',     u'\t', u'\x01',
                           u'\x1f', u'\x7f', u'\xe9', u'\x20ac', u'\xd83c', u'\xdfac', u'/'};
  for (int round = 0; round < 300; ++round) {
    Json expected = {{"format", kPresetFormat}, {"version", "v\"1"}, {"entries", Json::array()}};
    PresetWriter writer("v\"1", 3);
    const int entries = static_cast<int>(random() % 4);
    for (int e = 0; e < entries; ++e) {
      std::u16string name;
      std::u16string value;
      for (std::size_t i = random() % 6; i > 0; --i) name += pool[random() % 15];
      for (std::size_t i = random() % 9; i > 0; --i) value += pool[random() % 15];
      const std::vector<WCHAR> wideName = Wide(name);
      const std::vector<WCHAR> wideValue = Wide(value);
      const auto id = static_cast<ULONG>(random());
      if (random() % 2 == 0) {
        writer.Add(wideName.data(), id, 7, 9, 3, 4, wideValue.data());
        expected["entries"].push_back({{"name", Utf8Of(wideName)},
                                       {"id", id},
                                       {"group", 7},
                                       {"flags", 9},
                                       {"type", 3},
                                       {"size", 4},
                                       {"value", Utf8Of(wideValue)}});
      } else {
        const std::string nameText = Utf8Of(wideName);
        const std::string valueText = Utf8Of(wideValue);
        PresetEntry carried;
        carried.id = id;
        carried.value = valueText;
        carried.given = preset_keys::kId | preset_keys::kValue;
        Json entry;
        if (random() % 2 == 0) {
          carried.name = nameText;
          carried.given |= preset_keys::kName;
          entry["name"] = nameText;
        }
        entry["id"] = id;
        if (random() % 2 == 0) {
          carried.size = 8;
          carried.given |= preset_keys::kSize;
          entry["size"] = 8;
        }
        entry["value"] = valueText;
        writer.Add(carried);
        expected["entries"].push_back(entry);
      }
    }
    const std::string written = writer.Finish();
    ASSERT_EQ(expected.dump(2) + "\n", written);
    PresetContent content;
    DocumentError error;
    ASSERT_TRUE(ReadPresetDocument(written, JsonBounds{}, &content, &error) ||
                error.message.find("is the ID of") != std::string::npos)
        << error.message;
  }
}

}  // namespace
}  // namespace detail
}  // namespace host
}  // namespace Quenneth
