// Reading the client's messages into typed parameters (see lsp_protocol.h).
#include "lsp_protocol.h"

namespace zoci {
namespace {

using nlohmann::json;

const json& Member(const json& object, const char* name) { return object.at(name); }

/// The member `name` of `object`, or an empty object when it is missing.
json Optional(const json& object, const char* name) {
  return object.is_object() ? object.value(name, json::object()) : json::object();
}

/// UTF-8 when the client prefers it to UTF-16, else UTF-16 (which every client supports).
PositionEncoding ChosenEncoding(const json& capabilities) {
  for (const json& encoding : Optional(Optional(capabilities, "general"), "positionEncodings")) {
    if (encoding == "utf-16") return PositionEncoding::utf16;
    if (encoding == "utf-8") return PositionEncoding::utf8;
  }
  return PositionEncoding::utf16;
}

InitializationOptions InitializationOptionsOf(const json& given) {
  InitializationOptions options;
  if (!given.is_object()) return options;
  if (given.contains("checks")) options.checks = given.at("checks").get<std::string>();
  if (given.contains("checkOptions")) {
    for (const auto& [name, value] : given.at("checkOptions").items())
      options.checkOptions[name] = value.get<std::string>();
  }
  if (given.contains("compileCommands")) options.compileCommands = given.at("compileCommands").get<std::string>();
  return options;
}

}  // namespace

void from_json(const json& /*given*/, NoParams& /*params*/) {}

void from_json(const json& given, InitializeParams& params) {
  const json capabilities = Optional(given, "capabilities");
  params.options = InitializationOptionsOf(given.is_object() ? given.value("initializationOptions", json()) : json());
  params.encoding = ChosenEncoding(capabilities);
  params.showsProgress = Optional(capabilities, "window").value("workDoneProgress", false);
  params.tracing = given.is_object() && given.value("trace", "off") != "off";
  params.watchesFiles =
      Optional(Optional(capabilities, "workspace"), "didChangeWatchedFiles").value("dynamicRegistration", false);
}

void from_json(const json& given, SetTraceParams& params) {
  params.tracing = Member(given, "value").get<std::string>() != "off";
}

void from_json(const json& given, ProgressCancelParams& params) {
  params.token = Member(given, "token").get<std::string>();
}

void from_json(const json& given, DidOpenParams& params) {
  const json& document = Member(given, "textDocument");
  params.uri = Member(document, "uri").get<std::string>();
  params.version = Member(document, "version").get<int64_t>();
  params.text = Utf16Of(Member(document, "text"));
}

void from_json(const json& given, DidChangeParams& params) {
  const json& document = Member(given, "textDocument");
  params.uri = Member(document, "uri").get<std::string>();
  params.version = Member(document, "version").get<int64_t>();
  params.contentChanges = Member(given, "contentChanges");
}

void from_json(const json& given, WatchedFilesParams& params) {
  for (const json& change : Member(given, "changes")) params.uris.push_back(Member(change, "uri").get<std::string>());
}

void from_json(const json& given, DocumentParams& params) {
  params.uri = Member(Member(given, "textDocument"), "uri").get<std::string>();
}

void from_json(const json& given, CodeActionParams& params) {
  params.uri = Member(Member(given, "textDocument"), "uri").get<std::string>();
  params.start = Member(Member(given, "range"), "start");
  params.end = Member(Member(given, "range"), "end");
}

void from_json(const json& given, ResolveParams& params) {
  const json& data = Member(given, "data");
  params.action = given;
  params.uri = Member(data, "uri").get<std::string>();
  params.version = Member(data, "version").get<int64_t>();
  if (data.contains("check")) params.check = data.at("check").get<std::string>();
  else params.index = Member(data, "index").get<size_t>();
}

json ResultAnswer(const json& id, json result) {
  return json{{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
}

json ErrorAnswer(const json& id, int code, const std::string& message) {
  return json{{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

json NotificationMessage(const std::string& method, json params) {
  return json{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

}  // namespace zoci
