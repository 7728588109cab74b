// test_client.h: a settings server on an ephemeral port for tests, and the clients that drive it over HTTP.
//
//   TestServer server;                                   // the sample panel, a random token
//   Answer a = server.Post("/api/v1/set", {{"name", "Codec"}, {"value", "AV1"}});
//   EventReader events(server.Port());                   // reads /api/v1/events on a thread of its own
//   events.WaitForSeq(a.body["seq"]);
#ifndef QENPROPERTIES_SERVER_TESTING_TEST_CLIENT_H_
#define QENPROPERTIES_SERVER_TESTING_TEST_CLIENT_H_

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "qenproperties/server/internal/json_body.h"
#include "qenproperties/server/settings_server.h"

namespace Quenneth {
namespace server {
namespace testing {

using Json = detail::Json;
using Headers = std::multimap<std::string, std::string>;

// Answer: the status and body of one request (`body` null when it is no JSON).
struct Answer {
  int status = 0;
  std::string text;
  Json body;
  std::string header(const std::string& name) const;
  Headers headers;
};

// Client: one keep-alive connection to a server, carrying its token on writes unless told otherwise.
class Client {
 public:
  Client(int port, std::string token);
  ~Client();
  Answer Get(const std::string& path, const Headers& headers = {});
  Answer Post(const std::string& path, const Json& body, const Headers& headers = {});
  // Send: any method with a raw body and its content type, with exactly the headers given (no token added).
  Answer Send(const std::string& method, const std::string& path, const std::string& body,
              const std::string& contentType, const Headers& headers);
  Headers Auth() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// TestServer: the sample panel (or a given description) served on 127.0.0.1 and a free port.
class TestServer {
 public:
  explicit TestServer(ServerOptions options = Defaults(), const std::string& description = "");
  ~TestServer();
  static ServerOptions Defaults();

  int Port() const { return server_->Port(); }
  const std::string& Token() const { return server_->Token(); }
  SettingsServer& server() { return *server_; }
  Answer Get(const std::string& path) { return client_->Get(path); }
  Answer Post(const std::string& path, const Json& body = Json::object()) { return client_->Post(path, body); }
  Client& client() { return *client_; }
  // Value gives a property's value text from GET /api/v1/panel.
  std::string Value(const std::string& name);
  // Values gives every property's value text.
  std::map<std::string, std::string> Values();

 private:
  std::unique_ptr<SettingsServer> server_;
  std::unique_ptr<Client> client_;
};

// Event: one Server-Sent Event frame.
struct Event {
  std::string name;
  std::uint64_t id = 0;
  Json data;
};

// EventReader: reads the event stream on a thread of its own until the stream ends or it is destroyed.
class EventReader {
 public:
  explicit EventReader(int port);
  ~EventReader();
  // WaitForHello / WaitForSeq block (up to `timeout`) until the hello frame, or the change with that
  // sequence number, has arrived; false on time-out or when the stream ended first.
  bool WaitForHello(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  bool WaitForSeq(std::uint64_t seq, std::chrono::milliseconds timeout = std::chrono::seconds(30));
  bool WaitForEnd(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  std::vector<Event> Events();
  int Status() const { return status_; }

 private:
  void Run(int port);
  void Parse(const std::string& block);

  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<Event> events_;
  std::string pending_;
  bool ended_ = false;
  std::atomic<bool> stop_{false};
  std::atomic<int> status_{0};
  std::thread thread_;
};

}  // namespace testing
}  // namespace server
}  // namespace Quenneth

#endif  // QENPROPERTIES_SERVER_TESTING_TEST_CLIENT_H_
