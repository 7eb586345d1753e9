// Running zoci through the shell with files for its streams (see zoci_runner.h).
#include "zoci_runner.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>

#include "support/temp_dir.h"

namespace zotest {
namespace {

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted.append(c == '\'' ? "'\\''" : std::string(1, c));
  return quoted.append("'");
}

}  // namespace

ZociRun RunZoci(const std::filesystem::path& folder, const std::vector<std::string>& arguments,
                const std::string& input) {
  TempDir streams;
  const auto in = streams.Write("in", input);
  // Built by appending only: GCC 12 at -O3 misreads "literal" + string as an overlapping copy.
  std::string command = "cd ";
  command += Quote(folder.string());
  command += " && ";
  command += Quote(ZOCI_EXE);
  for (const std::string& argument : arguments) command.append(" ").append(Quote(argument));
  command.append(" <").append(Quote(in.string()));
  command.append(" >").append(Quote((streams.Path() / "out").string()));
  command.append(" 2>").append(Quote((streams.Path() / "err").string()));
  const int status = std::system(command.c_str());
  ZociRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadBytes(streams.Path() / "out");
  run.err = ReadBytes(streams.Path() / "err");
  return run;
}

void CopySamples(const std::filesystem::path& folder) {
  std::filesystem::copy(ZOCI_SAMPLES, folder, std::filesystem::copy_options::recursive);
}

}  // namespace zotest
