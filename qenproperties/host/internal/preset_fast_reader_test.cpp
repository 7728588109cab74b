// preset_fast_reader_test.cpp: the fast road takes exactly the documents the event reader takes, with the same
// content, and leaves every other text to it.
#include "qenproperties/host/internal/preset_fast_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace Quenneth {
namespace host {
namespace detail {
namespace {

std::string Document(const std::string& entries, const std::string& more = "") {
  return R"({"format": "qenprops-preset")" + more + R"(, "entries": [)" + entries + "]}";
}

void ExpectSame(const PresetContent& fast, const PresetContent& events) {
  EXPECT_EQ(fast.version, events.version);
  ASSERT_EQ(fast.entries.size(), events.entries.size());
  for (std::size_t i = 0; i < fast.entries.size(); ++i) {
    const PresetEntry& a = fast.entries[i];
    const PresetEntry& b = events.entries[i];
    EXPECT_EQ(a.name, b.name) << i;
    EXPECT_EQ(a.id, b.id) << i;
    EXPECT_EQ(a.group, b.group) << i;
    EXPECT_EQ(a.flags, b.flags) << i;
    EXPECT_EQ(a.type, b.type) << i;
    EXPECT_EQ(a.size, b.size) << i;
    EXPECT_EQ(a.value, b.value) << i;
    EXPECT_EQ(a.given, b.given) << i;
  }
}

// Judge reads `text` both ways: whatever the fast road takes, the event reader takes alike; the whole reader
// answers as the event reader does. The fast road reads it alike from a copy and in place, followed by bytes
// that would end a cut document or add to a whole one. Gives whether the fast road took it.
bool Judge(const std::string& text) {
  PresetContent fast;
  PresetContent events;
  PresetContent whole;
  DocumentError eventsError;
  DocumentError wholeError;
  const bool taken = ReadPresetFast(text, text.size(), &fast);
  std::string room = text;
  while (room.size() < text.size() + 256) room += "\"}]}, \"x\": 1}";
  PresetContent inPlace;
  EXPECT_EQ(ReadPresetFast(std::string_view(room.data(), text.size()), room.size(), &inPlace), taken) << text;
  if (taken) ExpectSame(inPlace, fast);
  const bool read = ReadPresetEvents(text, JsonBounds{}, &events, &eventsError);
  const bool answered = ReadPresetDocument(text, JsonBounds{}, &whole, &wholeError);
  EXPECT_EQ(answered, read) << text;
  if (!answered) {
    EXPECT_EQ(wholeError.message, eventsError.message) << text;
    EXPECT_EQ(wholeError.pointer, eventsError.pointer) << text;
    EXPECT_EQ(wholeError.line, eventsError.line) << text;
    EXPECT_EQ(wholeError.column, eventsError.column) << text;
  }
  if (taken) {
    // The fast road has no ID check of its own: two entries with one ID are the whole reader's to refuse.
    if (read) {
      ExpectSame(fast, events);
      ExpectSame(whole, events);
    } else {
      EXPECT_NE(std::string::npos, eventsError.message.find("one entry per property")) << text;
    }
  }
  return taken;
}

TEST(PresetFastReader, TakesWellFormedDocumentsAsTheEventReaderReadsThem) {
  const std::vector<std::string> good = {
      Document(R"({"id": 1, "value": "-0.50"}, {"id": 2, "value": "-0"})"),
      Document(""),
      Document(R"({"id": 1, "value": "7"})", R"(, "version": "2")"),
      Document(R"({"value": "a\tb\"c\\d\/e", "id": 4294967295, "name": "Größe \u00e9 \ud7ff",
                  "group": 0, "flags": 9, "type": 3, "size": 4})"),
      Document(R"({"id": 1, "value": ""}, {"name": "😀", "id": 2, "value": "x"})"),
      " \n\t" + Document(R"( { "id" : 3 , "value" : "1" } )") + " \r\n",
  };
  // Without the SIMD parser (a 32-bit build) every document takes the event reader, with the same answers.
  for (const std::string& text : good) EXPECT_EQ(Judge(text), FastReaderBuiltIn()) << text;
}

// Whatever is wrong, or is judged by the event reader alone, the fast road leaves to it, and the answer is the
// event reader's to the letter.
TEST(PresetFastReader, LeavesEveryOtherTextToTheEventReader) {
  const std::vector<std::string> refused = {
      "",
      "[]",
      R"({"entries": []})",
      R"({"format": "other", "entries": []})",
      Document("", R"(, "format": "qenprops-preset")"),
      Document("", R"(, "colour": 1)"),
      Document(R"({"id": 1})"),
      Document(R"({"value": "1"})"),
      Document(R"({"id": 1, "value": "1", "id": 2})"),
      Document(R"({"id": 1, "value": "1", "extra": 0})"),
      Document(R"({"id": -1, "value": "1"})"),
      Document(R"({"id": -0, "value": "1"})"),
      Document(R"({"id": 1, "value": "1", "size":-0})"),
      Document(R"({"id": 1.0, "value": "1"})"),
      Document(R"({"id": 1e2, "value": "1"})"),
      Document(R"({"id": 4294967296, "value": "1"})"),
      Document(R"({"id": 18446744073709551616, "value": "1"})"),
      Document(R"({"id": "1", "value": "1"})"),
      Document(R"({"id": 1, "value": 1})"),
      Document(R"({"id": 1, "value": "1", "name": null})"),
      Document(R"({"id": 1, "value": "1", "group": [1]})"),
      Document(R"({"id": 1, "value": "a\u0000b"})"),
      Document(R"({"id": 1, "value": "\ud83d\ude00"})"),
      Document(R"({"id": 1, "value": "\ud83d"})"),
      Document(R"({"id": 1, "value": "\udc00x"})"),
      Document(R"({"id": 1, "value": "1"}, {"id": 1, "value": "2"})"),
      Document(R"([1])"),
      Document(R"({"id": 1, "value": "1"},)"),
      Document("") + "x",
      Document("") + "{}",
      "\xEF\xBB\xBF" + Document(""),
      Document(R"({"id": 1, "value": "\x"})"),
      Document(R"({"id": 01, "value": "1"})"),
      std::string("{\"format\": \"qenprops-preset\", \"entries\": [{\"id\": 1, \"value\": \"a\0b\"}]}", 60),
      std::string("{\"format\": \"qenprops-preset\", \"entries\": [{\"id\": 1, \"value\": \"\xC3\x28\"}]}"),
      std::string("{\"format\": \"qenprops-preset\", \"entries\": [{\"id\": 1, \"value\": \"\xE0\x80\xAF\"}]}"),
      std::string("{\"format\": \"qenprops-preset\", \"entries\": [{\"id\": 1, \"value\": \"a\nb\"}]}"),
  };
  int taken = 0;
  for (const std::string& text : refused) taken += Judge(text) ? 1 : 0;
  // Only the last-but-nine (two entries with one ID) is well-formed JSON of the right shape; the rest are not.
  EXPECT_LE(taken, 1);
}

}  // namespace
}  // namespace detail
}  // namespace host
}  // namespace Quenneth
