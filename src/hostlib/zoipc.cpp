#include "hostlib/zoipc.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <utility>

namespace zoIPC {

bool clangtidy_convert_to_utf8 = true;

namespace {

std::mutex& SettingsMutex() {
  static std::mutex mutex;
  return mutex;
}

LogSink& CurrentSink() {
  static LogSink sink;
  return sink;
}

FolderChooser& CurrentChooser() {
  static FolderChooser chooser;
  return chooser;
}

std::atomic<uint32_t> ansiCodePage{1252};

}  // namespace

namespace host {

void SetLogSink(LogSink sink) {
  std::lock_guard lock(SettingsMutex());
  CurrentSink() = std::move(sink);
}

void SetConvertToUtf8(bool on) { clangtidy_convert_to_utf8 = on; }

void SetAnsiCodePage(uint32_t codePage) { ansiCodePage = codePage; }

uint32_t AnsiCodePage() { return ansiCodePage; }

void SetFolderChooser(FolderChooser chooser) {
  std::lock_guard lock(SettingsMutex());
  CurrentChooser() = std::move(chooser);
}

std::optional<std::string> ChooseFolder(const std::string& title) {
  FolderChooser chooser;
  {
    std::lock_guard lock(SettingsMutex());
    chooser = CurrentChooser();
  }
  if (!chooser) return std::nullopt;
  return chooser(title);
}

}  // namespace host
}  // namespace zoIPC

namespace Quillfern::ZoCodeInspections::Logging {

void Log(Level level, const std::string& text) {
  zoIPC::LogSink sink;
  {
    std::lock_guard lock(zoIPC::SettingsMutex());
    sink = zoIPC::CurrentSink();
  }
  if (sink) {
    sink(level, text);
    return;
  }
  std::fprintf(stderr, "[zoIPC %d] %s\n", static_cast<int>(level), text.c_str());
}

}  // namespace Quillfern::ZoCodeInspections::Logging
