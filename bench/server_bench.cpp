// server_bench.cpp: the settings server over HTTP on loopback (qenprops serve with the sample panel).
//
// BM_SetRoundTrip8Clients  8 clients, each on its own keep-alive connection, POST /api/v1/set 250 times at
//                          once, 4 rounds (8,000 requests); counters: the median and 99th percentile of one
//                          request's round trip, in microseconds, and sets per second.
// BM_EventFanOut50         50 open event streams; one client sets a value 200 times, each time waiting until
//                          all 50 streams have the change; counters: the median and 99th percentile of the time
//                          from sending the set to the 50th stream receiving its event, in microseconds.
// No preset file is written: these are the server's own costs, not the disk's.
#include <qenproperties/host/panel.h>
#include <qenproperties/host/sample_panel.h>
#include <qenproperties/server/settings_server.h>

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "alloc_counter.h"

namespace {

using Clock = std::chrono::steady_clock;
using Quenneth::server::ServerOptions;
using Quenneth::server::SettingsServer;

std::unique_ptr<SettingsServer> StartServer() {
  Quenneth::host::DocumentError problem;
  std::string error;
  ServerOptions options;
  options.maxEventClients = 64;
  auto server = SettingsServer::Create(
      Quenneth::host::Panel::FromJson(Quenneth::host::SamplePanelDescription(), &problem), options, &error);
  if (!server || !server->Start(&error)) throw std::runtime_error(error);
  return server;
}

httplib::Client Connect(int port) {
  httplib::Client client("127.0.0.1", port);
  client.set_keep_alive(true);
  client.set_tcp_nodelay(true);
  client.set_read_timeout(std::chrono::seconds(30));
  return client;
}

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

double Micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

std::string SetBody(int value) { return "{\"name\": \"Quality\", \"value\": " + std::to_string(value) + "}"; }

void BM_SetRoundTrip8Clients(benchmark::State& state) {
  constexpr int kClients = 8;
  constexpr int kRequests = 250;
  auto server = StartServer();
  const httplib::Headers auth = {{"Authorization", "Bearer " + server->Token()}};
  std::vector<double> latencies;
  std::atomic<int> failures{0};
  double seconds = 0;
  for (auto _ : state) {
    std::vector<std::vector<double>> perClient(kClients);
    const auto start = Clock::now();
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
      clients.emplace_back([&, c] {
        httplib::Client client = Connect(server->Port());
        for (int k = 0; k < kRequests; ++k) {
          const auto sent = Clock::now();
          auto result = client.Post("/api/v1/set", auth, SetBody(1 + (k * kClients + c) % 100), "application/json");
          perClient[c].push_back(Micros(Clock::now() - sent));
          if (!result || result->status != 200) ++failures;
        }
      });
    }
    for (auto& t : clients) t.join();
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
    for (const auto& list : perClient) latencies.insert(latencies.end(), list.begin(), list.end());
  }
  if (failures != 0) state.SkipWithError("some sets failed");
  state.counters["p50_us"] = Percentile(latencies, 0.5);
  state.counters["p99_us"] = Percentile(latencies, 0.99);
  state.counters["sets/s"] = static_cast<double>(latencies.size()) / seconds;
  server->Stop();
}
BENCHMARK(BM_SetRoundTrip8Clients)->Unit(benchmark::kMillisecond)->Iterations(4)->UseRealTime();

void BM_EventFanOut50(benchmark::State& state) {
  constexpr int kStreams = 50;
  constexpr int kChanges = 200;
  auto server = StartServer();
  const httplib::Headers auth = {{"Authorization", "Bearer " + server->Token()}};
  // received[k]: how many streams have the change with sequence number k.
  std::vector<std::atomic<int>> received(kChanges * 64 + 2);
  std::atomic<int> greeted{0};
  std::atomic<bool> stop{false};
  std::vector<std::thread> streams;
  for (int s = 0; s < kStreams; ++s) {
    streams.emplace_back([&] {
      httplib::Client client = Connect(server->Port());
      std::string pending;
      client.Get("/api/v1/events", [&](const char* data, std::size_t size) {
        pending.append(data, size);
        for (std::size_t end = pending.find("\n\n"); end != std::string::npos; end = pending.find("\n\n")) {
          const std::string frame = pending.substr(0, end);
          pending.erase(0, end + 2);
          if (frame.find("event: hello") != std::string::npos) ++greeted;
          if (frame.compare(0, 4, "id: ") == 0) {
            const std::size_t seq = std::stoul(frame.substr(4));
            if (seq < received.size()) ++received[seq];
          }
        }
        return !stop;
      });
    });
  }
  while (greeted < kStreams) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  httplib::Client writer = Connect(server->Port());
  std::vector<double> latencies;
  std::size_t seq = 0;
  for (auto _ : state) {
    for (int k = 0; k < kChanges; ++k) {
      ++seq;
      const auto sent = Clock::now();
      auto result = writer.Post("/api/v1/set", auth, SetBody(1 + static_cast<int>(seq % 2) * 50), "application/json");
      if (!result || result->status != 200 || seq >= received.size()) {
        state.SkipWithError("a set failed");
        break;
      }
      while (received[seq] < kStreams) std::this_thread::yield();
      latencies.push_back(Micros(Clock::now() - sent));
    }
  }
  state.counters["p50_us"] = Percentile(latencies, 0.5);
  state.counters["p99_us"] = Percentile(latencies, 0.99);
  stop = true;
  server->Stop();  // ends every stream
  for (auto& t : streams) t.join();
}
BENCHMARK(BM_EventFanOut50)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
