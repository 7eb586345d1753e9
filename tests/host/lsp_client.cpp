// The test client of `zoci lsp` (see lsp_client.h).
#include "lsp_client.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace zotest {
namespace {

/// A guard against a hanging server, not a measure of its speed.
constexpr int kSilenceLimitMs = 60000;

}  // namespace

LspClient::LspClient(const std::filesystem::path& folder, const std::vector<std::string>& arguments) {
  int in[2], out[2];
  if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("pipe failed");
  std::vector<std::string> words{ZOCI_EXE};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    close(in[1]);
    close(out[0]);
    if (chdir(folder.c_str()) != 0) _exit(127);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  toServer_ = in[1];
  fromServer_ = out[0];
  signal(SIGPIPE, SIG_IGN);  // a server that died is reported by Await, not by a signal
}

LspClient::~LspClient() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    Finish();
  }
}

void LspClient::Write(const nlohmann::json& message) {
  const std::string body = message.dump();
  const std::string framed = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  size_t written = 0;
  while (written < framed.size()) {
    const ssize_t n = write(toServer_, framed.data() + written, framed.size() - written);
    if (n <= 0) return;
    written += static_cast<size_t>(n);
  }
}

void LspClient::Notify(const std::string& method, const nlohmann::json& params) {
  Write({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
}

nlohmann::json LspClient::Request(const std::string& method, const nlohmann::json& params) {
  const int id = ++lastId_;
  Write({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
  return Await([id](const nlohmann::json& message) { return message.value("id", nlohmann::json()) == id; });
}

bool LspClient::ReadMessage(nlohmann::json& message) {
  for (;;) {
    const size_t headerEnd = buffered_.find("\r\n\r\n");
    if (headerEnd != std::string::npos) {
      const size_t length = std::strtoul(buffered_.c_str() + buffered_.find(':') + 1, nullptr, 10);
      if (buffered_.size() >= headerEnd + 4 + length) {
        message = nlohmann::json::parse(buffered_.substr(headerEnd + 4, length));
        buffered_.erase(0, headerEnd + 4 + length);
        return true;
      }
    }
    pollfd ready{fromServer_, POLLIN, 0};
    if (poll(&ready, 1, kSilenceLimitMs) <= 0) return false;
    char chunk[4096];
    const ssize_t n = read(fromServer_, chunk, sizeof chunk);
    if (n <= 0) return false;
    buffered_.append(chunk, static_cast<size_t>(n));
  }
}

nlohmann::json LspClient::Await(const std::function<bool(const nlohmann::json&)>& wanted) {
  nlohmann::json message;
  while (ReadMessage(message)) {
    if (wanted(message)) return message;
    skipped.push_back(message);
  }
  return nullptr;
}

int LspClient::Finish() {
  if (toServer_ >= 0) close(toServer_);
  toServer_ = -1;
  int status = 0;
  const pid_t pid = pid_;
  pid_ = -1;
  if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
  if (fromServer_ >= 0) close(fromServer_);
  fromServer_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace zotest
