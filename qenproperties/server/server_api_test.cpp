// The settings server's API over HTTP, against a server on an ephemeral port.
#include "qenproperties/server/settings_server.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "qenproperties/host/sample_panel.h"
#include "qenproperties/server/testing/test_client.h"

namespace Quenneth {
namespace server {
namespace testing {
namespace {

Json Set(const std::string& name, const Json& value) { return {{"name", name}, {"value", value}}; }

std::string After(const Answer& answer, const std::string& name) {
  for (const Json& c : answer.body["changes"]) {
    if (c["name"] == name) return c["after"];
  }
  return "(unchanged)";
}

class ServerApiTest : public ::testing::Test {
 protected:
  TestServer server_;
};

TEST_F(ServerApiTest, GetPanelListsEveryPropertyInVaultOrderWithItsLimits) {
  const Answer a = server_.Get("/api/v1/panel");
  ASSERT_EQ(200, a.status) << a.text;
  EXPECT_EQ("application/json", a.header("Content-Type"));
  EXPECT_EQ("Video export", a.body["title"]);
  EXPECT_EQ("2", a.body["version"]);
  EXPECT_EQ(0, a.body["seq"]);
  EXPECT_EQ(0, a.body["undo"]);
  EXPECT_EQ(0, a.body["redo"]);
  const Json& properties = a.body["properties"];
  ASSERT_EQ(17u, properties.size());
  EXPECT_EQ("Output", properties[0]["name"]);
  // Each entry is the adapter's description of the property.
  const Json& bitrate = properties[5];
  EXPECT_EQ("Bitrate", bitrate["name"]);
  EXPECT_EQ("16000", bitrate["value"]);
  EXPECT_EQ("500 to 100000", bitrate["limits"]["text"]);
  EXPECT_TRUE(bitrate.contains("flags"));
}

TEST_F(ServerApiTest, ASetAnswersWithTheOwnChangeThenTheDependentOnesAndTheirProperties) {
  const Answer a = server_.Post("/api/v1/set", Set("Codec", "AV1"));
  ASSERT_EQ(200, a.status) << a.text;
  EXPECT_EQ("kResultOk", a.body["result"]);
  EXPECT_EQ(1, a.body["seq"]);
  ASSERT_EQ(2u, a.body["changes"].size());
  EXPECT_EQ("Codec", a.body["changes"][0]["name"]);
  EXPECT_EQ("H.264 (50000)", a.body["changes"][0]["before"]);
  EXPECT_EQ("AV1 (25000)", a.body["changes"][0]["after"]);
  EXPECT_EQ("WebM", After(a, "Container"));
  ASSERT_EQ(2u, a.body["properties"].size());
  EXPECT_EQ("WebM", a.body["properties"][1]["value"]);
  EXPECT_EQ(1, a.body["undo"]);
  EXPECT_EQ("WebM", server_.Value("Container"));
  // Numbers and booleans are taken as JSON values too.
  EXPECT_EQ(200, server_.Post("/api/v1/set", Set("Width", 1280)).status);
  EXPECT_EQ("720", server_.Value("Height"));
  EXPECT_EQ(200, server_.Post("/api/v1/set", Set("Include audio", false)).status);
  EXPECT_EQ("FALSE", server_.Value("Include audio"));
  EXPECT_EQ(200, server_.Post("/api/v1/set", Set("Frame rate", 29.97)).status);
  EXPECT_EQ("29.970", server_.Value("Frame rate"));
}

TEST_F(ServerApiTest, ARefusalIs409WithItsCodeAndSentenceAndChangesNothing) {
  const auto before = server_.Values();
  Answer a = server_.Post("/api/v1/set", Set("Bitrate", 60000));
  ASSERT_EQ(409, a.status) << a.text;
  EXPECT_EQ("kResultChangeRefused", a.body["result"]);
  EXPECT_EQ("Bitrate 60000 is above 50000, the most Codec H.264 (50000) allows", a.body["message"]);
  EXPECT_EQ("Bitrate", a.body["name"]);
  EXPECT_TRUE(a.body["changes"].empty());
  a = server_.Post("/api/v1/set", Set("Quality", "lots"));
  EXPECT_EQ(409, a.status);
  EXPECT_EQ("kResultInvalidArgument", a.body["result"]);
  EXPECT_NE(std::string::npos, a.body["message"].get<std::string>().find("1 to 100"));
  a = server_.Post("/api/v1/click", {{"name", "Quality"}});
  EXPECT_EQ(409, a.status);
  EXPECT_EQ(before, server_.Values());
  EXPECT_EQ(0, server_.Get("/api/v1/panel").body["seq"]);
}

TEST_F(ServerApiTest, AnUnknownNameIs404) {
  Answer a = server_.Post("/api/v1/set", Set("Colour", "red"));
  EXPECT_EQ(404, a.status);
  EXPECT_EQ("Colour", a.body["name"]);
  EXPECT_EQ("no property is named \"Colour\"", a.body["message"]);
  EXPECT_EQ(404, server_.Post("/api/v1/reset", {{"name", "Colour"}}).status);
  // A long name is quoted only in part.
  a = server_.Post("/api/v1/set", Set(std::string(100000, 'x'), 1));
  EXPECT_EQ(404, a.status);
  EXPECT_LT(a.text.size(), 1000u);
  // ... and never cut inside a character.
  std::string accents;
  for (int i = 0; i < 100; ++i) accents += "\xC3\xA9";
  a = server_.Post("/api/v1/set", Set("x" + accents, 1));
  EXPECT_EQ(404, a.status) << a.text;
  EXPECT_TRUE(a.body.is_object());
  EXPECT_EQ(404, server_.Post("/api/v1/click", {{"name", "Colour"}}).status);
}

TEST_F(ServerApiTest, ABatchIsAllOrNothing) {
  const auto before = server_.Values();
  Answer a =
      server_.Post("/api/v1/set", {{"changes", {Set("Width", 1280), Set("Codec", "VP9"), Set("Bitrate", 35000)}}});
  ASSERT_EQ(409, a.status) << a.text;
  EXPECT_EQ("Bitrate", a.body["name"]);
  EXPECT_EQ(2, a.body["index"]);
  EXPECT_EQ(before, server_.Values());
  a = server_.Post("/api/v1/set", {{"changes", {Set("Width", 1280), Set("Colour", "red")}}});
  EXPECT_EQ(404, a.status);
  EXPECT_EQ(1, a.body["index"]);
  EXPECT_EQ(before, server_.Values());

  a = server_.Post("/api/v1/set", {{"changes", {Set("Width", 1280), Set("Codec", "VP9"), Set("Bitrate", 30000)}}});
  ASSERT_EQ(200, a.status) << a.text;
  EXPECT_EQ("720", After(a, "Height"));
  EXPECT_EQ("WebM", After(a, "Container"));
  EXPECT_EQ(1, a.body["undo"]);  // one step for the whole batch
  ASSERT_EQ(200, server_.Post("/api/v1/undo").status);
  EXPECT_EQ(before, server_.Values());
}

TEST_F(ServerApiTest, UndoAndRedoCarryDependentChanges) {
  const auto start = server_.Values();
  ASSERT_EQ(200, server_.Post("/api/v1/set", Set("Bitrate", 45000)).status);
  const auto middle = server_.Values();
  ASSERT_EQ(200, server_.Post("/api/v1/set", Set("Codec", "AV1")).status);
  const auto end = server_.Values();
  EXPECT_EQ("25000", end.at("Bitrate"));

  Answer a = server_.Post("/api/v1/undo");
  ASSERT_EQ(200, a.status) << a.text;
  EXPECT_EQ(3u, a.body["changes"].size());
  EXPECT_EQ(1, a.body["undo"]);
  EXPECT_EQ(1, a.body["redo"]);
  EXPECT_EQ(middle, server_.Values());
  ASSERT_EQ(200, server_.Post("/api/v1/redo").status);
  EXPECT_EQ(end, server_.Values());
  for (int step = 0; step < 2; ++step) ASSERT_EQ(200, server_.Post("/api/v1/undo").status);
  EXPECT_EQ(start, server_.Values());
  a = server_.Post("/api/v1/undo");
  EXPECT_EQ(409, a.status);
  EXPECT_EQ("kResultNotAvailable", a.body["result"]);
  EXPECT_EQ("there is nothing to undo", a.body["message"]);
  ASSERT_EQ(200, server_.Post("/api/v1/set", Set("Quality", 5)).status);
  EXPECT_EQ(409, server_.Post("/api/v1/redo").status);
}

TEST_F(ServerApiTest, ResetAndClick) {
  ASSERT_EQ(200, server_.Post("/api/v1/set", Set("Quality", 5)).status);
  ASSERT_EQ(200, server_.Post("/api/v1/set", Set("Width", 640)).status);
  Answer a = server_.Post("/api/v1/reset", {{"name", "Quality"}});
  ASSERT_EQ(200, a.status);
  EXPECT_EQ("80", server_.Value("Quality"));
  a = server_.client().Send("POST", "/api/v1/reset", "", "application/json", server_.client().Auth());
  ASSERT_EQ(200, a.status) << a.text;  // no body: every property
  EXPECT_EQ("1920", server_.Value("Width"));
  a = server_.Post("/api/v1/click", {{"name", "Estimate size"}});
  ASSERT_EQ(200, a.status);
  EXPECT_EQ("about 121.4 MB per minute (Bitrate 16000 + Audio bitrate 192 kbit/s)", a.body["message"]);
}

TEST_F(ServerApiTest, ThePresetDownloadsAndUploadsBackWithAReport) {
  ASSERT_EQ(200, server_.Post("/api/v1/set", Set("Title", "Holiday")).status);
  ASSERT_EQ(200, server_.Post("/api/v1/set", Set("Codec", "VP9")).status);
  const auto saved = server_.Values();
  Answer document = server_.Get("/api/v1/preset");
  ASSERT_EQ(200, document.status);
  EXPECT_NE(std::string::npos, document.header("Content-Disposition").find("attachment"));
  ASSERT_EQ(200, server_.Post("/api/v1/reset").status);
  EXPECT_EQ("Untitled", server_.Value("Title"));

  Answer a = server_.client().Send("PUT", "/api/v1/preset", document.text, "application/json", server_.client().Auth());
  ASSERT_EQ(200, a.status) << a.text;
  EXPECT_EQ(15, a.body["report"]["loaded"]);
  EXPECT_EQ(0, a.body["report"]["refused"]);
  EXPECT_EQ(saved, server_.Values());

  a = server_.client().Send("PUT", "/api/v1/preset", "{\n\"format\": ", "application/json", server_.client().Auth());
  EXPECT_EQ(400, a.status);
  EXPECT_EQ("bad-preset", a.body["error"]);
  EXPECT_EQ(2, a.body["line"]);
  a = server_.client().Send("PUT", "/api/v1/preset", "{\"entries\": []}", "application/json", server_.client().Auth());
  EXPECT_EQ(400, a.status);
  EXPECT_EQ("/", a.body["pointer"]);
  EXPECT_NE(std::string::npos, a.body["message"].get<std::string>().find("format")) << a.text;
  EXPECT_EQ(saved, server_.Values());
}

TEST_F(ServerApiTest, MalformedRequestsAre400WithAPlace) {
  Client& c = server_.client();
  Answer a = c.Send("POST", "/api/v1/set", "{\"name\": \"Width\",\n \"value\" 5}", "application/json", c.Auth());
  ASSERT_EQ(400, a.status);
  EXPECT_EQ("bad-json", a.body["error"]);
  EXPECT_EQ(2, a.body["line"]);
  EXPECT_EQ(10, a.body["column"]);
  a = c.Send("POST", "/api/v1/set", std::string(10000, '['), "application/json", c.Auth());
  EXPECT_EQ(400, a.status);
  EXPECT_EQ("nested deeper than 32 levels", a.body["message"]);
  EXPECT_EQ(400, server_.Post("/api/v1/set", Json::array({1, 2})).status);
  EXPECT_EQ(400, server_.Post("/api/v1/set", {{"value", 5}}).status);
  EXPECT_EQ(400, server_.Post("/api/v1/set", {{"name", 5}, {"value", 5}}).status);
  EXPECT_EQ(400, server_.Post("/api/v1/set", {{"name", "Width"}, {"value", {{"a", 1}}}}).status);
  EXPECT_EQ(400, server_.Post("/api/v1/set", {{"name", "Width"}, {"value", nullptr}}).status);
  EXPECT_EQ(400, server_.Post("/api/v1/set", {{"changes", Json::array()}}).status);
  EXPECT_EQ(400, server_.Post("/api/v1/set", {{"changes", {1}}}).status);
  EXPECT_EQ(400, server_.Post("/api/v1/click").status);
  a = c.Send("POST", "/api/v1/set", "name=Width&value=5", "application/x-www-form-urlencoded", c.Auth());
  EXPECT_EQ(415, a.status);
  EXPECT_EQ(0, server_.Get("/api/v1/panel").body["seq"]);
}

TEST_F(ServerApiTest, EveryWriteNeedsTheTokenComparedWhole) {
  Client& c = server_.client();
  const std::string body = Set("Quality", 5).dump();
  Answer a = c.Send("POST", "/api/v1/set", body, "application/json", {});
  EXPECT_EQ(401, a.status);
  EXPECT_EQ("token", a.body["error"]);
  EXPECT_EQ("Bearer", a.header("WWW-Authenticate"));
  // How a token compares is the request guard's; here a near miss only has to be refused.
  a = c.Send("POST", "/api/v1/set", body, "application/json", {{"Authorization", "Bearer " + server_.Token() + "0"}});
  EXPECT_EQ(401, a.status);
  for (const char* path : {"/api/v1/undo", "/api/v1/redo", "/api/v1/reset", "/api/v1/click"}) {
    EXPECT_EQ(401, c.Send("POST", path, "{}", "application/json", {}).status) << path;
  }
  EXPECT_EQ(401, c.Send("PUT", "/api/v1/preset", "{}", "application/json", {}).status);
  EXPECT_EQ("80", server_.Value("Quality"));
  // Reads need none.
  EXPECT_EQ(200, c.Get("/api/v1/panel").status);
  EXPECT_EQ(200, c.Get("/api/v1/preset").status);
}

TEST_F(ServerApiTest, HostAndOriginChecks) {
  Client& c = server_.client();
  const std::string port = std::to_string(server_.Port());
  Answer a = c.Get("/api/v1/panel", {{"Host", "rebound.example:" + port}});
  EXPECT_EQ(403, a.status);
  EXPECT_EQ("host", a.body["error"]);
  EXPECT_EQ(403, c.Get("/", {{"Host", "rebound.example:" + port}}).status);
  EXPECT_EQ(200, c.Get("/api/v1/panel", {{"Host", "localhost:" + port}}).status);
  a = c.Post("/api/v1/set", Set("Quality", 5), {{"Origin", "http://evil.example"}});
  EXPECT_EQ(403, a.status);
  EXPECT_EQ("origin", a.body["error"]);
  EXPECT_EQ("80", server_.Value("Quality"));
  EXPECT_EQ(200, c.Post("/api/v1/set", Set("Quality", 5), {{"Origin", "http://127.0.0.1:" + port}}).status);
}

TEST_F(ServerApiTest, OnlyTheEmbeddedPageIsServed) {
  Client& c = server_.client();
  Answer a = c.Get("/");
  ASSERT_EQ(200, a.status);
  EXPECT_EQ("text/html; charset=utf-8", a.header("Content-Type"));
  EXPECT_NE(std::string::npos, a.text.find("<html"));
  EXPECT_NE(std::string::npos, a.header("Content-Security-Policy").find("default-src 'self'"));
  a = c.Get("/js/main.js");
  EXPECT_EQ(200, a.status);
  EXPECT_EQ("text/javascript; charset=utf-8", a.header("Content-Type"));
  for (const char* path : {"/js/", "/js", "/../CMakeLists.txt", "/%2e%2e/etc/passwd", "/index.html/", "/api/v1"}) {
    EXPECT_EQ(404, c.Get(path).status) << path;
  }
  a = c.Send("DELETE", "/api/v1/set", "", "application/json", c.Auth());
  EXPECT_EQ(405, a.status);
  EXPECT_EQ("POST", a.header("Allow"));
  EXPECT_EQ(405, c.Send("POST", "/api/v1/panel", "{}", "application/json", c.Auth()).status);
}

TEST_F(ServerApiTest, EventsGreetThenCarryEachAppliedChangeInOrder) {
  EventReader events(server_.Port());
  ASSERT_TRUE(events.WaitForHello());
  ASSERT_EQ(200, server_.Post("/api/v1/set", Set("Codec", "AV1")).status);
  ASSERT_EQ(409, server_.Post("/api/v1/set", Set("Bitrate", 99000)).status);          // refused: no event
  ASSERT_EQ(200, server_.Post("/api/v1/click", {{"name", "Estimate size"}}).status);  // moved nothing: no event
  ASSERT_EQ(200, server_.Post("/api/v1/undo").status);
  ASSERT_TRUE(events.WaitForSeq(2));
  const std::vector<Event> seen = events.Events();
  ASSERT_EQ(3u, seen.size());
  EXPECT_EQ("hello", seen[0].name);
  EXPECT_EQ(0, seen[0].data["seq"]);
  EXPECT_EQ("change", seen[1].name);
  EXPECT_EQ(1u, seen[1].id);
  EXPECT_EQ("set", seen[1].data["action"]);
  EXPECT_EQ("Codec", seen[1].data["changes"][0]["name"]);
  EXPECT_EQ("WebM", seen[1].data["properties"][1]["value"]);
  EXPECT_EQ("undo", seen[2].data["action"]);
  EXPECT_EQ(1, seen[2].data["redo"]);
}

TEST(ServerLimitsTest, EventStreamsAndBodiesAreCapped) {
  ServerOptions options = TestServer::Defaults();
  options.maxEventClients = 2;
  options.maxBodyBytes = 1024;
  TestServer server(options);
  {
    EventReader a(server.Port());
    EventReader b(server.Port());
    ASSERT_TRUE(a.WaitForHello());
    ASSERT_TRUE(b.WaitForHello());
    EventReader c(server.Port());
    ASSERT_TRUE(c.WaitForEnd());
    EXPECT_EQ(503, c.Status());
    // The pages still get answers while every stream slot is taken.
    EXPECT_EQ(200, server.Get("/api/v1/panel").status);
  }
  Client& client = server.client();
  const std::string big = "{\"name\": \"Title\", \"value\": \"" + std::string(2000, 'x') + "\"}";
  Answer a = client.Send("POST", "/api/v1/set", big, "application/json", client.Auth());
  EXPECT_EQ(413, a.status);
  EXPECT_EQ("too-large", a.body["error"]);
  EXPECT_EQ("Untitled", server.Value("Title"));
}

TEST(ServerStopTest, StoppingEndsOpenEventStreamsPromptly) {
  ServerOptions options = TestServer::Defaults();
  options.keepAlive = std::chrono::minutes(10);
  auto server = std::make_unique<TestServer>(options);
  EventReader events(server->Port());
  ASSERT_TRUE(events.WaitForHello());
  const auto start = std::chrono::steady_clock::now();
  server.reset();
  EXPECT_TRUE(events.WaitForEnd(std::chrono::seconds(5)));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(ServerTokenTest, WithoutATokenWritesNeedNoneButHostAndOriginStillCount) {
  ServerOptions options = TestServer::Defaults();
  options.requireToken = false;
  TestServer server(options);
  EXPECT_EQ("", server.Token());
  EXPECT_EQ(std::string::npos, server.server().Url().find("token"));
  Client& c = server.client();
  EXPECT_EQ(200, c.Send("POST", "/api/v1/set", Set("Quality", 5).dump(), "application/json", {}).status);
  EXPECT_EQ(403, c.Send("POST", "/api/v1/set", Set("Quality", 6).dump(), "application/json",
                        {{"Origin", "http://evil.example"}})
                     .status);
  EXPECT_EQ(false, c.Get("/api/v1/panel").body["token"]);
}

class PresetFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("qen_server_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "preset.json").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Read() const {
    std::ifstream in(path_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(PresetFileTest, TheFileIsWrittenAfterEachChangeAndLoadedByTheNextServer) {
  ServerOptions options = TestServer::Defaults();
  options.presetPath = path_;
  {
    TestServer server(options);
    EXPECT_FALSE(std::filesystem::exists(path_));
    ASSERT_EQ(200, server.Post("/api/v1/set", Set("Title", "First")).status);
    EXPECT_NE(std::string::npos, Read().find("\"First\"")) << Read();
    ASSERT_EQ(200, server.Post("/api/v1/set", Set("Codec", "VP9")).status);
    ASSERT_EQ(200, server.Post("/api/v1/set", Set("Title", "Second")).status);
    EXPECT_NE(std::string::npos, Read().find("Second"));
    ASSERT_EQ(409, server.Post("/api/v1/set", Set("Bitrate", 90000)).status);
  }
  TestServer next(options);
  EXPECT_EQ("VP9 (30000)", next.Value("Codec"));
  EXPECT_EQ("Second", next.Value("Title"));
  EXPECT_EQ("16000", next.Value("Bitrate"));
  EXPECT_EQ(0, next.Get("/api/v1/panel").body["undo"]);  // the load at start is no step
  EXPECT_NE(std::string::npos, next.server().PresetSummary().find("15 loaded"));
}

TEST_F(PresetFileTest, AFileThatIsNoPresetStopsTheServerFromStartingAndIsKept) {
  {
    std::ofstream out(path_);
    out << "{\"not\": \"a preset\"";
  }
  host::DocumentError problem;
  ServerOptions options = TestServer::Defaults();
  options.presetPath = path_;
  std::string error;
  auto server =
      SettingsServer::Create(host::Panel::FromJson(host::SamplePanelDescription(), &problem), options, &error);
  EXPECT_FALSE(server);
  EXPECT_NE(std::string::npos, error.find(path_ + ": at /not")) << error;
  EXPECT_EQ("{\"not\": \"a preset\"", Read());
}

TEST_F(PresetFileTest, EntriesOfOtherPanelsAreCarriedAndNonFilesRefused) {
  ServerOptions options = TestServer::Defaults();
  options.presetPath = path_;
  {
    TestServer server(options);
    ASSERT_EQ(200, server.Post("/api/v1/set", Set("Title", "Mine")).status);
  }
  // Another panel's entry joins the file, as another program would write it.
  std::string document = Read();
  const std::string foreign =
      "{\"name\": \"Other\", \"id\": 4242, \"group\": 0, \"flags\": 0, \"type\": 7, \"size\": 4, "
      "\"value\": \"7\"},\n";
  const std::size_t entries = document.find("\"entries\": [");
  ASSERT_NE(std::string::npos, entries) << document;
  document.insert(document.find('{', entries), foreign);
  {
    std::ofstream out(path_);
    out << document;
  }
  {
    TestServer server(options);
    ASSERT_EQ(200, server.Post("/api/v1/set", Set("Title", "Again")).status);
  }
  EXPECT_NE(std::string::npos, Read().find("4242")) << Read();
  EXPECT_NE(std::string::npos, Read().find("Again"));

  // A directory is no preset file: the server does not start.
  options.presetPath = dir_.string();
  host::DocumentError problem;
  std::string error;
  EXPECT_FALSE(
      SettingsServer::Create(host::Panel::FromJson(host::SamplePanelDescription(), &problem), options, &error));
  EXPECT_NE(std::string::npos, error.find(dir_.string())) << error;
}

TEST(ServerOptionsTest, InvalidOptionsAreRefusedBeforeServing) {
  host::DocumentError problem;
  std::string error;
  ServerOptions options;
  options.token = "not a token";
  EXPECT_FALSE(
      SettingsServer::Create(host::Panel::FromJson(host::SamplePanelDescription(), &problem), options, &error));
  EXPECT_NE(std::string::npos, error.find("token"));
  options = ServerOptions();
  options.port = 70000;
  EXPECT_FALSE(
      SettingsServer::Create(host::Panel::FromJson(host::SamplePanelDescription(), &problem), options, &error));
  EXPECT_FALSE(SettingsServer::Create(nullptr, ServerOptions(), &error));

  // A port in use is reported by Start.
  TestServer first;
  options = ServerOptions();
  options.port = first.Port();
  auto second =
      SettingsServer::Create(host::Panel::FromJson(host::SamplePanelDescription(), &problem), options, &error);
  ASSERT_TRUE(second);
  EXPECT_FALSE(second->Start(&error));
  EXPECT_NE(std::string::npos, error.find("cannot listen")) << error;
}

}  // namespace
}  // namespace testing
}  // namespace server
}  // namespace Quenneth
