// Encodings of source text as the source cache loads it: a run's conversion
// settings and the decision table that say whether a file is handed to the engine
// as it is or converted to UTF-8, and the cache key of a file name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "utf/encoding_detection.h"
#include "utf/utf_conversion.h"

namespace Quillfern::ZoCodeInspections::Native {

/// Which files a run has converted to UTF-8.
struct ConversionSettings {
  /// BOM-less files that are valid UTF-8 count as UTF-8 (else as ANSI).
  bool autoDetectUtf8 = true;
  /// Code page of ANSI files; 0 is the system's ANSI code page.
  uint32_t codePage = 0;
  /// ANSI files are converted; false hands BOM-less files on as UTF-8.
  bool convertAnsi = true;
};

/// Whether two settings load files differently: conversion or UTF-8
/// detection differ, or both convert ANSI with different code pages.
bool ConversionSettingsDiffer(const ConversionSettings& a, const ConversionSettings& b);

/// A file's text as the engine is to read it.
struct FileContent {
  /// Length of the BOM that precedes `content` in the file; 0 when converted.
  uint32_t bomLength = 0;
  Encoding encoding = Encoding::None;
  /// `content` was produced by conversion (it is not the file's bytes).
  bool converted = false;
  /// UTF-8 text: converted, or a copy of the bytes after the BOM.
  std::shared_ptr<const std::string> content;
};

/// Detects the encoding of a file's bytes and converts them as the settings
/// say: UTF-16 of either byte order and ANSI text are converted, UTF-8,
/// ASCII and bytes that are no text (NULs) are handed on as they are. Throws
/// std::system_error when the code page cannot be used.
FileContent ConvertFileContent(const char* bytes, size_t size, const ConversionSettings& settings);

/// The cache key of a UTF-8 file name: the name itself, lower-cased (A-Z
/// only) when asked.
std::string MakeFileKey(std::string_view utf8Name, bool lowerCase);

/// The cache key of a path: letter case is folded only where the file
/// system folds it (Windows), so `Foo.h` and `foo.h` are two files elsewhere.
std::string FileKeyOf(std::string_view utf8Path);

/// The cache key of a UTF-16 file name: the name normalised lexically as a
/// path (the platform's separators, "." removed, ".." resolved), as UTF-8,
/// lower-cased (A-Z only) when asked.
std::string MakeFileKey(std::u16string_view utf16Name, bool lowerCase);

}  // namespace Quillfern::ZoCodeInspections::Native
