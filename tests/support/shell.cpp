#include "support/shell.h"

#include <sys/wait.h>

#include <cstdlib>

#include "support/temp_dir.h"

namespace zotest {

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted.append(c == '\'' ? "'\\''" : std::string(1, c));
  return quoted.append("'");
}

ShellRun RunShell(const std::string& command, const std::string& input) {
  TempDir streams;
  const auto in = streams.Write("in", input), out = streams.Path() / "out", err = streams.Path() / "err";
  // Built by appending only: GCC 12 at -O3 misreads "literal" + string as an overlapping copy.
  std::string line = "{ ";
  line.append(command).append("\n} <").append(ShellQuote(in.string()));
  line.append(" >").append(ShellQuote(out.string())).append(" 2>").append(ShellQuote(err.string()));
  const int status = std::system(line.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(out), ReadBytes(err)};
}

}  // namespace zotest
