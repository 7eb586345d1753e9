// Running another program through the shell, its streams caught in files.
#pragma once

#include <string>

namespace zotest {

/// `text` as one shell word.
std::string ShellQuote(const std::string& text);

/// What a shell command gave back; exitCode is -1 when it did not exit.
struct ShellRun {
  int exitCode = -1;
  std::string out, err;
};

/// Runs `command` with `input` as its standard input.
ShellRun RunShell(const std::string& command, const std::string& input = {});

}  // namespace zotest
