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
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

ZociRun RunZoci(const std::filesystem::path& folder, const std::vector<std::string>& arguments,
                const std::string& input) {
  TempDir streams;
  const auto in = streams.Write("in", input);
  std::string command = "cd " + Quote(folder.string()) + " && " + Quote(ZOCI_EXE);
  for (const std::string& argument : arguments) command += " " + Quote(argument);
  command += " <" + Quote(in.string()) + " >" + Quote((streams.Path() / "out").string()) + " 2>" +
             Quote((streams.Path() / "err").string());
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
