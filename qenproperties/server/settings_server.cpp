#include "qenproperties/server/settings_server.h"

#include <httplib.h>

#include <chrono>
#include <thread>
#include <utility>

#include "qenproperties/server/internal/api.h"
#include "qenproperties/server/internal/panel_adapter.h"
#include "qenproperties/server/internal/preset_store.h"
#include "qenproperties/server/internal/request_guard.h"
#include "qenproperties/server/internal/socket_options.h"

namespace Quenneth {
namespace server {

class SettingsServer::Impl {
 public:
  ServerOptions options;
  std::unique_ptr<detail::PanelAdapter> adapter;
  std::unique_ptr<detail::PresetStore> store;
  std::string summary;
  std::unique_ptr<detail::Api> api;
  httplib::Server http;
  std::thread listener;
  int port = 0;
};

SettingsServer::SettingsServer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

SettingsServer::~SettingsServer() { Stop(); }

std::unique_ptr<SettingsServer> SettingsServer::Create(std::unique_ptr<host::Panel> panel, ServerOptions options,
                                                       std::string* error) {
  if (!panel) {
    *error = "no panel";
    return nullptr;
  }
  if (options.port < 0 || options.port > 65535) {
    *error = "the port must be from 0 to 65535";
    return nullptr;
  }
  if (options.requireToken && options.token.empty()) options.token = detail::NewToken();
  if (!options.requireToken) options.token.clear();
  if (options.requireToken && !detail::ValidToken(options.token)) {
    *error = "a token is 1 to 256 characters from A-Z a-z 0-9 - . _ ~";
    return nullptr;
  }
  if (options.threads == 0 || options.maxEventClients == 0) {
    *error = "the server needs at least one thread and one event stream";
    return nullptr;
  }
  auto impl = std::make_unique<Impl>();
  impl->adapter = std::make_unique<detail::PanelAdapter>(std::move(panel));
  impl->store = std::make_unique<detail::PresetStore>(options.presetPath);
  if (!impl->store->Load(impl->adapter.get(), &impl->summary, error)) return nullptr;
  impl->options = std::move(options);
  return std::unique_ptr<SettingsServer>(new SettingsServer(std::move(impl)));
}

bool SettingsServer::Start(std::string* error) {
  Impl& s = *impl_;
  if (s.api) {
    *error = "the server runs already";
    return false;
  }
  const std::size_t workers = s.options.threads + s.options.maxEventClients;
  s.http.new_task_queue = [workers] { return new httplib::ThreadPool(workers); };
  s.http.set_payload_max_length(s.options.maxBodyBytes);
  s.http.set_keep_alive_max_count(1000);
  s.http.set_tcp_nodelay(true);
  s.http.set_socket_options([](socket_t socket) { detail::ExclusiveAddress(socket); });
  std::string host = s.options.host;
  if (host.size() > 1 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  s.port = s.options.port == 0 ? s.http.bind_to_any_port(host) : s.options.port;
  if (s.port <= 0 || (s.options.port != 0 && !s.http.bind_to_port(host, s.options.port))) {
    *error = "cannot listen on " + s.options.host + ":" + std::to_string(s.options.port) +
             " (the address is in use or not this machine's)";
    return false;
  }
  detail::ApiLimits limits;
  limits.maxEventClients = s.options.maxEventClients;
  limits.eventBacklog = s.options.eventBacklog;
  limits.keepAlive = s.options.keepAlive;
  s.api = std::make_unique<detail::Api>(std::move(s.adapter), std::move(s.store),
                                        detail::RequestGuard(host, s.port, s.options.token), limits);
  s.api->Install(&s.http);
  s.listener = std::thread([&s] { s.http.listen_after_bind(); });
  // The HTTP library's stop() does nothing until its loop has started, so a Stop right after Start would hang.
  while (!s.http.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return true;
}

void SettingsServer::Stop() {
  Impl& s = *impl_;
  if (!s.listener.joinable()) return;
  s.api->Close();
  s.http.stop();
  s.listener.join();
}

int SettingsServer::Port() const { return impl_->port; }

std::string SettingsServer::Url() const {
  const std::string& host = impl_->options.host;
  const bool v6 = host.find(':') != std::string::npos && host.front() != '[';
  const bool wildcard = host == "0.0.0.0" || host == "::" || host == "[::]";
  std::string url = "http://" +
                    (wildcard ? std::string("127.0.0.1")
                     : v6     ? "[" + host + "]"
                              : host) +
                    ":" + std::to_string(impl_->port) + "/";
  if (!impl_->options.token.empty()) url += "?token=" + impl_->options.token;
  return url;
}

const std::string& SettingsServer::Token() const { return impl_->options.token; }
const std::string& SettingsServer::PresetSummary() const { return impl_->summary; }

}  // namespace server
}  // namespace Quenneth
