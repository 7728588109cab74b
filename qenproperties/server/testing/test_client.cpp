#include "qenproperties/server/testing/test_client.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <utility>

#include "qenproperties/host/sample_panel.h"

namespace Quenneth {
namespace server {
namespace testing {
namespace {

Answer Convert(const httplib::Result& result) {
  Answer answer;
  if (!result) {
    answer.status = -1;
    answer.text = httplib::to_string(result.error());
    return answer;
  }
  answer.status = result->status;
  answer.text = result->body;
  for (const auto& h : result->headers) answer.headers.emplace(h.first, h.second);
  answer.body = Json::parse(answer.text, nullptr, false);
  if (answer.body.is_discarded()) answer.body = nullptr;
  return answer;
}

httplib::Headers ToHeaders(const Headers& headers) { return httplib::Headers(headers.begin(), headers.end()); }

}  // namespace

std::string Answer::header(const std::string& name) const {
  for (const auto& h : headers) {
    if (h.first.size() == name.size() && std::equal(name.begin(), name.end(), h.first.begin(),
                                                    [](char a, char b) { return ::tolower(a) == ::tolower(b); })) {
      return h.second;
    }
  }
  return "";
}

class Client::Impl {
 public:
  Impl(int port, std::string secret) : http("127.0.0.1", port), token(std::move(secret)) {
    http.set_read_timeout(std::chrono::seconds(30));
    http.set_keep_alive(true);
    http.set_tcp_nodelay(true);
  }
  httplib::Client http;
  std::string token;
};

Client::Client(int port, std::string token) : impl_(std::make_unique<Impl>(port, std::move(token))) {}
Client::~Client() = default;

Headers Client::Auth() const {
  if (impl_->token.empty()) return {};
  return {{"Authorization", "Bearer " + impl_->token}};
}

Answer Client::Get(const std::string& path, const Headers& headers) {
  return Convert(impl_->http.Get(path, ToHeaders(headers)));
}

Answer Client::Post(const std::string& path, const Json& body, const Headers& headers) {
  Headers all = Auth();
  all.insert(headers.begin(), headers.end());
  return Send("POST", path, body.dump(), "application/json", all);
}

Answer Client::Send(const std::string& method, const std::string& path, const std::string& body,
                    const std::string& contentType, const Headers& headers) {
  const httplib::Headers h = ToHeaders(headers);
  if (method == "GET") return Convert(impl_->http.Get(path, h));
  if (method == "POST") return Convert(impl_->http.Post(path, h, body, contentType));
  if (method == "PUT") return Convert(impl_->http.Put(path, h, body, contentType));
  if (method == "DELETE") return Convert(impl_->http.Delete(path, h, body, contentType));
  if (method == "PATCH") return Convert(impl_->http.Patch(path, h, body, contentType));
  throw std::invalid_argument("no such method in the test client: " + method);
}

ServerOptions TestServer::Defaults() {
  ServerOptions options;
  options.keepAlive = std::chrono::milliseconds(200);
  return options;
}

TestServer::TestServer(ServerOptions options, const std::string& description) {
  host::DocumentError problem;
  auto panel = host::Panel::FromJson(description.empty() ? host::SamplePanelDescription() : description, &problem);
  if (!panel) throw std::runtime_error("panel: " + problem.message);
  std::string error;
  server_ = SettingsServer::Create(std::move(panel), std::move(options), &error);
  if (!server_ || !server_->Start(&error)) throw std::runtime_error("server: " + error);
  client_ = std::make_unique<Client>(server_->Port(), server_->Token());
}

TestServer::~TestServer() {
  client_.reset();
  server_->Stop();
}

std::string TestServer::Value(const std::string& name) {
  const Answer panel = Get("/api/v1/panel");
  for (const Json& p : panel.body["properties"]) {
    if (p["name"] == name) return p.value("value", "");
  }
  return "(no property " + name + ")";
}

std::map<std::string, std::string> TestServer::Values() {
  std::map<std::string, std::string> values;
  const Answer panel = Get("/api/v1/panel");
  for (const Json& p : panel.body["properties"]) values[p["name"]] = p.value("value", "");
  return values;
}

EventReader::EventReader(int port) : thread_([this, port] { Run(port); }) {}

EventReader::~EventReader() {
  stop_ = true;
  thread_.join();
}

void EventReader::Run(int port) {
  httplib::Client client("127.0.0.1", port);
  client.set_read_timeout(std::chrono::seconds(30));
  auto result = client.Get(
      "/api/v1/events",
      [this](const httplib::Response& response) {
        status_ = response.status;
        return response.status == 200;
      },
      [this](const char* data, std::size_t size) {
        pending_.append(data, size);
        for (std::size_t end = pending_.find("\n\n"); end != std::string::npos; end = pending_.find("\n\n")) {
          Parse(pending_.substr(0, end));
          pending_.erase(0, end + 2);
        }
        return !stop_;
      });
  std::lock_guard<std::mutex> lock(mutex_);
  ended_ = true;
  arrived_.notify_all();
}

void EventReader::Parse(const std::string& block) {
  Event event;
  bool any = false;
  std::size_t start = 0;
  while (start < block.size()) {
    std::size_t end = block.find('\n', start);
    if (end == std::string::npos) end = block.size();
    const std::string line = block.substr(start, end - start);
    start = end + 1;
    if (line.compare(0, 7, "event: ") == 0) {
      event.name = line.substr(7);
      any = true;
    } else if (line.compare(0, 4, "id: ") == 0) {
      event.id = std::stoull(line.substr(4));
    } else if (line.compare(0, 6, "data: ") == 0) {
      event.data = Json::parse(line.substr(6));
    }
  }
  if (!any) return;  // a comment or the retry line
  std::lock_guard<std::mutex> lock(mutex_);
  events_.push_back(std::move(event));
  arrived_.notify_all();
}

bool EventReader::WaitForHello(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return arrived_.wait_for(lock, timeout, [this] { return !events_.empty() || ended_; }) && !events_.empty();
}

bool EventReader::WaitForSeq(std::uint64_t seq, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto reached = [&] { return !events_.empty() && events_.back().id >= seq; };
  return arrived_.wait_for(lock, timeout, [&] { return reached() || ended_; }) && reached();
}

bool EventReader::WaitForEnd(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return arrived_.wait_for(lock, timeout, [this] { return ended_; });
}

std::vector<Event> EventReader::Events() {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

}  // namespace testing
}  // namespace server
}  // namespace Quenneth

// A panel's rules read other properties while a change holds the changed property's lock, so two changes of
// different properties take two property locks in opposite orders. They never overlap: the server makes every
// panel call under its one panel mutex (and the mediator's lock is held around each change too).
// ThreadSanitizer does not see such an outer lock, and would report the reversed order as a possible deadlock.
extern "C" const char* __tsan_default_suppressions() { return "deadlock:Quenneth::host::Panel::Impl\n"; }
