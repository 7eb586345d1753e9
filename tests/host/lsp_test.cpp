// The language server without the engine, for what node_client/ cannot reach
// deterministically: framing, positions, paths, stale runs, cancellation, races.
#include <gtest/gtest.h>

#include <future>
#include <set>
#include <thread>

#include "file_uri.h"
#include "lsp_documents.h"
#include "lsp_framing.h"
#include "lsp_inbox.h"
#include "lsp_server.h"
#include "lsp_shapes.h"
#include "lsp_watched_files.h"
#include "text_codec.h"

namespace zoci {
namespace {

using nlohmann::json;

json Rpc(const std::string& method, const json& params, const json& id = nullptr) {
  json message = {{"jsonrpc", "2.0"}, {"method", method}};
  if (!params.is_null()) message["params"] = params;
  if (!id.is_null()) message["id"] = id;
  return message;
}
json At(int line, int character) { return {{"line", line}, {"character", character}}; }
json Span(int line, int from, int to) { return {{"start", At(line, from)}, {"end", At(line, to)}}; }
json Replace(int line, int from, int to, const std::string& text) {
  return {{"range", Span(line, from, to)}, {"text", text}};
}

TEST(LspFraming, ReadsFramesAndSkipsUnusableHeaders) {
  std::istringstream in(
      "content-length: 2\r\nContent-Type: x\r\n\r\n{}Content-Length: zz\r\n\r\nContent-Type: y\r\n\r\n" +
      Frame("[1,2,3]") + Frame("{\"a\":\"é\"}") + "Content-Length: 9\r\n\r\n{\"cut");
  std::string body, error;
  for (const char* expected : {"{}", "", "", "[1,2,3]", "{\"a\":\"é\"}"}) {
    ASSERT_EQ(ReadFrame(in, body, error), *expected ? FrameStatus::message : FrameStatus::malformed) << expected;
    EXPECT_EQ(*expected ? body : "", expected);
  }
  EXPECT_NE(error.find("Content-Length"), std::string::npos);
  EXPECT_EQ(ReadFrame(in, body, error), FrameStatus::end);  // the body is cut short
}

TEST(LspParsing, RefusesNestingDeeperThan128LevelsAndCountsNoBracketInAString) {
  const std::string deep = std::string(129, '[') + std::string(129, ']');
  EXPECT_NE(Parsed(deep).error.find("deeper than 128 levels"), std::string::npos);
  EXPECT_EQ(Parsed(deep.substr(1, 256)).error, "");
  const std::string text = "\"" + std::string(200, '[');  // its quote escaped in the message
  EXPECT_EQ(Parsed(json::array({text}).dump()).message, json::array({text}));
}

Incoming Cancel(const json& id) { return {Rpc("$/cancelRequest", {{"id", id}}), ""}; }

TEST(LspInbox, CancelsOnlyRequestsThatWaitOrRun) {
  Inbox inbox;
  inbox.Put({Rpc("a", {}, 1), ""});
  inbox.Put({Rpc("b", {}, "2"), ""});
  inbox.Put(Parsed("{\"cut"));
  for (const json& id : {json(2), json(7), json("2")}) inbox.Put(Cancel(id));  // 2 is not "2"; 7 never sent
  ASSERT_EQ(inbox.Take()->message["id"], 1);
  inbox.Put(Cancel(1));  // runs
  EXPECT_EQ((std::vector<bool>{inbox.Cancelled(1), inbox.Cancelled(2), inbox.Cancelled(7), inbox.Cancelled("2")}),
            (std::vector<bool>{true, false, false, true}));
  inbox.KeepRunning("2", true);  // answered later, off the message thread
  ASSERT_EQ(inbox.Take()->message["id"], "2");
  EXPECT_FALSE(inbox.Cancelled(1));  // answered: forgotten
  EXPECT_NE(inbox.Take()->error.find("not JSON"), std::string::npos);
  EXPECT_TRUE(inbox.Cancelled("2"));  // still running: its cancellation stays
  inbox.KeepRunning("2", false);
  EXPECT_FALSE(inbox.Cancelled("2"));
  inbox.KeepRunning(3, true);
  inbox.Put(Cancel(3));  // cancelled while it runs after its message
  EXPECT_TRUE(inbox.Cancelled(3));
  inbox.Close();
  EXPECT_FALSE(inbox.Take());
}

TEST(LspInbox, KeepsOrderWhileAReaderPutsAndCancels) {
  Inbox inbox;
  constexpr int kRequests = 500;
  std::thread reader([&inbox] {
    for (int id = 1; id <= kRequests; ++id) {
      inbox.Put({Rpc("textDocument/codeAction", {}, id), ""});
      if (id % 2 == 0) inbox.Put(Cancel(id - 1));
    }
    inbox.Close();
  });
  int expected = 1;
  while (const std::optional<Incoming> incoming = inbox.Take()) {
    EXPECT_EQ(incoming->message["id"], expected++);
    inbox.Cancelled(incoming->message["id"]);  // either answer is right: the cancel may come before or after
  }
  reader.join();
  EXPECT_EQ(expected, kRequests + 1);
}

TEST(LspDocuments, ChangesAndPositionsCountUnitsOfTheirEncoding) {
  OpenDocuments documents;
  documents.Open("file:///w/a.cpp", 1, u"é😀b\r\nxy");
  // "b" is after 1 + 2 units; the second change sees the first one's result.
  ASSERT_TRUE(documents.Change("file:///w/a.cpp", 2, json::array({Replace(0, 3, 4, "cd"), Replace(1, 0, 1, "")})));
  EXPECT_EQ(*documents.Find("file:///w/a.cpp")->text, u"é😀cd\r\ny");
  EXPECT_FALSE(documents.Change("file:///w/a.cpp", 3, json::array({Replace(0, 4, 1, "")})));  // backwards
  EXPECT_FALSE(documents.Change("file:///w/a.cpp", 3, json::array({{{"text", 5}}})));
  EXPECT_EQ(documents.Find("file:///w/a.cpp")->version, 2);
  const std::u16string text = u"a😀\nb", lines = u"a\rb\r\nc\n";
  const std::tuple<std::u16string, json, PositionEncoding, size_t> cases[] = {
      {text, At(0, 99), PositionEncoding::utf16, 3},  // clamps to the line's end
      {text, At(7, 0), PositionEncoding::utf16, 5},   // and past the last line to the text's end
      {lines, At(1, 1), PositionEncoding::utf16, 3},  // a lone "\r" ends a line as "\r\n" does
      {lines, At(2, 5), PositionEncoding::utf16, 6},
      {lines, At(3, 0), PositionEncoding::utf16, 7},  // the empty last line
      {text, At(0, 5), PositionEncoding::utf8, 3},    // "a" 1 byte, the pair 4
      {text, At(0, 3), PositionEncoding::utf8, 1},    // inside the pair: before it
      {u"\u07FF\u0800x", At(0, 5), PositionEncoding::utf8, 2},  // the last of two bytes, the first of three
      {u"\u007F\u0080x", At(0, 3), PositionEncoding::utf8, 2},  // the last of one byte, the first of two
  };
  for (const auto& [in, at, encoding, offset] : cases) EXPECT_EQ(OffsetOf(in, at, encoding), offset) << at;
  EXPECT_EQ(RangeOf(LineIndex(text), 1, 2, PositionEncoding::utf8), Span(0, 1, 5));
  EXPECT_EQ(RangeOf(LineIndex(lines), 5, 1, PositionEncoding::utf16), Span(2, 0, 1));  // "\r\n" ends one line
}

TEST(LspDocuments, PositionsAskedOneAfterAnotherCountAsPositionsAskedAlone) {
  const LineIndex lines(u"é😀b€ x😀y\r\nzé\n😀");
  // In text order, backwards, overlapping, across lines, between the units of a pair.
  const std::pair<uint32_t, uint32_t> spans[] = {{0, 1},  {1, 2},  {3, 2},  {6, 2},  {1, 1},  {8, 1}, {2, 7},
                                                 {11, 2}, {12, 0}, {14, 2}, {10, 1}, {15, 1}, {0, 16}};
  for (const PositionEncoding encoding : {PositionEncoding::utf8, PositionEncoding::utf16}) {
    const TextPositions positions(lines, encoding);
    for (const auto& [offset, length] : spans)
      EXPECT_EQ(positions.Range(offset, length), TextPositions(lines, encoding).Range(offset, length)) << offset;
  }
  EXPECT_EQ(RangeOf(lines, 6, 3, PositionEncoding::utf8), Span(0, 11, 16));  // "x😀" after 11 bytes
}

TEST(FileUris, NamePathsOfBothStylesBothWays) {
  const std::tuple<PathStyle, std::optional<std::string>, std::string, bool> cases[] = {
      {PathStyle::posix, "/w/Größe x.cpp", "file:///w/Gr%C3%B6%C3%9Fe%20x.cpp", true},
      {PathStyle::windows, "C:\\w\\a b.cpp", "file:///C:/w/a%20b.cpp", true},
      {PathStyle::windows, "\\\\server\\share\\a.cpp", "file://server/share/a.cpp", true},
      // What editors send: an escaped, lower-case drive; a "localhost" host.
      {PathStyle::windows, "C:\\w\\a.cpp", "file:///c%3A/w/a.cpp", false},
      {PathStyle::posix, "/w/a.cpp", "file://localhost/w/a.cpp", false},
      {PathStyle::posix, std::nullopt, "file://server/w/a.cpp", false},  // not on this machine
      {PathStyle::posix, std::nullopt, "untitled:1", false},
  };
  for (const auto& [style, path, uri, bothWays] : cases) {
    EXPECT_EQ(PathOfUri(uri, style), path) << uri;
    EXPECT_EQ(bothWays ? UriOfPath(*path, style) : uri, uri);
  }
}

/// Records what the server asks of it; its fixes are what the test sets.
class FakeBackend : public LspBackend {
 public:
  std::string Start(const Options& options) override {
    startedWith = options;
    return {};
  }
  void Opened(const std::string& uri) override { opened.push_back(uri); }
  void Changed(const std::string&) override {}
  void Cancel(const std::string& uri) override { cancelled.push_back(uri); }
  void Closed(const std::string& uri) override { closed.push_back(uri); }
  void FileTextChanged(const std::string& path) override { changedText.push_back(path); }
  std::vector<TextEdit> FinalFix(int32_t token) override {
    if (beforeFix) beforeFix();
    askedToken = token;
    return finalFix;
  }
  std::optional<std::vector<TextEdit>> FinalFixes(const std::vector<int32_t>& tokens) override {
    askedTogether = tokens;
    return finalFixes;
  }

  std::optional<Options> startedWith;
  std::vector<std::string> opened, cancelled, closed, changedText;
  std::vector<TextEdit> finalFix;
  std::atomic<int32_t> askedToken = 0;
  std::function<void()> beforeFix;  ///< runs at each fix asked for
  std::vector<int32_t> askedTogether;
  std::optional<std::vector<TextEdit>> finalFixes;  ///< none: the engine cannot finalise fixes together
};

class LspServerTest : public testing::Test {
 protected:
  LspServerTest() : server(Options{}, backend, [this](const json& message) { Record(message); }) {}

  /// What the server sends, from any of its threads.
  void Record(const json& message) {
    if (probeLockAtSend) lockFreeAtSend.push_back(ServerLockIsFree());
    const std::lock_guard<std::mutex> lock(sentMutex);
    sent.push_back(message);
    history.push_back(message);
    arrived.notify_all();
  }
  /// Hands the server the body `raw`; the messages it sent meanwhile.
  std::vector<json> SendRaw(const std::string& raw) {
    {
      const std::lock_guard<std::mutex> lock(sentMutex);
      sent.clear();
    }
    server.Handle(Parsed(raw));
    const std::lock_guard<std::mutex> lock(sentMutex);
    return sent;
  }
  std::vector<json> Send(const json& message) { return SendRaw(message.dump()); }
  /// Where the answer to `id` is among everything sent (waiting a minute at most); -1 when none comes.
  int PlaceOfAnswer(const json& id) {
    std::unique_lock<std::mutex> lock(sentMutex);
    const auto answer = [&] {
      return std::find_if(history.begin(), history.end(),
                          [&](const json& m) { return m.value("id", json()) == id && !m.contains("method"); });
    };
    arrived.wait_for(lock, std::chrono::seconds(60), [&] { return answer() != history.end(); });
    return answer() == history.end() ? -1 : static_cast<int>(answer() - history.begin());
  }
  json AwaitAnswer(const json& id) {
    const int place = PlaceOfAnswer(id);
    const std::lock_guard<std::mutex> lock(sentMutex);
    return place < 0 ? json() : history[static_cast<size_t>(place)];
  }
  /// Sends a request and leaves its answer to AwaitAnswer; its id.
  int Post(const std::string& method, const json& params) {
    Send(Rpc(method, params, ++lastId));
    return lastId;
  }
  json Request(const std::string& method, const json& params) {
    const auto replies = Send(Rpc(method, params, ++lastId));
    EXPECT_EQ(replies.size(), 1u);
    return replies.empty() ? json() : replies.back();
  }
  std::vector<json> Notify(const std::string& method, const json& params) { return Send(Rpc(method, params)); }
  std::vector<json> Change(int version, const json& change) {
    return Notify("textDocument/didChange",
                  {{"textDocument", {{"uri", kUri}, {"version", version}}}, {"contentChanges", {change}}});
  }
  void Initialize() {
    Request("initialize", json::parse(R"({"initializationOptions": {"checks": "-*,modernize-use-nullptr",
                                          "checkOptions": {"a.b": "1"}, "compileCommands": "/w/build"}})"));
  }
  void Open(const std::u16string& text) {
    Notify("textDocument/didOpen", {{"textDocument", {{"uri", kUri}, {"version", 1}, {"text", ToUtf8(text)}}}});
  }
  json CodeActions(int line, int character) {
    return Request("textDocument/codeAction",
                   {{"textDocument", {{"uri", kUri}}}, {"range", Span(line, character, character)}})["result"];
  }
  static int ErrorCode(const json& reply) { return reply["error"]["code"].get<int>(); }
  /// Whether another thread gets the server's lock (within 20 seconds).
  bool ServerLockIsFree() {
    auto taken = std::make_shared<std::promise<void>>();
    std::future<void> done = taken->get_future();
    std::thread([this, taken] {
      server.Snapshot(kUri);
      taken->set_value();
    }).detach();
    return done.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
  }

  const std::string kUri = "file:///w/a.cpp";
  const json kFixAll = FixAllAction("modernize-use-nullptr", kUri, 1);
  FakeBackend backend;
  std::mutex sentMutex;
  std::condition_variable arrived;
  std::vector<json> sent;     ///< during the last Send
  std::vector<json> history;  ///< everything, in order
  LspServer server;
  int lastId = 0;
  bool probeLockAtSend = false;  ///< Record asks ServerLockIsFree for each message
  std::vector<bool> lockFreeAtSend;
};

TEST_F(LspServerTest, BadMessagesGetErrorsAndTheServerCarriesOn) {
  Initialize();
  EXPECT_EQ(backend.startedWith->checkOptions.at("a.b"), "1");
  EXPECT_EQ(backend.startedWith->compileDatabaseDir, "/w/build");
  EXPECT_TRUE(Notify("initialized", json::object()).empty());  // the client watches no files for the server
  EXPECT_EQ(ErrorCode(Request("initialize", json::object())), -32600);
  // Each message, and the error code answered (0: no answer).
  const std::pair<std::string, int> cases[] = {
      {R"({"jsonrpc": "2.0", "id": 1,)", -32700},  // no JSON
      {"7", -32600},                                // no object
      {R"({"jsonrpc": "2.0", "id": 2, "method": 5})", -32600},
      {R"({"jsonrpc": "2.0", "id": 3, "method": "no/such"})", -32601},
      {R"({"jsonrpc": "2.0", "id": 4, "method": "textDocument/codeAction", "params": {"range": 1}})", -32602},
      {R"({"jsonrpc": "2.0", "method": "no/such"})", 0},
      {R"({"jsonrpc": "2.0", "method": "textDocument/didClose", "params": {}})", 0},  // malformed: dropped
      {R"({"jsonrpc": "2.0", "id": 9, "result": null})", 0},                         // a client's response
  };
  for (const auto& [raw, code] : cases) {
    const auto replies = SendRaw(raw);
    ASSERT_EQ(replies.size(), code ? 1u : 0u) << raw;
    EXPECT_EQ(replies.empty() ? 0 : ErrorCode(replies[0]), code) << raw;
  }
  sent.clear();
  server.Trace("not asked for");
  EXPECT_TRUE(sent.empty());
  Notify("$/setTrace", {{"value", "verbose"}});
  server.Trace("a run's log");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0]["params"], json({{"message", "a run's log"}}));
  EXPECT_TRUE(Request("shutdown", nullptr)["result"].is_null());
  EXPECT_EQ(ErrorCode(Request("textDocument/codeAction", json::object())), -32600);
  EXPECT_FALSE(server.Handle({Rpc("exit", nullptr), ""}));
  EXPECT_EQ(server.ExitCode(), 0);
}

/// A use-nullptr diagnostic on the "0" of `text`, with its own replacement.
Diagnostic NullDiagnostic(const std::u16string& text, int32_t claimToken, size_t from = 0) {
  const auto offset = static_cast<uint32_t>(text.find(u'0', from));
  return Diagnostic{"/w/a.cpp", "modernize-use-nullptr",          "use nullptr", false, false, offset,
                    1,          {TextEdit{offset, 1, "nullptr"}}, claimToken,    {},    {},    {}};
}

TEST_F(LspServerTest, AChangedOrSavedProjectFileInspectsEveryOpenDocumentAgainAndOtherFilesGoToTheScheduler) {
  const json reply = Request(
      "initialize", {{"capabilities", {{"workspace", {{"didChangeWatchedFiles", {{"dynamicRegistration", true}}}}}}}});
  EXPECT_EQ(reply["result"]["capabilities"]["textDocumentSync"]["save"], true);
  const std::vector<json> registered = Notify("initialized", json::object());
  ASSERT_EQ(registered.size(), 1u);
  EXPECT_EQ(registered[0]["method"], "client/registerCapability");
  const std::string sources = "**/*.{c,cc,cpp,cxx,c++,h,hh,hpp,hxx,h++,inl,ipp,tcc,tpp,inc,def,ixx,cppm";
  EXPECT_EQ(registered[0]["params"]["registrations"][0]["registerOptions"]["watchers"],
            json::array({json{{"globPattern", "**/compile_commands.json"}}, json{{"globPattern", "**/.clang-tidy"}},
                         json{{"globPattern", sources + "}"}}}));
  Options headers;
  headers.settings.headerExtensions = {".hpp", ".H", "tlh", ".{x}", "."};
  EXPECT_EQ(WatchFilesRequest(headers)["params"]["registrations"][0]["registerOptions"]["watchers"][2]["globPattern"],
            sources + ",H,tlh}");
  Open(u"int a;");
  Notify("textDocument/didOpen", {{"textDocument", {{"uri", "file:///w/b.cpp"}, {"version", 1}, {"text", ""}}}});
  backend.opened.clear();
  const auto changed = [](const std::string& uri) { return json{{"changes", {{{"uri", uri}, {"type", 2}}}}}; };
  // Changes on disk: of a file no document has open, and of the open ones (however the URI spells them), whose
  // text comes from the editor.
  for (const char* uri : {"file:///w/src/a.cpp", "file:///w/a.cpp", "file:///w/src/../b.cpp"})
    Notify("workspace/didChangeWatchedFiles", changed(uri));
  EXPECT_TRUE(backend.opened.empty());
  Notify("workspace/didChangeWatchedFiles", changed("file:///w/build/compile_commands.json"));
  EXPECT_EQ(backend.opened, (std::vector<std::string>{kUri, "file:///w/b.cpp"}));
  // Which documents read any other saved or closed file is the scheduler's to judge.
  backend.opened.clear();
  const auto saved = [](const std::string& uri) { return json{{"textDocument", {{"uri", uri}}}}; };
  Notify("textDocument/didSave", saved("file:///w/src/../inc/a.h"));
  EXPECT_TRUE(backend.opened.empty());
  Notify("textDocument/didSave", saved("file:///w/.clang-tidy"));
  EXPECT_EQ(backend.opened.size(), 2u);
  Notify("textDocument/didClose", {{"textDocument", {{"uri", "file:///w/b.cpp"}}}});
  EXPECT_EQ(backend.changedText, (std::vector<std::string>{"/w/src/a.cpp", "/w/inc/a.h", "/w/b.cpp"}));
}

TEST_F(LspServerTest, OnlyTheCurrentTextsDiagnosticsArePublishedAndTheirFixesResolved) {
  Initialize();
  Open(u"int* p = 0;\n");  // the suppression goes before the line break
  Change(2, Replace(0, 0, 0, "  "));
  sent.clear();
  server.Publish(kUri, 1, {NullDiagnostic(u"int* p = 0;", 5)});  // stale: the text changed since
  EXPECT_TRUE(sent.empty());
  server.Publish(kUri, 2, {NullDiagnostic(u"  int* p = 0;", 5)});
  ASSERT_EQ(sent.size(), 1u);

  const json actions = CodeActions(0, 11);
  ASSERT_EQ(actions.size(), 2u);
  EXPECT_EQ(CodeActions(0, 12), actions);  // the cursor just after it
  EXPECT_FALSE(actions[0].contains("edit"));  // resolved when chosen
  EXPECT_EQ(std::make_pair(actions[0].value("isPreferred", false), actions[1].value("isPreferred", false)),
            std::make_pair(true, false));
  const json suppress = {{"range", Span(0, 13, 13)}, {"newText", " // zoCI:skip:modernize-use-nullptr"}};
  EXPECT_EQ(actions[1]["edit"]["changes"][kUri], json::array({suppress}));
  backend.finalFix = {TextEdit{10, 1, "nullptr"}, TextEdit{0, 0, "/* x */"}};
  const json edits = Request("codeAction/resolve", actions[0])["result"]["edit"]["changes"][kUri];
  EXPECT_EQ(backend.askedToken.load(), 5);
  ASSERT_EQ(edits.size(), 2u);
  EXPECT_EQ(edits[0], json({{"range", Span(0, 10, 11)}, {"newText", "nullptr"}}));
  backend.finalFix.clear();  // the engine no longer has it: the run's own replacement
  EXPECT_EQ(Request("codeAction/resolve", actions[0])["result"]["edit"]["changes"][kUri].size(), 1u);

  Change(3, Replace(0, 0, 0, "x"));
  EXPECT_EQ(ErrorCode(Request("codeAction/resolve", actions[0])), -32602);  // offered for an older text
  EXPECT_TRUE(CodeActions(0, 11).empty());
  Notify("textDocument/didClose", {{"textDocument", {{"uri", kUri}}}});
  EXPECT_EQ(backend.closed, std::vector<std::string>{kUri});
}

TEST_F(LspServerTest, TheEngineAndTheClientAreReachedWithoutTheServersLock) {
  Request("initialize", {{"trace", "verbose"}});
  Open(u"int* p = 0;");
  std::vector<bool> lockFreeAtFix;
  backend.beforeFix = [&] { lockFreeAtFix.push_back(ServerLockIsFree()); };
  probeLockAtSend = true;
  server.Publish(kUri, 1, {NullDiagnostic(u"int* p = 0;", 5)});
  server.Trace("a run's log");
  server.ShowMessage(MessageType::warning, "a warning");
  Request("codeAction/resolve", CodeActions(0, 9)[0]);
  // A change that cannot apply clears the diagnostics, is shown, and ends the document's inspection.
  const auto refused = Change(2, {{"text", 5}});
  ASSERT_EQ(refused.size(), 2u);
  EXPECT_EQ(refused[0]["params"]["diagnostics"], json::array());
  EXPECT_EQ(refused[1]["method"], "window/showMessage");
  EXPECT_EQ(backend.closed, std::vector<std::string>{kUri});
  EXPECT_EQ(backend.changedText, std::vector<std::string>{"/w/a.cpp"});  // the others read the file now
  EXPECT_FALSE(server.Snapshot(kUri));
  Notify("textDocument/didClose", {{"textDocument", {{"uri", kUri}}}});
  probeLockAtSend = false;
  EXPECT_EQ(lockFreeAtFix, std::vector<bool>{true});
  EXPECT_EQ(lockFreeAtSend, std::vector<bool>(8, true));  // publish, trace, show, 2 answers, clear, refusal, clear
}

TEST_F(LspServerTest, CountsInUtf8WhenTheClientPrefersIt) {
  const json general = {{"positionEncodings", {"utf-8", "utf-16"}}};
  const json reply = Request("initialize", {{"capabilities", {{"general", general}}}});
  EXPECT_EQ(reply["result"]["capabilities"]["positionEncoding"], "utf-8");
  Open(u"é😀 p = 1;");
  Change(2, Replace(0, 11, 12, "0"));
  sent.clear();
  server.Publish(kUri, 2, {NullDiagnostic(*server.Snapshot(kUri)->buffers.at("/w/a.cpp"), 0)});
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0]["params"]["diagnostics"][0]["range"], Span(0, 11, 12));
}

TEST_F(LspServerTest, ProgressBeginsWhenTheClientHasCreatedItAndEndsOnce) {
  EXPECT_TRUE(server.BeginProgress(kUri, "before initialize").empty());
  Request("initialize", {{"capabilities", {{"window", {{"workDoneProgress", true}}}}}});
  sent.clear();
  const std::string token = server.BeginProgress(kUri, "inspecting a.cpp");
  ASSERT_EQ(sent.size(), 1u);
  server.EndProgress(token, "1 diagnostic");  // the run ended before the client answered
  const auto reports = Send({{"jsonrpc", "2.0"}, {"id", sent[0]["id"]}, {"result", nullptr}});
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0]["params"]["value"]["message"], "inspecting a.cpp");
  EXPECT_EQ(reports[1]["params"], json({{"token", token}, {"value", {{"kind", "end"}, {"message", "1 diagnostic"}}}}));
  // A report the client refused shows nothing; one it cancels switches the run off.
  sent.clear();
  const std::string refused = server.BeginProgress(kUri, "x");
  EXPECT_TRUE(Send({{"jsonrpc", "2.0"}, {"id", sent[0]["id"]}, {"error", {{"code", -1}, {"message", "no"}}}}).empty());
  server.EndProgress(refused, "x");
  const std::string running = server.BeginProgress(kUri, "y");
  Send({{"jsonrpc", "2.0"}, {"id", sent.back()["id"]}, {"result", nullptr}});
  for (const std::string& cancelled : {running, refused})
    Notify("window/workDoneProgress/cancel", {{"token", cancelled}});
  EXPECT_EQ(backend.cancelled, std::vector<std::string>{kUri});
}

/// Holds every fix the backend is asked for until Open (20 seconds at most, so
/// that a server waiting for its backend on the message thread fails, not hangs).
class FixGate {
 public:
  explicit FixGate(FakeBackend& backend) {
    backend.beforeFix = [future = opened_.get_future().share()] { future.wait_for(std::chrono::seconds(20)); };
  }
  void Open() { opened_.set_value(); }

 private:
  std::promise<void> opened_;
};

TEST_F(LspServerTest, FixAllRunsOffTheMessageThreadAndTakesEachFixOfTheCheckOnceWithoutOverlaps) {
  Initialize();
  const std::u16string text = u"int* p = 0; int* q = 0; int* r = 0;";
  Open(text);
  std::vector<Diagnostic> diagnostics;
  for (const size_t from : {0u, 10u, 22u}) diagnostics.push_back(NullDiagnostic(text, 1 + from, from));
  diagnostics.push_back(diagnostics[1]);    // a repeat
  diagnostics.back().fix[0].text = "NULL";  // the same range changed otherwise: both left out
  diagnostics.push_back(diagnostics[0]);
  diagnostics.back().check = "readability-x";
  server.Publish(kUri, 1, diagnostics);
  FixGate gate(backend);  // the engine has no final fixes: each run's own replacement
  const int fixAllId = Post("codeAction/resolve", kFixAll);
  const int otherId = lastId + 1;
  const json actions = CodeActions(0, 9);  // answered while the engine holds the fixes
  EXPECT_NE(std::find(actions.begin(), actions.end(), kFixAll), actions.end()) << actions;
  Change(2, Replace(0, 0, 0, " "));
  gate.Open();
  // The edits are for the text the action was offered on, though the document changed since.
  const json edits = AwaitAnswer(fixAllId)["result"]["edit"]["changes"][kUri];
  EXPECT_LT(PlaceOfAnswer(otherId), PlaceOfAnswer(fixAllId));
  ASSERT_EQ(edits.size(), 2u) << edits;
  for (size_t i = 0; i < 2; ++i) EXPECT_EQ(edits[i]["newText"], "nullptr") << edits;
  EXPECT_EQ(edits[1]["range"]["start"], At(0, 33));
  EXPECT_NE(backend.askedToken.load(), 0);
  // Where the engine finalises the fixes taken together, the edits are its.
  // Overlaps are judged on the run's own replacements, not on each fix's
  // cleanup alone (here the whole text).
  server.Publish(kUri, 2, diagnostics);
  backend.finalFix = {TextEdit{0, 35, "x"}};
  backend.askedTogether.clear();
  backend.finalFixes = std::vector<TextEdit>{{10, 1, "nullptr"}, {22, 2, ""}};
  const json together = AwaitAnswer(Post("codeAction/resolve", FixAllAction("modernize-use-nullptr", kUri, 2)));
  EXPECT_EQ(backend.askedTogether, (std::vector<int32_t>{1, 23}));
  ASSERT_EQ(together["result"]["edit"]["changes"][kUri].size(), 2u) << together;
  EXPECT_EQ(together["result"]["edit"]["changes"][kUri][1]["newText"], "");
}

TEST_F(LspServerTest, AFixAllCancelledWhileItRunsStopsWithTheCancellationError) {
  Initialize();
  const std::u16string text = u"int* p = 0; int* q = 0;";
  Open(text);
  server.Publish(kUri, 1, {NullDiagnostic(text, 1, 0), NullDiagnostic(text, 2, 10)});
  std::mutex trackMutex;
  std::set<json> cancelled;
  std::vector<std::pair<json, bool>> tracked;
  server.CheckCancellationsWith([&](const json& id) {
    const std::lock_guard<std::mutex> lock(trackMutex);
    return cancelled.count(id) > 0;
  });
  server.TrackRunningRequestsWith([&](const json& id, bool isRunning) {
    const std::lock_guard<std::mutex> lock(trackMutex);
    tracked.emplace_back(id, isRunning);
  });
  FixGate gate(backend);
  const int fixAllId = Post("codeAction/resolve", kFixAll);
  {
    const std::lock_guard<std::mutex> lock(trackMutex);
    cancelled.insert(json(fixAllId));  // the client cancels while the work runs
  }
  gate.Open();
  EXPECT_EQ(ErrorCode(AwaitAnswer(fixAllId)), -32800);
  EXPECT_LT(backend.askedToken.load(), 2);  // stopped before the second fix
  server.Handle({Rpc("exit", nullptr), ""});
  const std::lock_guard<std::mutex> lock(trackMutex);
  EXPECT_EQ(tracked, (std::vector<std::pair<json, bool>>{{json(fixAllId), true}, {json(fixAllId), false}}));
}

TEST_F(LspServerTest, RunsPublishWhileTheClientEdits) {
  Initialize();
  Open(u"int* p = 0;");
  std::thread worker([this] {  // what the inspection worker does, against the edits below
    for (int64_t version = 1; version <= 200; ++version) {
      if (const auto snapshot = server.Snapshot(kUri))
        server.Publish(kUri, snapshot->version, {NullDiagnostic(*snapshot->buffers.begin()->second, 0)});
      server.EndProgress(server.BeginProgress(kUri, "x"), "y");
    }
  });
  for (int version = 2; version <= 200; ++version) Change(version, Replace(0, 0, 0, " "));
  worker.join();
  EXPECT_EQ(server.Snapshot(kUri)->version, 200);
}

}  // namespace
}  // namespace zoci
