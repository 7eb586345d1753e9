// A UTF-8 text saved in the other encodings the library reads, for the tests
// and benchmarks that inspect one source in several encodings.
#pragma once

#include <string>

namespace zotest {

/// `utf8` as UTF-16LE bytes behind a byte order mark.
std::string Utf16LeWithBom(const std::string& utf8);

/// `utf8` as UTF-16BE bytes, behind a byte order mark when asked.
std::string Utf16Be(const std::string& utf8, bool withBom);

/// `utf8` as Windows-1252 bytes; every character must be one that code page
/// holds (Latin-1 letters, the euro sign and the em dash are what the samples use).
std::string Windows1252(const std::string& utf8);

}  // namespace zotest
