// `zoci lsp` end to end under load and abuse: a thousand random edits of a
// document with non-ASCII text and surrogate pairs, a close while its run is
// due, and messages no client should send. The editor-like session (edits
// that move a diagnostic, a quick fix applied) is node_client/lsp_client.mjs.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "file_uri.h"
#include "lsp_client.h"
#include "lsp_documents.h"
#include "support/temp_dir.h"
#include "text_codec.h"
#include "text_lines.h"

namespace zoci {
namespace {

using nlohmann::json;

const std::string kSource =
    "// Größe – 5 €\n"
    "int* Pick(const char* s) { const char* t = \"é😀\"; int* p = 0; return *s == *t ? p : p; }\n";

json At(size_t line, size_t character) { return {{"line", line}, {"character", character}}; }

/// The UTF-16 column of the first `what` on `line` of the UTF-8 `text`.
size_t Utf16Column(const std::string& text, size_t line, const std::u16string& what) {
  std::u16string wide;
  EXPECT_TRUE(FromUtf8(text, wide));
  size_t start = 0;
  for (size_t i = 0; i < line; ++i) start = wide.find(u'\n', start) + 1;
  return wide.find(what, start) - start;
}

class ZociLsp : public testing::Test {
 protected:
  ZociLsp() : file(folder.Write("pick.cpp", kSource)), uri(UriOfPath(file.string())), client(folder.Path(), {"lsp"}) {}

  /// The diagnostics published for `version`; those of other versions are skipped.
  json DiagnosticsOf(int version) {
    const json published = client.Await([version](const json& message) {
      return message.value("method", "") == "textDocument/publishDiagnostics" && message["params"].value("version", -1) == version;
    });
    return published.is_null() ? json() : published["params"]["diagnostics"];
  }

  void Start() {
    const json init = client.Request("initialize", {{"processId", nullptr}, {"rootUri", UriOfPath(folder.Path().string())},
                                                    {"capabilities", json::object()},
                                                    {"initializationOptions", {{"checks", "-*,modernize-use-nullptr"}}}});
    ASSERT_EQ(init["result"]["capabilities"]["positionEncoding"], "utf-16") << init;
    client.Notify("initialized", json::object());
    client.Notify("textDocument/didOpen", {{"textDocument", {{"uri", uri}, {"languageId", "cpp"}, {"version", 1}, {"text", kSource}}}});
  }

  zotest::TempDir folder;
  std::filesystem::path file;
  std::string uri;
  zotest::LspClient client;
};

/// A random edit of `text` that splits no surrogate pair, applied to it; the LSP change.
json RandomEdit(std::u16string& text, std::mt19937& random) {
  static const std::u16string kInserts[] = {u"x", u"é", u"😀", u"\n", u" 0;", u""};
  const auto boundary = [&text](size_t offset) {
    const bool inPair = offset > 0 && offset < text.size() && (text[offset] & 0xFC00) == 0xDC00;
    return inPair ? offset + 1 : offset;
  };
  const size_t start = boundary(random() % (text.size() + 1));
  const size_t end = boundary(std::min(text.size(), start + random() % 4));
  const std::u16string& insert = kInserts[random() % std::size(kInserts)];
  const LineIndex lines(text);
  const auto at = [&lines](size_t offset) {
    const Position position = lines.PositionOf(static_cast<uint32_t>(offset));
    return At(position.line - 1, position.column - 1);
  };
  const json change = {{"range", {{"start", at(start)}, {"end", at(end)}}}, {"text", ToUtf8(insert)}};
  text.replace(start, end - start, insert);
  return change;
}

TEST_F(ZociLsp, AThousandRandomEditsAndACloseLeaveNoStaleDiagnostics) {
  ASSERT_NO_FATAL_FAILURE(Start());
  std::u16string text;
  ASSERT_TRUE(FromUtf8(kSource, text));
  std::mt19937 random(13);
  constexpr int kLastEdit = 1001;
  for (int version = 2; version <= kLastEdit; ++version) {
    const json change = RandomEdit(text, random);
    client.Notify("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", version}}}, {"contentChanges", {change}}});
  }
  const json check = {{"textDocument", {{"uri", uri}}}, {"range", {{"start", At(0, 0)}, {"end", At(0, 0)}}}};
  ASSERT_TRUE(client.Request("textDocument/codeAction", check).contains("result"));  // it kept up and still answers
  client.Notify("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", kLastEdit + 1}}}, {"contentChanges", {{{"text", kSource}}}}});
  const json last = DiagnosticsOf(kLastEdit + 1);
  ASSERT_EQ(last.size(), 1u) << last;
  EXPECT_EQ(last[0]["range"]["start"], At(1, Utf16Column(kSource, 1, u"0;")));
  // Closed while its newest text waits or runs: the close's empty list is the last word.
  client.Notify("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", kLastEdit + 2}}}, {"contentChanges", {{{"text", kSource}}}}});
  client.Notify("textDocument/didClose", {{"textDocument", {{"uri", uri}}}});
  const json closed = client.Await([](const json& message) {
    return message.value("method", "") == "textDocument/publishDiagnostics" && !message["params"].contains("version");
  });
  EXPECT_EQ(closed["params"]["diagnostics"], json::array());
  client.skipped.clear();
  EXPECT_TRUE(client.Request("shutdown", nullptr)["result"].is_null());
  for (const json& late : client.skipped) EXPECT_NE(late.value("method", ""), "textDocument/publishDiagnostics") << late;
  client.Notify("exit", nullptr);
  EXPECT_EQ(client.Finish(), 0);
}

TEST_F(ZociLsp, SurvivesGarbageAndEndsWithoutShutdown) {
  const json reply = client.Request("initialize", {{"capabilities", json::object()}, {"initializationOptions", {{"checks", 5}}}});
  EXPECT_EQ(reply["error"]["code"], -32602) << reply;
  client.Notify("textDocument/didOpen", {{"textDocument", 1}});
  EXPECT_EQ(client.Request("textDocument/codeAction", json::object())["error"]["code"], -32002);
  EXPECT_EQ(client.Finish(), 1);  // the input ended without shutdown and exit
}

}  // namespace
}  // namespace zoci
