// qenprops serve: the panel in a browser. Prints the page's address (with its token) and serves until Ctrl+C;
// every change a page or an API client makes goes through the panel's mediator and is written to the preset
// file. Exit status: 0 after Ctrl+C, 2 for a usage error, a file that cannot be read or an address that cannot
// be bound.
#include "serve.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include "qenproperties/host/panel.h"
#include "qenproperties/host/preset_file.h"
#include "qenproperties/host/sample_panel.h"
#include "qenproperties/server/settings_server.h"

namespace qenprops {
namespace {

constexpr int kUsage = 2;

const char* const kServeUsage =
    "usage: qenprops serve [--panel FILE] [--preset FILE] [--listen HOST:PORT] [--token TOKEN | --no-token]\n"
    "  Serves the panel to a browser and as a JSON API until Ctrl+C, and prints the page's address.\n"
    "  --listen     the address (default 127.0.0.1:0; port 0 picks a free port). Only the loopback is\n"
    "               reached unless another address is named here.\n"
    "  --preset     loaded when it exists, written after every change\n"
    "  --token      the secret every write must carry (default: a new random one each run)\n"
    "  --no-token   writes need no token (the Host and Origin checks stay)\n";

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void OnStopSignal(int) { stopRequested = 1; }

int Usage(const std::string& problem) {
  std::cerr << "qenprops serve: " << problem << "\n" << kServeUsage;
  return kUsage;
}

// ParseListen reads "HOST:PORT" or "[IPV6]:PORT".
bool ParseListen(const std::string& text, std::string* host, int* port) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == text.size() || colon + 6 < text.size()) return false;
  const std::string digits = text.substr(colon + 1);
  if (digits.find_first_not_of("0123456789") != std::string::npos) return false;
  *host = text.substr(0, colon);
  *port = std::stoi(digits);
  const bool bracketed = host->front() == '[' && host->back() == ']';
  if (!bracketed && host->find(':') != std::string::npos) return false;
  return *port <= 65535;
}

}  // namespace

int Serve(int argc, char** argv) {
  Quenneth::server::ServerOptions options;
  std::string panelPath;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool takesValue = arg == "--panel" || arg == "--preset" || arg == "--listen" || arg == "--token";
    if (takesValue && i + 1 >= argc) return Usage(arg + " needs a value");
    if (arg == "--help" || arg == "-h") {
      std::cout << kServeUsage;
      return 0;
    } else if (arg == "--panel") {
      panelPath = argv[++i];
    } else if (arg == "--preset") {
      options.presetPath = argv[++i];
    } else if (arg == "--listen") {
      if (!ParseListen(argv[++i], &options.host, &options.port)) {
        return Usage("--listen takes HOST:PORT, such as 127.0.0.1:8080 or [::1]:0");
      }
    } else if (arg == "--token") {
      options.token = argv[++i];
      if (options.token.empty()) return Usage("--token needs a value (or use --no-token)");
    } else if (arg == "--no-token") {
      options.requireToken = false;
    } else {
      return Usage("unknown argument " + arg);
    }
  }
  if (!options.requireToken && !options.token.empty()) return Usage("--token and --no-token exclude each other");

  std::string description = Quenneth::host::SamplePanelDescription();
  std::string error;
  if (!panelPath.empty() && !Quenneth::host::ReadBoundedFile(panelPath, &description, &error)) {
    std::cerr << "qenprops serve: cannot read panel " << panelPath << ": " << error << "\n";
    return kUsage;
  }
  Quenneth::host::DocumentError problem;
  std::unique_ptr<Quenneth::host::Panel> panel = Quenneth::host::Panel::FromJson(description, &problem);
  if (!panel) {
    std::cerr << "qenprops serve: not a valid panel description: "
              << problem.Describe(panelPath.empty() ? "(built-in panel)" : panelPath) << "\n";
    return kUsage;
  }
  const std::string title = panel->Title();
  auto server = Quenneth::server::SettingsServer::Create(std::move(panel), options, &error);
  if (!server) {
    std::cerr << "qenprops serve: " << error << "\n";
    return kUsage;
  }
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  if (!server->Start(&error)) {
    std::cerr << "qenprops serve: " << error << "\n";
    return kUsage;
  }
  if (!server->PresetSummary().empty()) std::cout << server->PresetSummary() << "\n";
  std::cout << "Serving \"" << title << "\" at\n  " << server->Url() << "\nOpen that address in a browser; "
            << (options.requireToken ? "API writes need the header \"Authorization: Bearer " + server->Token() + "\". "
                                     : "")
            << "Ctrl+C stops the server." << std::endl;
  while (stopRequested == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  server->Stop();
  std::cout << "stopped" << std::endl;
  return 0;
}

}  // namespace qenprops
