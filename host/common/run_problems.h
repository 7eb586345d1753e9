// What a finished run says about itself beyond its diagnostics: the problems
// the library only wrote into the run's error text, and the message of a run
// that failed. Every output of zoci (text, JSON, SARIF, the language server)
// shows them from here.
#pragma once

#include <string>
#include <vector>

namespace zoci {

/// The problems of a run that still produced diagnostics, one message each:
/// configuration files the engine passed over because they do not parse,
/// check and option names no check knows (which enable or change nothing), and
/// diagnostics the library dropped because it could not convert them (a
/// directive's count out of range); empty when there are none.
std::vector<std::string> RunProblems(const std::string& errorText);

/// Whether the engine's error text says the compiler reported errors, shown
/// or not: the library drops those outside the file (--main-file-only) and
/// in system include folders.
bool CompilerReportedErrors(const std::string& errorText);

/// A failed run's message: its error text (or log when that is empty) without
/// trailing line breaks; a fixed text when both are empty.
std::string FailureMessage(const std::string& errorText, const std::string& logText);

}  // namespace zoci
