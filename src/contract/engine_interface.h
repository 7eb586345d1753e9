// The engine interface: what the inspection library and the engine library
// (zolibclang2) exchange. The engine exports one function,
// clang::tidy::clangtidy(), returning the process's single IZOClangTidy. The
// virtual slots below are an ABI: their order must never change.
//
// Every type that crosses the boundary is declared here: the output sink and
// its keys, the file provider, the check hook with its tagged values, the
// parsed fixes file and replacements in engine (UTF-8 byte) coordinates.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace Quillfern::ZoCodeInspections::Native {

/// The engine's build record (slot 0); nobody reads it beyond logging.
struct EngineBuild {
  uint32_t major = 0;
  uint32_t minor = 0;
};

/// Five numbers identifying the interface revision (slot 1).
struct EngineIdentity {
  uint32_t values[5] = {0, 0, 0, 0, 0};
  bool operator==(const EngineIdentity&) const = default;
};

/// The identity every engine must report for this library to run it.
inline constexpr EngineIdentity kInterfaceIdentity{{1, 0, 9, 1, 2}};

/// Names one engine output: a text ("-" for standard output, a file name such
/// as "zofixes.yaml") or an integer (2 for the error stream).
using OutputKey = std::variant<std::string, int32_t>;

/// The engine's captured outputs: key to the text written under it.
using CapturedOutputs = std::map<OutputKey, std::shared_ptr<std::string>>;

/// Offered each output before it is written; true makes the engine write the
/// output into the map instead of its stream or file.
using OutputSinkCallback = std::function<bool(OutputKey, CapturedOutputs&)>;

/// What the file provider serves: UTF-8 text and last-write time (seconds
/// since 1970).
using ProvidedFile = std::pair<std::shared_ptr<const std::string>, int64_t>;

/// Asked for every file the compiler reads (name, path); no value lets the
/// engine read the disk.
using FileProviderCallback = std::function<std::optional<ProvidedFile>(std::string_view name, std::string_view path)>;

/// One tagged hook value. The alternatives' order is part of the ABI.
using HookValue = std::variant<bool, int32_t, double, std::string, std::shared_ptr<std::any>>;

/// Named hook arguments in, named results out.
using HookArgs = std::unordered_map<std::string, HookValue>;

/// The check hook: identifier and arguments (moved) to optional results.
using CheckHook = std::function<std::optional<HookArgs>(uint32_t id, HookArgs&& args)>;

/// One replacement of a fix in the engine's UTF-8 coordinates of one file.
struct FixReplacement {
  std::string filePath;
  uint32_t offset = 0;
  uint32_t length = 0;
  std::string text;
  auto operator<=>(const FixReplacement&) const = default;
};

/// Diagnostic level value of an error in FixesDiagnostic::level.
inline constexpr int kDiagnosticLevelError = 4;

/// One diagnostic of the engine's exported fixes.
struct FixesDiagnostic {
  std::string checkName;
  std::string message;
  std::string filePath;
  uint32_t offset = 0;
  int level = 0;  ///< 4 = error; clang-tidy's own level numbering otherwise.
  /// Replacements grouped by file, each group ordered.
  std::map<std::string, std::set<FixReplacement>> fix;
};

/// The parsed fixes YAML of one run.
struct FixesFile {
  std::string mainSourceFile;
  std::vector<FixesDiagnostic> diagnostics;
};

/// A replacement in engine coordinates; length before offset.
struct EngineReplacement {
  std::string text;
  uint32_t length = 0;
  uint32_t offset = 0;
  bool operator==(const EngineReplacement&) const = default;
};

/// Queries of slot 9 (ForwardedOperation): the first word names the query,
/// the second and third are its arguments.
enum class ForwardedQuery : uint32_t {
  Echo = 0,               ///< answers the second word unchanged (a liveness probe)
  LlvmMajorVersion = 1,   ///< the LLVM major version the engine was built with
  RunsInProgress = 2,     ///< runs executing in this process right now
  CompletedRuns = 3,      ///< runs finished since the engine was loaded
};

/// What slot 9 answers for a query it does not know.
inline constexpr uint32_t kForwardedUnknownQuery = 0xFFFFFFFFu;

/// The engine object. Slots in this exact order; slot 3 is never called.
class IZOClangTidy {
 public:
  /// Slot 0: the engine's build record.
  virtual EngineBuild QueryBuild() = 0;
  /// Slot 1: the interface identity; must equal kInterfaceIdentity.
  virtual EngineIdentity QueryInterfaceIdentity() = 0;
  /// Slot 2: a version text; the two flag values give two different texts.
  virtual std::string GetVersionText(bool flag) = 0;
  /// Slot 3: reserved.
  virtual void Reserved3() = 0;
  /// Slot 4: one synchronous clang-tidy run over the given arguments.
  virtual int32_t Run(int32_t argc, const char* const* argv, const FileProviderCallback* provider,
                      const std::optional<std::string>& mainFileFolder) = 0;
  /// Slot 5: installs (or, when empty, removes) the calling thread's sink.
  virtual void SetOutputSink(OutputSinkCallback sink, uint32_t reserved) = 0;
  /// Slot 6: installs (or, when empty, removes) the calling thread's hook.
  virtual void SetCheckHook(CheckHook hook) = 0;
  /// Slot 7: parses exported fixes YAML; absent when unreadable.
  virtual std::optional<FixesFile> ReadExportedFixes(const std::string& yaml) = 0;
  /// Slot 8: the final form of a fix's replacements in the same text.
  virtual std::optional<std::vector<EngineReplacement>> FinaliseReplacements(
      const std::string& fileKey, const std::string& utf8Text, const std::vector<EngineReplacement>& replacements) = 0;
  /// Slot 9: an operation whose words the host and the engine agree on
  /// (ForwardedQuery).
  virtual uint32_t ForwardedOperation(uint32_t a, uint32_t b, uint32_t c) = 0;

 protected:
  ~IZOClangTidy() = default;
};

}  // namespace Quillfern::ZoCodeInspections::Native

#if defined(_WIN32)
#if defined(ZO_ENGINE_BUILD)
#define ZO_ENGINE_API __declspec(dllexport)
#else
#define ZO_ENGINE_API __declspec(dllimport)
#endif
#else
#define ZO_ENGINE_API __attribute__((visibility("default")))
#endif

namespace clang::tidy {
/// The engine library's one export.
ZO_ENGINE_API Quillfern::ZoCodeInspections::Native::IZOClangTidy& clangtidy();
}  // namespace clang::tidy
