// The base protocol of a language server: messages framed by a
// "Content-Length" header, read from and written to byte streams.
#pragma once

#include <istream>
#include <string>

namespace zoci {

enum class FrameStatus { message, malformed, end };

/// Reads one frame's body; `malformed` (with `error`) when its header is
/// unusable, after skipping the header; `end` at the end of the stream.
FrameStatus ReadFrame(std::istream& in, std::string& body, std::string& error);

/// `body` with its header, ready to write.
std::string Frame(const std::string& body);

}  // namespace zoci
