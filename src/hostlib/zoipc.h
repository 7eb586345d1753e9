// The host library (zoIPC): the host's log function and conversion switch
// that the inspection library reads, plus the setters a host uses to wire
// them up: where log lines go, the switch, and the knobs the POSIX platform
// layer reads (the ANSI code page and the folder chooser).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#if defined(_WIN32)
#if defined(ZO_IPC_BUILD)
#define ZO_IPC_API __declspec(dllexport)
#else
#define ZO_IPC_API __declspec(dllimport)
#endif
#else
#define ZO_IPC_API __attribute__((visibility("default")))
#endif

namespace Quillfern::ZoCodeInspections::Logging {

/// Severity of a host log line; the library uses only level 4.
enum class Level : int32_t { trace = 0, debug = 1, info = 2, warning = 3, notice = 4, error = 5 };

/// Writes one line to the host's log.
ZO_IPC_API void Log(Level level, const std::string& text);

}  // namespace Quillfern::ZoCodeInspections::Logging

namespace zoIPC {

/// Whether converted buffers are offered to the engine at all.
ZO_IPC_API extern bool clangtidy_convert_to_utf8;

/// Receives the host's log lines; without one, lines go to standard error.
using LogSink = std::function<void(Quillfern::ZoCodeInspections::Logging::Level, const std::string&)>;

/// Asks the user for a folder (given a title); none means cancelled.
using FolderChooser = std::function<std::optional<std::string>(const std::string& title)>;

namespace host {
/// Routes log lines; an empty sink restores the default.
ZO_IPC_API void SetLogSink(LogSink sink);
/// Sets clangtidy_convert_to_utf8.
ZO_IPC_API void SetConvertToUtf8(bool on);
/// The code page that stands for the system's ANSI code page (default 1252).
ZO_IPC_API void SetAnsiCodePage(uint32_t codePage);
ZO_IPC_API uint32_t AnsiCodePage();
/// Installs the folder chooser; an empty one means every request is cancelled.
ZO_IPC_API void SetFolderChooser(FolderChooser chooser);
ZO_IPC_API std::optional<std::string> ChooseFolder(const std::string& title);
}  // namespace host

}  // namespace zoIPC
