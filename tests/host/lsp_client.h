// A language-server client for the end-to-end tests: runs `zoci lsp` with
// pipes for its standard streams and speaks the framed protocol to it.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace zotest {

class LspClient {
 public:
  /// Starts zoci with `arguments` in `folder`.
  LspClient(const std::filesystem::path& folder, const std::vector<std::string>& arguments);
  ~LspClient();
  LspClient(const LspClient&) = delete;
  LspClient& operator=(const LspClient&) = delete;

  void Notify(const std::string& method, const nlohmann::json& params);
  /// Sends a request and returns its response, keeping the messages read before it.
  nlohmann::json Request(const std::string& method, const nlohmann::json& params);
  /// The next message from the server that `wanted` accepts; the others are
  /// kept in `skipped`. Null when the server ends or says nothing for a minute.
  nlohmann::json Await(const std::function<bool(const nlohmann::json&)>& wanted);
  /// Closes the server's input and returns its exit code.
  int Finish();

  std::vector<nlohmann::json> skipped;

 private:
  void Write(const nlohmann::json& message);
  bool ReadMessage(nlohmann::json& message);

  pid_t pid_ = -1;
  int toServer_ = -1;
  int fromServer_ = -1;
  std::string buffered_;
  int lastId_ = 0;
};

}  // namespace zotest
