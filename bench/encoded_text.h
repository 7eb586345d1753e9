// A UTF-8 text saved as UTF-16, for the benchmarks that inspect one source in
// several encodings.
#pragma once

#include <string>

namespace zotest {

/// `utf8` as UTF-16LE bytes behind a byte order mark.
std::string Utf16LeWithBom(const std::string& utf8);

}  // namespace zotest
