// The differential comparison of zoci with clang-tidy-19 over sources that
// the fuzzer's input drives the generator to write: each source in every
// encoding zoci reads must give clang-tidy's diagnostics at the same
// characters and fix to clang-tidy's text. A disagreement aborts with the
// list, so that libFuzzer keeps the input.
//
// zoci comes from ZOCI_EXE (default: the default preset's build) and the
// reference from ZOCI_REFERENCE_TIDY (default: the clang-tidy-19 found at
// configure time); the comparison's files go to a folder of this process
// below the temporary folder.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "differential.h"
#include "source_generator.h"

namespace {

std::string FromEnvironment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

const difftest::Setup& FuzzSetup() {
  static const difftest::Setup setup = {.zoci = FromEnvironment("ZOCI_EXE", ZOCI_DEFAULT_EXE),
                                        .clangTidy = FromEnvironment("ZOCI_REFERENCE_TIDY", ZOCI_DEFAULT_TIDY),
                                        .checks = difftest::kGeneratedChecks,
                                        .includeFolders = {},
                                        .jobs = 2};
  return setup;
}

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("zoci-differential-" + std::to_string(getpid()));
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  for (const std::string& tool : {FuzzSetup().zoci, FuzzSetup().clangTidy}) {
    if (tool.empty() || !std::filesystem::exists(tool)) {
      std::fprintf(stderr, "differential fuzzer: '%s' is missing (build zoci, set ZOCI_EXE or ZOCI_REFERENCE_TIDY)\n",
                   tool.c_str());
      std::exit(2);
    }
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  difftest::ByteChoices choices(data, size);
  const bool ansiOnly = choices.Below(3) == 0;
  const std::vector<difftest::Case> cases = {
      {"fuzzed", difftest::GenerateSource(choices, ansiOnly), difftest::AllForms()}};
  std::filesystem::remove_all(Folder());
  const std::vector<std::string> mismatches =
      difftest::CompareWithClangTidy(cases, FuzzSetup(), Folder()).disagreements;
  if (mismatches.empty()) return 0;
  for (const std::string& mismatch : mismatches) std::fprintf(stderr, "%s\n", mismatch.c_str());
  std::fprintf(stderr, "differential fuzzer: %zu disagreements; the files are in %s\n", mismatches.size(),
               Folder().c_str());
  std::abort();
}
