// --log-dir output (see run_logs.h).
#include "run_logs.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace zoci {
namespace {

namespace fs = std::filesystem;

void WriteText(const fs::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) std::fprintf(stderr, "zoci: cannot write %s\n", file.string().c_str());
}

}  // namespace

void WriteRunLogs(const Options& options, const std::string& path,
                  const Quillfern::ZoCodeInspections::Native::RunResult& result) {
  if (options.logDir.empty()) return;
  std::error_code failed;
  fs::create_directories(options.logDir, failed);
  const std::string stem = fs::path(path).filename().string() + "." + std::to_string(result.parseNumber);
  const fs::path folder(options.logDir);
  WriteText(folder / (stem + ".log.txt"), result.logText);
  WriteText(folder / (stem + ".parameters.txt"), result.parametersText);
  WriteText(folder / (stem + ".errors.txt"), result.errorText);
  if (options.detailed) WriteText(folder / (stem + ".yaml.txt"), result.yamlText);
}

}  // namespace zoci
