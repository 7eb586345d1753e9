// Work-done progress reports the server starts itself while it inspects a
// document. Each report is first created on the client
// ("window/workDoneProgress/create") and begins only once the client has
// agreed; an end that comes before that is held until then, so the client
// never sees a report end before it began. Not thread-safe: the server's lock
// guards it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace zoci {

class ProgressReports {
 public:
  using Send = std::function<void(const nlohmann::json&)>;

  explicit ProgressReports(Send send) : send_(std::move(send)) {}

  /// Whether the client said it shows progress the server starts.
  void Enable(bool enabled) { enabled_ = enabled; }
  /// Starts a report about `subject` (a document's URI) that the client may
  /// cancel; its token, empty when the client shows no progress.
  std::string Begin(const std::string& subject, const std::string& title, const std::string& message);
  /// Ends the report `token` (nothing for an empty token).
  void End(const std::string& token, const std::string& message);
  /// Takes the client's answer to a create request; false when `response` answers something else.
  bool Answered(const nlohmann::json& response);
  /// The subject of the report `token` while it runs.
  std::optional<std::string> SubjectOf(const std::string& token) const;

 private:
  struct Report {
    std::string subject, title, message;
    bool begun = false;
    std::optional<std::string> endMessage;  ///< set when the run ended before the report began
  };

  void SendProgress(const std::string& token, nlohmann::json value);

  Send send_;
  bool enabled_ = false;
  uint64_t lastToken_ = 0;
  std::map<std::string, Report> reports_;  ///< by token
};

}  // namespace zoci
