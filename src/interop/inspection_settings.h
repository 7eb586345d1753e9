// How the host describes one file's compilation and inspection: the settings
// record given once per parser, and the inputs of one parse request.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace Quillfern::ZoCodeInspections::Native {

/// Project settings of one parser; the parser keeps its own copy. Field order
/// is part of the host interface.
struct InspectionSettings {
  std::vector<std::string> excludedFolders;    ///< system include folders; diagnostics in them drop
  std::vector<std::string> includeFolders;
  std::vector<std::string> forcedIncludes;
  std::vector<std::string> defines;            ///< NAME or NAME=VALUE
  std::vector<std::string> additionalArguments;  ///< passed to the compiler verbatim
  std::string platformToolset;                 ///< "v" + toolset number, e.g. "v142"
  std::string ideVersion;                      ///< "major.minor", e.g. "16.4"
  bool skipErrors = false;
  bool keepFixlessDiagnostics = false;
  bool profileChecks = false;
  bool target64Bit = false;
  bool skipRun = false;  ///< answer every request with an empty result, no engine run
  bool compileAsC = false;
  int32_t languageStandard = 0;  ///< 11, 14, 17, 20, 99 (latest) or toolset default
  std::string headerForcedInclude;  ///< included first when a header itself is inspected
  bool extensionlessIsHeader = false;
  std::vector<std::string> headerExtensions;  ///< with leading dot, e.g. ".h"
  bool bomlessIsUtf8 = false;
};

/// Mode flag bits of a parse request.
namespace ModeFlags {
inline constexpr uint32_t mainFileOnly = 1u << 0;
inline constexpr uint32_t allowHeaderFile = 1u << 1;
inline constexpr uint32_t editorAutoDetectUtf8 = 1u << 3;
}  // namespace ModeFlags

/// The editor's unsaved buffers: file name (UTF-8) to UTF-16 text.
using UnsavedBuffers = std::unordered_map<std::string, std::shared_ptr<const std::u16string>>;

/// Check option name to value; a parse may add or change entries.
using CheckOptions = std::unordered_map<std::string, std::string>;

}  // namespace Quillfern::ZoCodeInspections::Native
