// api.h: Api, what the settings server answers: the JSON API under /api/v1, the event stream and the embedded
// page, installed as the routes of an HTTP server.
//
//   GET  /api/v1/panel    the panel: title, version, sequence number, undo and redo depth, every property
//   POST /api/v1/set      {"name", "value"} or {"changes": [{"name", "value"}, ...]} (all or nothing)
//   POST /api/v1/reset    {} (every property) or {"name"};  POST /api/v1/click {"name"}
//   POST /api/v1/undo, POST /api/v1/redo
//   GET  /api/v1/preset   the preset document;  PUT /api/v1/preset  load one, answered with the load report
//   GET  /api/v1/events   Server-Sent Events: "hello" on connecting, then one "change" per applied action
//
// Every request must name the listen address in Host; a write (POST, PUT) must come from no foreign Origin,
// carry "Authorization: Bearer TOKEN" unless the server runs without a token, and send JSON. Answers to panel
// actions carry the result code's name, the changes (the property's own, then the dependent ones) with the
// JSON of each property that moved, the refusal sentence, and the sequence number ("seq") of the change event
// the action published (none when it changed nothing).
//
// Thread-safe: handlers run on the HTTP library's worker threads; every panel call holds one mutex, under
// which changes are numbered, published and written to the preset file, so all three follow one order.
#ifndef QENPROPERTIES_SERVER_INTERNAL_API_H_
#define QENPROPERTIES_SERVER_INTERNAL_API_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "qenproperties/server/internal/event_log.h"
#include "qenproperties/server/internal/json_body.h"
#include "qenproperties/server/internal/panel_adapter.h"
#include "qenproperties/server/internal/preset_store.h"
#include "qenproperties/server/internal/request_guard.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace Quenneth {
namespace server {
namespace detail {

struct ApiLimits {
  std::size_t maxEventClients = 64;
  std::size_t eventBacklog = 4096;
  std::chrono::milliseconds keepAlive{15000};
};

class Api {
 public:
  Api(std::unique_ptr<PanelAdapter> adapter, std::unique_ptr<PresetStore> store, RequestGuard guard, ApiLimits limits);
  ~Api();
  Api(const Api&) = delete;
  Api& operator=(const Api&) = delete;

  // Install adds every route to `server`, which must not outlive this object.
  void Install(httplib::Server* server);
  // Close ends every event stream and refuses new ones; the server stops after it.
  void Close();

 private:
  using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;
  using Action = std::function<ActionResult(PanelAdapter&)>;

  Handler Read(Handler handler);
  Handler Write(Handler handler);
  // Act runs one panel action under the lock and answers it; `by` names a clicked button for the event.
  void Act(httplib::Response& res, const char* action, const std::string& by, const Action& act);
  void Publish(const char* action, const std::string& by, const Json& changes, const Json& properties, Json* answer);
  Json Depth() const;

  void GetPanel(const httplib::Request& req, httplib::Response& res);
  void PostSet(const httplib::Request& req, httplib::Response& res);
  void PostReset(const httplib::Request& req, httplib::Response& res);
  void PostClick(const httplib::Request& req, httplib::Response& res);
  void GetPreset(const httplib::Request& req, httplib::Response& res);
  void PutPreset(const httplib::Request& req, httplib::Response& res);
  void GetEvents(const httplib::Request& req, httplib::Response& res);
  void GetAsset(const httplib::Request& req, httplib::Response& res);

  std::unique_ptr<PanelAdapter> adapter_;
  std::unique_ptr<PresetStore> store_;
  const RequestGuard guard_;
  const ApiLimits limits_;
  const std::string instance_;  // tells a page that reconnects whether this is still the same server
  std::mutex panelMutex_;
  std::uint64_t seq_ = 0;  // guarded by panelMutex_
  EventLog log_;
};

}  // namespace detail
}  // namespace server
}  // namespace Quenneth

#endif  // QENPROPERTIES_SERVER_INTERNAL_API_H_
