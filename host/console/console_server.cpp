// hostsim-console: the operator console's web server, started by
// `hostsim console` (host/commands/cli_console.cpp) with its checked
// options:
//   hostsim-console --port N --sandbox DIR --lang N --listen ADDR
// It serves the page and its requests; every operation runs in a process
// of its own (hostsim-operation, beside this program). Built for the build
// machine itself, with Debian's cpp-httplib.
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <httplib.h>
#include <string>
#include <thread>

#include "host/console/console_json.h"
#include "host/console/console_safety.h"
#include "host/console/console_state.h"

namespace host {

extern const char kConsolePage[];

namespace {

namespace fs = std::filesystem;

struct Settings {
  int port = 0;
  std::string sandbox = ".";
  uint32_t language = 9;
  std::string listen = "127.0.0.1";
};

// Files the page may pick (below the sandbox, no hidden ones).
constexpr size_t kMaxListedFiles = 2000;
constexpr int kMaxListedDepth = 8;
// How long an event stream waits before it sends a keep-alive line.
constexpr int kStreamIdleMs = 10000;

std::string ProgramFolder() {
  char self[PATH_MAX] = {};
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  return n > 0 ? fs::path(std::string(self, static_cast<size_t>(n))).parent_path().string() : ".";
}

void Reply(httplib::Response& res, int status, const std::string& json) {
  res.status = status;
  res.set_content(json, "application/json");
}

void Refuse(httplib::Response& res, int status, const std::string& reason) {
  Reply(res, status, "{\"error\":" + JsonString(reason) + "}");
}

std::string FilesJson(const std::string& root) {
  std::vector<std::string> files;
  std::error_code error;
  fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error), end;
  for (; !error && it != end && files.size() < kMaxListedFiles; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (!name.empty() && name[0] == '.') {
      if (it->is_directory()) it.disable_recursion_pending();
      continue;
    }
    if (it.depth() >= kMaxListedDepth) it.disable_recursion_pending();
    if (!it->is_regular_file()) continue;
    files.push_back(fs::relative(it->path(), root).generic_string());
  }
  std::sort(files.begin(), files.end());
  std::string json = "[";
  for (const std::string& f : files) json += (json.size() > 1 ? "," : "") + JsonString(f);
  return json + "]";
}

// Writes `text` to `path` whole or not at all: a temporary file beside it,
// renamed over it once written and flushed.
std::string WriteWhole(const std::string& path, const std::string& text) {
  std::error_code error;
  fs::create_directories(fs::path(path).parent_path(), error);
  if (error) return "cannot create the folder: " + error.message();
  std::string pattern = (fs::path(path).parent_path() / ".console-XXXXXX").string();
  int fd = mkstemp(pattern.data());
  if (fd < 0) return "cannot write in the folder";
  bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ok = fsync(fd) == 0 && ok;
  ok = close(fd) == 0 && ok;
  if (!ok || rename(pattern.c_str(), path.c_str()) != 0) {
    unlink(pattern.c_str());
    return "writing the file failed";
  }
  return "";
}

std::map<std::string, std::string> OptionParams(const httplib::Request& req) {
  std::map<std::string, std::string> given;
  for (const auto& [name, value] : req.params)
    if (name.rfind("opt", 0) == 0) given[name.substr(3)] = value;
  return given;
}

void Routes(httplib::Server& server, ConsoleState& state) {
  server.Get("/", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Cache-Control", "no-store");
    res.set_content(kConsolePage, "text/html; charset=utf-8");
  });
  server.Get("/api/operations", [&state](const httplib::Request&, httplib::Response& res) {
    Reply(res, 200, "{\"language\":" + std::to_string(state.language()) + ",\"sandbox\":" +
                        JsonString(state.sandbox()) + ",\"operations\":" + OperationsJson() + "}");
  });
  server.Get("/api/files", [&state](const httplib::Request&, httplib::Response& res) {
    Reply(res, 200, FilesJson(state.sandbox()));
  });
  server.Post("/api/start", [&state](const httplib::Request& req, httplib::Response& res) {
    const std::string refused = state.Start(req.get_param_value("operation"), OptionParams(req));
    if (!refused.empty()) return Refuse(res, 400, refused);
    Reply(res, 200, "{\"ok\":true}");
  });
  server.Post("/api/stop", [&state](const httplib::Request&, httplib::Response& res) {
    state.Stop();
    Reply(res, 200, "{\"ok\":true}");
  });
  server.Post("/api/key", [&state](const httplib::Request& req, httplib::Response& res) {
    const std::string code = req.get_param_value("code");
    char* end = nullptr;
    const long value = strtol(code.c_str(), &end, 10);
    if (code.empty() || *end || value < 0 || value > 255) return Refuse(res, 400, "code: a key code 0 to 255");
    const std::string refused = state.Key(static_cast<int>(value));
    if (!refused.empty()) return Refuse(res, 409, refused);
    Reply(res, 200, "{\"ok\":true}");
  });
  server.Post("/api/record", [&state](const httplib::Request& req, httplib::Response& res) {
    const std::string name = req.get_param_value("name");
    std::string path;
    const std::string refused = SandboxPath(state.sandbox(), name, &path);
    if (!refused.empty()) return Refuse(res, 400, "script file: " + refused);
    std::string script, command;
    bool is_script = false;
    uint64_t frame = 0;
    if (!state.Recording(name, "OUT.png", &script, &command, &is_script, &frame))
      return Refuse(res, 409, "no operation ran yet");
    if (is_script) {
      const std::string failed = WriteWhole(path, script);
      if (!failed.empty()) return Refuse(res, 500, name + ": " + failed);
      state.Log("host", "keys saved in " + name);
    }
    Reply(res, 200, "{\"script\":" + JsonString(is_script ? script : "") + ",\"path\":" +
                        JsonString(is_script ? name : "") + ",\"command\":" + JsonString(command) +
                        ",\"frame\":" + std::to_string(frame) + "}");
  });
  server.Get("/api/state", [&state](const httplib::Request&, httplib::Response& res) {
    const ConsoleProgress p = state.Progress();
    Reply(res, 200, "{\"operation\":" + JsonString(p.operation) + ",\"status\":" + JsonString(p.status) +
                        ",\"keys\":" + std::to_string(p.keys_sent) + ",\"ready\":" +
                        std::to_string(p.keys_ready) + ",\"frame\":" + std::to_string(p.frame) + "}");
  });
  server.Get("/frame.png", [&state](const httplib::Request&, httplib::Response& res) {
    uint64_t number = 0;
    std::vector<uint8_t> png = state.FramePng(&number);
    if (png.empty()) return Refuse(res, 404, "nothing drawn yet");
    res.set_header("Cache-Control", "no-store");
    res.set_header("X-Frame", std::to_string(number));
    res.set_content(std::string(png.begin(), png.end()), "image/png");
  });
  server.Get("/events", [&state](const httplib::Request&, httplib::Response& res) {
    res.set_header("Cache-Control", "no-store");
    auto frame = std::make_shared<uint64_t>(0), event = std::make_shared<uint64_t>(0);
    res.set_chunked_content_provider("text/event-stream", [&state, frame, event](size_t, httplib::DataSink& sink) {
      const ConsoleView view = state.Wait(*frame, *event, kStreamIdleMs);
      if (view.stopping) {
        sink.done();
        return true;
      }
      // The frame first: a result that follows a key is drawn before it is
      // reported, and the page sees it in that order.
      std::string out;
      // The picture rides in the event: one step less than the page
      // fetching it after the announcement.
      if (view.frame != *frame) {
        uint64_t number = 0;
        const std::vector<uint8_t> png = state.FramePng(&number);
        out += "event: frame\ndata: " + std::to_string(number) + " " + view.drawn_ms + " " + Base64(png) + "\n\n";
        *frame = number;
      }
      for (const ConsoleEvent& e : view.events) {
        out += "event: log\ndata: {\"id\":" + std::to_string(e.id) + ",\"kind\":" + JsonString(e.kind) +
               ",\"text\":" + JsonString(e.text) + "}\n\n";
        *event = e.id;
      }
      if (out.empty()) out = ": idle\n\n";
      return sink.write(out.data(), out.size());
    });
  });
}

Settings ParseSettings(int argc, char** argv) {
  Settings s;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i], value = argv[i + 1];
    if (name == "--port") s.port = atoi(value.c_str());
    else if (name == "--sandbox") s.sandbox = value;
    else if (name == "--lang") s.language = static_cast<uint32_t>(atoi(value.c_str()));
    else if (name == "--listen") s.listen = value;
  }
  return s;
}

int Serve(const Settings& settings) {
  char real[PATH_MAX];
  if (!realpath(settings.sandbox.c_str(), real) || !fs::is_directory(real)) {
    fprintf(stderr, "hostsim: --sandbox %s: no such folder\n", settings.sandbox.c_str());
    return 3;
  }
  // The operation's end shows as a closed pipe, not a signal.
  signal(SIGPIPE, SIG_IGN);
  // Interrupts are taken by one thread, which stops the server; the
  // others never see them.
  sigset_t stops;
  sigemptyset(&stops);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, s);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);

  ConsoleState state(real, settings.language, ProgramFolder() + "/hostsim-operation");
  httplib::Server server;
  // Small writes (an event, a frame) go out at once, not held back to be
  // joined with the next.
  server.set_tcp_nodelay(true);
  const std::vector<std::string> names = ConsoleHostNames(settings.listen);
  int port = settings.port;
  server.set_pre_routing_handler([&names, &port](const httplib::Request& req, httplib::Response& res) {
    if (HostIsConsole(req.get_header_value("Host"), names, port) &&
        OriginIsConsole(req.get_header_value("Origin"), names, port))
      return httplib::Server::HandlerResponse::Unhandled;
    Refuse(res, 403, "this console answers its own page only (Host or Origin is foreign)");
    return httplib::Server::HandlerResponse::Handled;
  });
  Routes(server, state);
  if (settings.port == 0) port = server.bind_to_any_port(settings.listen);
  else if (!server.bind_to_port(settings.listen, settings.port)) port = -1;
  if (port <= 0) {
    fprintf(stderr, "hostsim: cannot listen on %s port %d\n", settings.listen.c_str(), settings.port);
    return 3;
  }
  std::thread stopper([&] {
    int signal_number = 0;
    sigwait(&stops, &signal_number);
    state.Shutdown();
    server.stop();
  });
  stopper.detach();
  const std::string host = settings.listen.find(':') != std::string::npos ? "[" + settings.listen + "]" : settings.listen;
  printf("hostsim console: open http://%s:%d/ (sandbox %s; Ctrl-C ends it)\n", host.c_str(), port, real);
  fflush(stdout);
  state.Log("host", "console ready; sandbox " + std::string(real));
  server.listen_after_bind();
  state.Shutdown();
  state.Stop();
  return 0;
}

}  // namespace
}  // namespace host

int main(int argc, char** argv) { return host::Serve(host::ParseSettings(argc, argv)); }
