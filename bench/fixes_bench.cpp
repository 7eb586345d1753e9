// How zoci's work grows with the number of fixes in one file, end to end
// through the real engine: `zoci fix` on a file with 10,000 fixes against one
// with 1,000, and the language server's answer to a request while it
// resolves "Fix all" for 3,000 fixes against the same request when idle;
// `zoci inspect --format json` on 50,000 diagnostics against 5,000, and the
// peak memory each diagnostic adds. Every measurement is wall time, set as
// manual time, except that memory, set as one nanosecond per byte.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "manual_time.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr const char* kChecks = "-*,modernize-use-nullptr";

/// A source with `fixes` use-nullptr fixes, one per small function.
std::string SourceWithFixes(int fixes) {
  std::ostringstream out;
  out << "// " << fixes << " functions, each with one comparison to fix.\n";
  for (int i = 0; i < fixes; ++i) {
    out << "int Read" << i << "(const int* from, int fallback) {\n"
        << "  if (from == 0) return fallback + " << i << ";\n"
        << "  return *from;\n"
        << "}\n";
  }
  return out.str();
}

/// A folder of its own for the measured files, removed at exit.
const zotest::TempDir& TheFolder() {
  static const zotest::TempDir folder;
  return folder;
}

/// Starts `words` with pipes to its standard input and from its standard
/// output (standard error goes nowhere); -1 on failure.
pid_t Spawn(const std::vector<std::string>& words, int& toChild, int& fromChild) {
  int in[2], out[2];
  if (pipe(in) != 0) return -1;
  if (pipe(out) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&actions, in[1]);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<char*> argv;
  for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  pid_t child = -1;
  if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) child = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  toChild = in[1];
  fromChild = out[0];
  return child;
}

/// What a finished run took.
struct RunCost {
  double seconds = 0;
  long peakKilobytes = 0;  ///< the largest resident set of the process
};

/// Runs `words` to its end. Throws when it fails.
RunCost MeasuredRun(const std::vector<std::string>& words) {
  int toChild = -1, fromChild = -1;
  const auto start = Clock::now();
  const pid_t child = Spawn(words, toChild, fromChild);
  if (child < 0) throw std::runtime_error("cannot start " + words[0]);
  close(toChild);
  char sink[4096];
  while (read(fromChild, sink, sizeof sink) > 0) {
  }
  close(fromChild);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const std::chrono::duration<double> wall = Clock::now() - start;
  if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) throw std::runtime_error(words[0] + " failed");
  return RunCost{wall.count(), usage.ru_maxrss};
}

/// Runs `words` to its end; its wall time in seconds. Throws when it fails.
double TimedRun(const std::vector<std::string>& words) { return MeasuredRun(words).seconds; }

/// `zoci fix` on a fresh copy of a source with `fixes` fixes.
double FixOnce(int fixes) {
  static std::map<int, std::string> sources;
  if (!sources.count(fixes)) sources[fixes] = SourceWithFixes(fixes);
  const fs::path file = TheFolder().Write("fix" + std::to_string(fixes) + ".cpp", sources[fixes]);
  return TimedRun({ZOCI_EXE, "fix", "--checks=" + std::string(kChecks), file.string()});
}

void BM_Fix1k(benchmark::State& state) {
  zotest::ReportManualTime(state, [] { return FixOnce(1000); });
}
void BM_Fix10k(benchmark::State& state) {
  zotest::ReportManualTime(state, [] { return FixOnce(10000); });
}

/// A source with `count` use-nullptr diagnostics, one per short line.
std::string SourceWithDiagnostics(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "int* p" + std::to_string(i) + " = 0;\n";
  return text;
}

/// The peak resident set of the latest JSON run of each size, in kilobytes.
std::map<int, long>& PeakKilobytes() {
  static std::map<int, long> peaks;
  return peaks;
}

/// `zoci inspect --format json` on a source with `count` diagnostics: every
/// fix is finalised, as JSON and SARIF report them. Every repetition runs
/// the engine: the result cache would answer all but the first.
double JsonOnce(int count) {
  static std::map<int, fs::path> files;
  if (!files.count(count)) {
    files[count] = TheFolder().Write("diagnostics" + std::to_string(count) + ".cpp", SourceWithDiagnostics(count));
  }
  const RunCost cost = MeasuredRun({ZOCI_EXE, "inspect", "--no-cache", "--format", "json",
                                    "--checks=" + std::string(kChecks), files[count].string()});
  PeakKilobytes()[count] = cost.peakKilobytes;
  return cost.seconds;
}

void BM_Json5k(benchmark::State& state) {
  zotest::ReportManualTime(state, [] { return JsonOnce(5000); });
}
void BM_Json50k(benchmark::State& state) {
  zotest::ReportManualTime(state, [] { return JsonOnce(50000); });
}

/// The peak memory each diagnostic adds between the two JSON runs, in bytes
/// (reported as nanoseconds).
void BM_JsonBytesPerDiagnostic(benchmark::State& state) {
  zotest::ReportManualTime(state, [] {
    const std::map<int, long>& peaks = PeakKilobytes();
    if (!peaks.count(5000) || !peaks.count(50000)) throw std::runtime_error("the JSON runs did not run");
    const double bytes = 1024.0 * static_cast<double>(peaks.at(50000) - peaks.at(5000)) / 45000;
    return bytes * 1e-9;
  });
}

/// A `zoci lsp` process with one open document, spoken to over its pipes.
class LspSession {
 public:
  explicit LspSession(const fs::path& file) : uri_("file://" + file.string()) {
    child_ = Spawn({ZOCI_EXE, "lsp", "--checks=" + std::string(kChecks)}, toChild_, fromChild_);
    if (child_ < 0) throw std::runtime_error("cannot start zoci lsp");
    input_ = fdopen(fromChild_, "rb");
    Call("initialize", {{"processId", nullptr}, {"rootUri", nullptr}, {"capabilities", json::object()}});
    Send({{"jsonrpc", "2.0"}, {"method", "initialized"}, {"params", json::object()}});
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Send({{"jsonrpc", "2.0"},
          {"method", "textDocument/didOpen"},
          {"params", {{"textDocument", {{"uri", uri_}, {"languageId", "cpp"}, {"version", 1}, {"text", text}}}}}});
    for (;;) {
      const json message = Receive();
      if (message.value("method", "") == "textDocument/publishDiagnostics" && !message["params"]["diagnostics"].empty())
        break;
    }
  }
  ~LspSession() {
    kill(child_, SIGKILL);
    waitpid(child_, nullptr, 0);
    if (input_) fclose(input_);
    close(toChild_);
  }

  /// The code actions at the start of the document: the request measured.
  json CodeActionsParams() const {
    const json at = {{"line", 2}, {"character", 14}};  // the first "0"
    return {{"textDocument", {{"uri", uri_}}}, {"range", {{"start", at}, {"end", at}}}};
  }
  /// Sends a request; its id.
  int Ask(const std::string& method, const json& params) {
    Send({{"jsonrpc", "2.0"}, {"id", ++lastId_}, {"method", method}, {"params", params}});
    return lastId_;
  }
  /// The answer to request `id`, skipping every other message.
  json AnswerTo(int id) {
    for (;;) {
      json message = Receive();
      if (message.contains("id") && !message.contains("method") && message["id"] == id) return message;
    }
  }
  json Call(const std::string& method, const json& params) { return AnswerTo(Ask(method, params)); }

 private:
  void Send(const json& message) {
    const std::string body = message.dump();
    const std::string framed = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    for (size_t written = 0; written < framed.size();) {
      const ssize_t n = write(toChild_, framed.data() + written, framed.size() - written);
      if (n <= 0) throw std::runtime_error("zoci lsp stopped reading");
      written += static_cast<size_t>(n);
    }
  }
  json Receive() {
    size_t length = 0;
    char line[256];
    while (std::fgets(line, sizeof line, input_) != nullptr) {
      const std::string header(line);
      if (header == "\r\n") break;
      if (header.rfind("Content-Length:", 0) == 0) length = std::stoul(header.substr(15));
    }
    std::string body(length, '\0');
    if (length == 0 || std::fread(body.data(), 1, length, input_) != length) throw std::runtime_error("zoci lsp ended");
    return json::parse(body);
  }

  std::string uri_;
  pid_t child_ = -1;
  int toChild_ = -1, fromChild_ = -1;
  FILE* input_ = nullptr;
  int lastId_ = 0;
};

LspSession& TheSession() {
  static LspSession session(TheFolder().Write("fixall.cpp", SourceWithFixes(3000)));
  return session;
}

/// The "Fix all" action the server offers for the document.
const json& FixAllAction() {
  static const json action = [] {
    const json actions = TheSession().Call("textDocument/codeAction", TheSession().CodeActionsParams())["result"];
    for (const json& offered : actions) {
      if (offered.value("title", "").rfind("Fix all", 0) == 0) return offered;
    }
    throw std::runtime_error("no Fix all action offered: " + actions.dump().substr(0, 300));
  }();
  return action;
}

double TimedRequest(LspSession& session) {
  const auto start = Clock::now();
  session.AnswerTo(session.Ask("textDocument/codeAction", session.CodeActionsParams()));
  const std::chrono::duration<double> wall = Clock::now() - start;
  return wall.count();
}

void BM_LspRequestIdle(benchmark::State& state) {
  zotest::ReportManualTime(state, [] { return TimedRequest(TheSession()); });
}

void BM_LspRequestDuringFixAll(benchmark::State& state) {
  zotest::ReportManualTime(state, [] {
    LspSession& session = TheSession();
    const int fixAll = session.Ask("codeAction/resolve", FixAllAction());
    const double seconds = TimedRequest(session);
    if (!session.AnswerTo(fixAll).contains("result")) throw std::runtime_error("Fix all failed");
    return seconds;
  });
}

#define ZOCI_FIXES_BENCH(name) \
  BENCHMARK(name)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond)
ZOCI_FIXES_BENCH(BM_Fix1k);
ZOCI_FIXES_BENCH(BM_Fix10k);
ZOCI_FIXES_BENCH(BM_LspRequestIdle);
ZOCI_FIXES_BENCH(BM_LspRequestDuringFixAll);
#define ZOCI_GROWTH_BENCH(name) \
  BENCHMARK(name)->UseManualTime()->Iterations(1)->Repetitions(3)->Unit(benchmark::kNanosecond)
ZOCI_GROWTH_BENCH(BM_Json5k);
ZOCI_GROWTH_BENCH(BM_Json50k);
ZOCI_GROWTH_BENCH(BM_JsonBytesPerDiagnostic);

}  // namespace

BENCHMARK_MAIN();
