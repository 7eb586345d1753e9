// Server-started progress reports (see lsp_progress.h).
#include "lsp_progress.h"

namespace zoci {
namespace {

using nlohmann::json;

/// Create requests are numbered like their tokens, under a prefix of their own.
const std::string kTokenPrefix = "zoci/inspect/";
const std::string kCreatePrefix = "zoci/create/";

}  // namespace

std::string ProgressReports::Begin(const std::string& subject, const std::string& title, const std::string& message) {
  if (!enabled_) return {};
  const std::string number = std::to_string(++lastToken_);
  const std::string token = kTokenPrefix + number;
  reports_[token] = Report{subject, title, message, false, std::nullopt};
  send_(json{{"jsonrpc", "2.0"},
             {"id", kCreatePrefix + number},
             {"method", "window/workDoneProgress/create"},
             {"params", {{"token", token}}}});
  return token;
}

void ProgressReports::End(const std::string& token, const std::string& message) {
  const auto report = reports_.find(token);
  if (report == reports_.end()) return;
  if (!report->second.begun) {
    report->second.endMessage = message;
    return;
  }
  SendProgress(token, {{"kind", "end"}, {"message", message}});
  reports_.erase(report);
}

bool ProgressReports::Answered(const json& response) {
  const json id = response.value("id", json());
  if (!id.is_string() || !id.get<std::string>().starts_with(kCreatePrefix)) return false;
  const std::string token = kTokenPrefix + id.get<std::string>().substr(kCreatePrefix.size());
  const auto report = reports_.find(token);
  if (report == reports_.end()) return true;
  if (response.contains("error")) {  // the client will show nothing for it
    reports_.erase(report);
    return true;
  }
  Report& started = report->second;
  started.begun = true;
  SendProgress(token,
               {{"kind", "begin"}, {"title", started.title}, {"message", started.message}, {"cancellable", true}});
  if (started.endMessage) End(token, *started.endMessage);
  return true;
}

std::optional<std::string> ProgressReports::SubjectOf(const std::string& token) const {
  const auto report = reports_.find(token);
  if (report == reports_.end()) return std::nullopt;
  return report->second.subject;
}

void ProgressReports::SendProgress(const std::string& token, json value) {
  send_(
      json{{"jsonrpc", "2.0"}, {"method", "$/progress"}, {"params", {{"token", token}, {"value", std::move(value)}}}});
}

}  // namespace zoci
