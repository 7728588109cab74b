#include "qenproperties/server/internal/api.h"

#include <httplib.h>

#include <cstdio>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "qenproperties/frame/result_codes.h"
#include "qenproperties/server/internal/assets.h"

namespace Quenneth {
namespace server {
namespace detail {
namespace {

constexpr const char* kJson = "application/json";

void Reply(httplib::Response& res, int status, const Json& body) {
  res.status = status;
  res.set_header("Cache-Control", "no-store");
  res.set_content(body.dump(), kJson);
}

// Problem answers a request the server could not take, with a short error name and a sentence.
void Problem(httplib::Response& res, int status, const char* error, const std::string& message) {
  Reply(res, status, Json{{"error", error}, {"message", message}});
}

bool IsJsonType(const std::string& type) {
  return type.compare(0, 16, "application/json") == 0 && (type.size() == 16 || type[16] == ';' || type[16] == ' ');
}

// ReadBody parses the request body; an empty body counts as {} where `emptyAllowed`.
bool ReadBody(const httplib::Request& req, httplib::Response& res, Json* body, bool emptyAllowed) {
  if (emptyAllowed && req.body.find_first_not_of(" \t\r\n") == std::string::npos) {
    *body = Json::object();
    return true;
  }
  BodyError error;
  if (!ParseJsonBody(req.body, body, &error)) {
    Reply(res, 400,
          Json{{"error", "bad-json"}, {"message", error.message}, {"line", error.line}, {"column", error.column}});
    return false;
  }
  if (!body->is_object()) {
    Problem(res, 400, "bad-request", "expected a JSON object");
    return false;
  }
  return true;
}

// ReadName gives the text under `key`: missing is an error only when `required`.
bool ReadName(const Json& body, const char* key, bool required, httplib::Response& res, std::string* name) {
  auto it = body.find(key);
  if (it == body.end()) {
    if (required) Problem(res, 400, "bad-request", std::string("\"") + key + "\" is missing");
    return !required;
  }
  if (!it->is_string()) {
    Problem(res, 400, "bad-request", std::string("\"") + key + "\" must be a text");
    return false;
  }
  *name = it->get<std::string>();
  return true;
}

// ValueText gives a JSON value as the text a property parses: texts as they are, numbers in the shortest form
// that reads back the same, true and false as TRUE and FALSE.
bool ValueText(const Json& value, std::string* text) {
  if (value.is_string()) {
    *text = value.get<std::string>();
  } else if (value.is_boolean()) {
    *text = value.get<bool>() ? "TRUE" : "FALSE";
  } else if (value.is_number()) {
    *text = value.dump();
  } else {
    return false;
  }
  return true;
}

bool ReadAssignment(const Json& item, const std::string& at, httplib::Response& res, Assignment* out) {
  if (!item.is_object()) {
    Problem(res, 400, "bad-request", at + " must be an object {\"name\", \"value\"}");
    return false;
  }
  if (!ReadName(item, "name", true, res, &out->name)) return false;
  auto value = item.find("value");
  if (value == item.end() || !ValueText(*value, &out->value)) {
    Problem(res, 400, "bad-request", at + ": \"value\" must be a text, a number, true or false");
    return false;
  }
  return true;
}

Json ChangesJson(const std::vector<ChangeRecord>& changes) {
  Json list = Json::array();
  for (const ChangeRecord& c : changes) list.push_back({{"name", c.name}, {"before", c.before}, {"after", c.after}});
  return list;
}

bool Moved(const std::vector<ChangeRecord>& changes) {
  for (const ChangeRecord& c : changes) {
    if (c.moved) return true;
  }
  return false;
}

std::string Frame(const char* event, std::uint64_t id, const Json& data) {
  std::string frame;
  if (id != 0) frame += "id: " + std::to_string(id) + "\n";
  frame += std::string("event: ") + event + "\ndata: " + data.dump() + "\n\n";
  return frame;
}

const char* StatusError(int status) {
  switch (status) {
    case 400: return "bad-request";
    case 404: return "not-found";
    case 405: return "method-not-allowed";
    case 413: return "too-large";
    case 414: return "uri-too-long";
    default: return status >= 500 ? "server-error" : "error";
  }
}

}  // namespace

Api::Api(std::unique_ptr<PanelAdapter> adapter, std::unique_ptr<PresetStore> store, RequestGuard guard,
         ApiLimits limits)
    : adapter_(std::move(adapter)),
      store_(std::move(store)),
      guard_(std::move(guard)),
      limits_(limits),
      instance_(NewToken().substr(0, 16)),
      log_(limits.eventBacklog, limits.maxEventClients) {}

Api::~Api() { Close(); }

void Api::Close() { log_.Close(); }

Api::Handler Api::Read(Handler handler) {
  return [this, handler](const httplib::Request& req, httplib::Response& res) {
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_header("Referrer-Policy", "no-referrer");
    if (!guard_.HostAllowed(req.get_header_value("Host"))) {
      Problem(res, 403, "host", "the Host header names no address this server listens on");
      return;
    }
    handler(req, res);
  };
}

Api::Handler Api::Write(Handler handler) {
  return Read([this, handler](const httplib::Request& req, httplib::Response& res) {
    if (!guard_.OriginAllowed(req.get_header_value("Origin"))) {
      Problem(res, 403, "origin", "writes from another site's page are refused");
      return;
    }
    if (!guard_.TokenAllowed(req.get_header_value("Authorization"))) {
      res.set_header("WWW-Authenticate", "Bearer");
      Problem(res, 401, "token", "this server needs its token: Authorization: Bearer TOKEN (printed when it started)");
      return;
    }
    if (!req.body.empty() && !IsJsonType(req.get_header_value("Content-Type"))) {
      Problem(res, 415, "content-type", "send the body as application/json");
      return;
    }
    handler(req, res);
  });
}

Json Api::Depth() const { return Json{{"undo", adapter_->UndoDepth()}, {"redo", adapter_->RedoDepth()}}; }

void Api::Publish(const char* action, const std::string& by, const Json& changes, const Json& properties,
                  Json* answer) {
  const std::uint64_t seq = ++seq_;
  Json event = {{"seq", seq}, {"action", action}, {"changes", changes}, {"properties", properties}};
  if (!by.empty()) event["by"] = by;
  event.update(Depth());
  log_.Append(seq, Frame("change", seq, event));
  (*answer)["seq"] = seq;
  std::string error;
  if (!store_->Write(*adapter_, &error)) {
    (*answer)["preset"] = {{"saved", false}, {"error", error}};
    std::fprintf(stderr, "qenprops serve: cannot write %s: %s\n", store_->Path().c_str(), error.c_str());
  }
}

void Api::Act(httplib::Response& res, const char* action, const std::string& by, const Action& act) {
  std::lock_guard<std::mutex> lock(panelMutex_);
  const ActionResult result = act(*adapter_);
  Json answer = {{"result", ResultName(result.code)}};
  if (!result.message.empty()) answer["message"] = result.message;
  if (result.status != ActionStatus::kApplied) {
    if (!result.name.empty()) answer["name"] = result.name;
    answer["index"] = result.index;
    answer["changes"] = Json::array();
    answer.update(Depth());
    Reply(res, result.status == ActionStatus::kUnknownName ? 404 : 409, answer);
    return;
  }
  // Each property that moved, once, in the order it first moved.
  Json properties = Json::array();
  std::set<std::string> listed;
  for (const ChangeRecord& c : result.changes) {
    if (c.moved && listed.insert(c.name).second) properties.push_back(adapter_->Property(c.name));
  }
  const Json changes = ChangesJson(result.changes);
  if (Moved(result.changes)) Publish(action, by, changes, properties, &answer);
  answer["action"] = action;
  if (!by.empty()) answer["by"] = by;
  answer["changes"] = changes;
  answer["properties"] = std::move(properties);
  answer.update(Depth());
  Reply(res, 200, answer);
}

void Api::GetPanel(const httplib::Request&, httplib::Response& res) {
  std::lock_guard<std::mutex> lock(panelMutex_);
  Json panel = {{"title", adapter_->Title()},
                {"version", adapter_->Version()},
                {"seq", seq_},
                {"instance", instance_},
                {"token", guard_.TokenRequired()}};
  panel.update(Depth());
  panel["properties"] = adapter_->Properties();
  Reply(res, 200, panel);
}

void Api::PostSet(const httplib::Request& req, httplib::Response& res) {
  Json body;
  if (!ReadBody(req, res, &body, false)) return;
  std::vector<Assignment> assignments;
  auto list = body.find("changes");
  if (list != body.end()) {
    if (body.contains("name") || !list->is_array() || list->empty()) {
      Problem(res, 400, "bad-request", "expected {\"changes\": [{\"name\", \"value\"}, ...]} with at least one change");
      return;
    }
    for (std::size_t i = 0; i < list->size(); ++i) {
      Assignment a;
      if (!ReadAssignment((*list)[i], "/changes/" + std::to_string(i), res, &a)) return;
      assignments.push_back(std::move(a));
    }
  } else {
    Assignment a;
    if (!ReadAssignment(body, "the body", res, &a)) return;
    assignments.push_back(std::move(a));
  }
  Act(res, "set", "", [&assignments](PanelAdapter& panel) { return panel.Set(assignments); });
}

void Api::PostReset(const httplib::Request& req, httplib::Response& res) {
  Json body;
  std::string name;
  if (!ReadBody(req, res, &body, true) || !ReadName(body, "name", false, res, &name)) return;
  Act(res, "reset", "", [&name](PanelAdapter& panel) { return panel.Reset(name); });
}

void Api::PostClick(const httplib::Request& req, httplib::Response& res) {
  Json body;
  std::string name;
  if (!ReadBody(req, res, &body, false) || !ReadName(body, "name", true, res, &name)) return;
  Act(res, "click", name, [&name](PanelAdapter& panel) { return panel.Click(name); });
}

void Api::GetPreset(const httplib::Request&, httplib::Response& res) {
  std::string text;
  {
    std::lock_guard<std::mutex> lock(panelMutex_);
    text = adapter_->SavePreset();
  }
  res.set_header("Cache-Control", "no-store");
  res.set_header("Content-Disposition", "attachment; filename=\"preset.json\"");
  res.set_content(text, kJson);
}

void Api::PutPreset(const httplib::Request& req, httplib::Response& res) {
  std::lock_guard<std::mutex> lock(panelMutex_);
  PresetLoad load = adapter_->LoadPreset(req.body, true);
  if (!load.read) {
    Json problem = {{"error", "bad-preset"}, {"message", load.error}};
    if (load.line != 0) {
      problem["line"] = load.line;
      problem["column"] = load.column;
    } else {
      problem["pointer"] = load.pointer;
    }
    Reply(res, 400, problem);
    return;
  }
  Json properties = Json::array();
  for (const ChangeRecord& c : load.changes) properties.push_back(adapter_->Property(c.name));
  const Json changes = ChangesJson(load.changes);
  Json answer = {{"result", ResultName(kResultOk)}, {"report", load.report}};
  if (!load.changes.empty()) Publish("load", "", changes, properties, &answer);
  answer["action"] = "load";
  answer["changes"] = changes;
  answer["properties"] = std::move(properties);
  answer.update(Depth());
  Reply(res, 200, answer);
}

void Api::GetEvents(const httplib::Request&, httplib::Response& res) {
  std::shared_ptr<EventLog::Subscription> subscription = log_.Subscribe();
  if (!subscription) {
    Problem(res, 503, "busy", "too many open event streams; close a page and try again");
    return;
  }
  res.set_header("Cache-Control", "no-store");
  const std::string hello =
      "retry: 1000\n" + Frame("hello", 0, Json{{"seq", subscription->Cursor()}, {"instance", instance_}});
  res.set_chunked_content_provider(
      "text/event-stream", [this, subscription, hello, greeted = false](std::size_t, httplib::DataSink& sink) mutable {
        if (!greeted) {
          greeted = true;
          return sink.write(hello.data(), hello.size());
        }
        const EventLog::Batch batch = log_.Wait(*subscription, limits_.keepAlive);
        if (batch.closed) {
          sink.done();
          return true;
        }
        if (batch.lost) {
          const std::string lost = Frame("lost", 0, Json::object());
          if (!sink.write(lost.data(), lost.size())) return false;
        }
        if (batch.frames.empty()) {
          static const char kKeepAlive[] = ": keep-alive\n\n";
          return sink.write(kKeepAlive, sizeof(kKeepAlive) - 1);
        }
        for (const auto& frame : batch.frames) {
          if (!sink.write(frame->data(), frame->size())) return false;
        }
        return true;
      });
}

void Api::GetAsset(const httplib::Request& req, httplib::Response& res) {
  const Asset* asset = FindAsset(req.path);
  if (asset == nullptr) {
    Problem(res, 404, "not-found", "nothing is served at " + req.path);
    return;
  }
  res.set_header("Cache-Control", "no-cache");
  res.set_header("X-Frame-Options", "DENY");
  res.set_header("Content-Security-Policy",
                 "default-src 'self'; img-src 'self' data:; object-src 'none'; base-uri 'none'; "
                 "form-action 'none'; frame-ancestors 'none'");
  res.set_content(reinterpret_cast<const char*>(asset->bytes), asset->size, asset->contentType);
}

void Api::Install(httplib::Server* server) {
  using Request = httplib::Request;
  using Response = httplib::Response;
  auto bind = [this](void (Api::*method)(const Request&, Response&)) {
    return [this, method](const Request& req, Response& res) { (this->*method)(req, res); };
  };
  struct Route {
    const char* method;
    const char* path;
    Handler handler;
  };
  const std::vector<Route> routes = {
      {"GET", "/api/v1/panel", Read(bind(&Api::GetPanel))},
      {"POST", "/api/v1/set", Write(bind(&Api::PostSet))},
      {"POST", "/api/v1/reset", Write(bind(&Api::PostReset))},
      {"POST", "/api/v1/click", Write(bind(&Api::PostClick))},
      {"POST", "/api/v1/undo", Write([this](const Request&, Response& res) {
         Act(res, "undo", "", [](PanelAdapter& p) { return p.Undo(); });
       })},
      {"POST", "/api/v1/redo", Write([this](const Request&, Response& res) {
         Act(res, "redo", "", [](PanelAdapter& p) { return p.Redo(); });
       })},
      {"GET", "/api/v1/preset", Read(bind(&Api::GetPreset))},
      {"PUT", "/api/v1/preset", Write(bind(&Api::PutPreset))},
      {"GET", "/api/v1/events", Read(bind(&Api::GetEvents))},
  };
  std::map<std::string, std::string> allowed;
  for (const Route& route : routes) {
    std::string& methods = allowed[route.path];
    methods += (methods.empty() ? "" : ", ") + std::string(route.method);
    const std::string method = route.method;
    if (method == "GET") server->Get(route.path, route.handler);
    if (method == "POST") server->Post(route.path, route.handler);
    if (method == "PUT") server->Put(route.path, route.handler);
  }
  // Any other method on a known path is answered 405 with the methods it takes.
  for (const auto& entry : allowed) {
    Handler notAllowed = Read([methods = entry.second](const Request& req, Response& res) {
      res.set_header("Allow", methods);
      Problem(res, 405, "method-not-allowed", req.method + " is not taken here; use " + methods);
    });
    const char* path = entry.first.c_str();
    if (entry.second.find("GET") == std::string::npos) server->Get(path, notAllowed);
    if (entry.second.find("POST") == std::string::npos) server->Post(path, notAllowed);
    if (entry.second.find("PUT") == std::string::npos) server->Put(path, notAllowed);
    server->Delete(path, notAllowed);
    server->Patch(path, notAllowed);
  }
  server->Get(".*", Read(bind(&Api::GetAsset)));
  // Errors the HTTP library answers itself (a body past the cap, no route) get a JSON body too.
  server->set_error_handler(httplib::Server::HandlerWithResponse([](const Request&, Response& res) {
    if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
    Problem(res, res.status, StatusError(res.status),
            res.status == 413 ? "the request body is larger than this server takes" : "the request was not understood");
    return httplib::Server::HandlerResponse::Handled;
  }));
  server->set_exception_handler([](const Request&, Response& res, std::exception_ptr error) {
    std::string what = "unknown error";
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      what = e.what();
    }
    Problem(res, 500, "server-error", "the server failed: " + what);
  });
}

}  // namespace detail
}  // namespace server
}  // namespace Quenneth
