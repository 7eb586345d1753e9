// compile_commands.json: the include folders, system folders, defines, forced
// includes, standard, target width and undefines of each file, taken from its
// compile command (a GCC-style or cl-style driver's, response files read).
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "options.h"

namespace zoci {

/// What a file's compile command says about it.
struct CompileFlags {
  std::vector<std::string> includeFolders;
  std::vector<std::string> systemFolders;
  std::vector<std::string> defines;
  std::vector<std::string> forcedIncludes;
  std::optional<std::string> standard;  ///< e.g. "c++17"
  bool compileAsC = false;
  bool target32Bit = false;  ///< -m32
  /// Arguments that change what the source means but have no setting of
  /// their own (undefines, quoted and after-system include folders), each
  /// joined to its value; they reach the compiler as written.
  std::vector<std::string> passedOn;
  /// Why the command could not be read whole (a response file it names); the
  /// file is then not inspected, since what it means is not known.
  std::string error;
  /// The target the command names when it is not x86 ("--target=arm-none-eabi",
  /// "aarch64-linux-gnu-g++"): the file is still inspected for x86.
  std::string otherTarget;
  /// The file whose entry these flags are, when the file has none of its own.
  std::string borrowedFrom;
};

/// The compile database's file name in a build folder.
inline constexpr const char* kCompileDatabaseName = "compile_commands.json";

class CompileDatabase {
 public:
  /// The file a build folder's compile database is read from.
  static std::filesystem::path FileIn(const std::filesystem::path& folder);
  /// Reads DIR/compile_commands.json (a relative "directory" counts from DIR);
  /// on failure `error` says why.
  static std::optional<CompileDatabase> Load(const std::filesystem::path& folder, std::string& error);
  /// The flags of `file` (any spelling of its path). A file without an entry
  /// (a new one, one the build does not list) gets those of the entry that
  /// best stands in for it, as clang's tools infer them (a header in its
  /// language; a source of the other language without its standard); none
  /// when there is no entry.
  std::optional<CompileFlags> FlagsOf(const std::filesystem::path& file) const;
  /// Every file that has an entry, once, in the database's order.
  const std::vector<std::string>& Files() const { return files_; }

 private:
  std::map<std::string, CompileFlags> byFile_;  ///< by normalised absolute path
  std::vector<std::string> files_;
  std::vector<std::string> keys_;  ///< byFile_'s key of each of files_
};

/// How a command text quotes its words.
enum class CommandQuoting {
  posix,    ///< as a POSIX shell: '...', "...", and a backslash escapes any character
  windows,  ///< as Windows programs read theirs: "...", a backslash is literal unless a quote follows
};

/// Splits a command text into its words.
std::vector<std::string> SplitCommand(const std::string& command, CommandQuoting quoting);

/// Reads the flags zoci uses from one argument list, a cl-style driver's too
/// ("/I", "/D", "/FI", "/std:", "/external:I"); relative folders and response
/// files ("@FILE", quoted as the driver's kind of command line) are resolved
/// against `directory`.
CompileFlags FlagsFromArguments(const std::vector<std::string>& arguments, const std::filesystem::path& directory);

/// Adds `flags` to `settings` (flags from the command line stay in front).
void ApplyCompileFlags(const CompileFlags& flags, InspectionSettings& settings);

}  // namespace zoci
