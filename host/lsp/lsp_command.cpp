// `zoci lsp` (see commands.h): reads framed messages from standard input,
// hands them to the server, and writes its messages to standard output.
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "lsp_command.h"
#include "lsp_framing.h"
#include "lsp_inbox.h"
#include "lsp_inspections.h"
#include "lsp_scheduler.h"
#include "lsp_server.h"

namespace zoci {
namespace {

/// Writes whole messages to standard output.
class MessageWriter {
 public:
  void operator()(const nlohmann::json& message) {
    const std::string framed = Frame(message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    const std::lock_guard<std::mutex> lock(mutex_);
    std::fwrite(framed.data(), 1, framed.size(), stdout);
    std::fflush(stdout);
  }

 private:
  std::mutex mutex_;
};

/// Frames count bytes: no line-ending translation on the standard streams.
void UseBinaryStreams() {
#if defined(_WIN32)
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
}

/// Reads frames from standard input into `inbox` until the input ends.
void ReadMessages(const std::shared_ptr<Inbox>& inbox) {
  std::string body, error;
  for (;;) {
    const FrameStatus status = ReadFrame(std::cin, body, error);
    if (status == FrameStatus::end) break;
    inbox->Put(status == FrameStatus::malformed ? Incoming{nlohmann::json(), error} : Parsed(body));
  }
  inbox->Close();
}

}  // namespace

// Messages are read on a thread of their own, so that a cancellation reaches
// the request it names while that request still waits or runs. The reader is
// left blocked on the input after exit; the process ends it.
int RunLsp(const Options& options) {
  UseBinaryStreams();
  // An opened document's first run compiles without a preamble while one is
  // built beside it for the edits that follow: the editor waits for the
  // slower of the two, not their sum. ZOCI_PREAMBLE_BUILD set by the user wins.
  setenv("ZOCI_PREAMBLE_BUILD", "beside", /*overwrite=*/0);
  MessageWriter writer;
  EngineInspections inspections;
  InspectionScheduler scheduler(inspections, Debounce());
  LspServer server(options, scheduler, [&writer](const nlohmann::json& message) { writer(message); });
  scheduler.Attach(server);
  const auto inbox = std::make_shared<Inbox>();
  server.CheckCancellationsWith([inbox](const nlohmann::json& id) { return inbox->Cancelled(id); });
  server.TrackRunningRequestsWith([inbox](const nlohmann::json& id, bool running) { inbox->KeepRunning(id, running); });
  std::thread(ReadMessages, inbox).detach();
  while (const std::optional<Incoming> incoming = inbox->Take()) {
    if (!server.Handle(*incoming)) break;
  }
  scheduler.Stop();
  return server.ExitCode();
}

}  // namespace zoci
