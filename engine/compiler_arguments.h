// The compiler command line of one run. The library sends the arguments of an
// MSVC-compatible clang driver; on a host whose native toolchain is not MSVC
// the arguments that the GNU-style driver cannot take are translated:
//
//   /TP                           -> -xc++ (the source is C++)
//   /TC                           -> -xc   (the source is C)
//   -fms-compatibility            -> dropped (breaks the GNU C++ library headers)
//   -fms-compatibility-version=V  -> dropped (only meaningful with the above)
//   -m32                          -> dropped (no 32-bit C library headers on
//                                    64-bit Linux; the host's target is used)
//
// Everything else, -fms-extensions included, passes unchanged.
#pragma once

#include <string>
#include <vector>

namespace zoe {

/// The driver's command line for `sourceFile`: driver name, the translated
/// arguments in their order, then the file.
std::vector<std::string> DriverCommandLine(const std::vector<std::string>& compilerArgs, const std::string& sourceFile);

}  // namespace zoe
