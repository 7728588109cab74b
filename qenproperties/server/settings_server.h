// settings_server.h: SettingsServer, a local HTTP server that shares one settings panel between every client:
// a JSON API, a live event stream and a browser panel drawn from the vault, with every edit going through the
// panel's mediator.
//
//   std::string error;
//   auto server = server::SettingsServer::Create(std::move(panel), options, &error);
//   if (!server || !server->Start(&error)) ... report error ...
//   std::cout << server->Url() << "\n";     // http://127.0.0.1:PORT/?token=...
//   ... until the user stops it ...
//   server->Stop();
//
// The API is described in internal/api.h and the README. Requests are served on the HTTP library's pool of
// worker threads: `threads` for requests plus one per allowed event stream. The panel itself is used by one
// request at a time.
#ifndef QENPROPERTIES_SERVER_SETTINGS_SERVER_H_
#define QENPROPERTIES_SERVER_SETTINGS_SERVER_H_

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "qenproperties/host/panel.h"

namespace Quenneth {
namespace server {

struct ServerOptions {
  // host: the address to listen on; a loopback address unless the user names another.
  std::string host = "127.0.0.1";
  // port: 0 picks a free one (Port() tells which).
  int port = 0;
  // token: the secret every write must carry; empty picks a random one. requireToken false turns the check
  // off (the Host and Origin checks stay).
  std::string token;
  bool requireToken = true;
  // presetPath: loaded at Create when it exists, written after each change; empty for none.
  std::string presetPath;
  std::size_t maxBodyBytes = 4u << 20;
  std::size_t maxEventClients = 64;
  std::size_t threads = 8;
  std::size_t eventBacklog = 4096;
  // keepAlive: how often an idle event stream gets a comment, which also finds clients that went away.
  std::chrono::milliseconds keepAlive{15000};
};

class SettingsServer {
 public:
  // Create takes the panel and loads the preset file. Null with `error` set for an invalid option or a
  // preset file that cannot be read or is no preset document (it is left as it is).
  static std::unique_ptr<SettingsServer> Create(std::unique_ptr<host::Panel> panel, ServerOptions options,
                                                std::string* error);
  ~SettingsServer();
  SettingsServer(const SettingsServer&) = delete;
  SettingsServer& operator=(const SettingsServer&) = delete;

  // Start binds the address and serves on a thread of its own; false with `error` when it cannot bind.
  bool Start(std::string* error);
  // Stop ends every event stream, stops serving and waits for the workers; idempotent.
  void Stop();

  // Port gives the bound port (after Start).
  int Port() const;
  // Url gives the page's address, with "?token=..." when a token is required.
  std::string Url() const;
  const std::string& Token() const;
  // PresetSummary says what Create loaded from the preset file ("" without one).
  const std::string& PresetSummary() const;

 private:
  class Impl;
  explicit SettingsServer(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace server
}  // namespace Quenneth

#endif  // QENPROPERTIES_SERVER_SETTINGS_SERVER_H_
