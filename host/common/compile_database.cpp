// compile_commands.json reading (see compile_database.h).
#include "compile_database.h"

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>
#include <set>
#include <string_view>

#include "compile_stand_in.h"
#include "file_io.h"
#include "text_codec.h"

namespace zoci {
namespace {

namespace fs = std::filesystem;

std::string Key(const fs::path& path) {
  std::error_code ignored;
  return fs::weakly_canonical(fs::absolute(path, ignored), ignored).lexically_normal().string();
}

std::string Resolve(const std::string& folder, const fs::path& directory) {
  const fs::path path(folder);
  return path.is_absolute() ? folder : (directory / path).lexically_normal().string();
}

using Json = nlohmann::json;

/// How a database's "command" texts quote: as the system's shell does, which
/// is how the compilers' own tools read them.
#if defined(_WIN32)
constexpr CommandQuoting kDatabaseQuoting = CommandQuoting::windows;
#else
constexpr CommandQuoting kDatabaseQuoting = CommandQuoting::posix;
#endif

/// A string member of a compile command, or none.
const std::string* StringMember(const Json& entry, const char* name) {
  const auto found = entry.find(name);
  return found != entry.end() && found->is_string() ? found->get_ptr<const std::string*>() : nullptr;
}

std::vector<std::string> EntryArguments(const Json& entry) {
  std::vector<std::string> arguments;
  if (const auto list = entry.find("arguments"); list != entry.end() && list->is_array()) {
    for (const Json& item : *list) {
      if (item.is_string()) arguments.push_back(item.get<std::string>());
    }
  } else if (const std::string* command = StringMember(entry, "command")) {
    arguments = SplitCommand(*command, kDatabaseQuoting);
  }
  return arguments;
}

/// How deep response files may name response files.
constexpr int kResponseFileDepth = 8;

/// `arguments` with each "@FILE" replaced by the words FILE holds (in any
/// encoding an editor saves, read against `directory`); `error` names one that
/// cannot be read.
std::vector<std::string> WithResponseFiles(const std::vector<std::string>& arguments, const fs::path& directory,
                                           CommandQuoting quoting, std::string& error, int depth = 0) {
  std::vector<std::string> expanded;
  for (const std::string& argument : arguments) {
    if (!argument.starts_with('@') || argument.size() == 1) {
      expanded.push_back(argument);
      continue;
    }
    const std::string file = Resolve(argument.substr(1), directory);
    std::string bytes, why = "it names response files " + std::to_string(kResponseFileDepth) + " deep";
    std::optional<HostText> text;
    if (depth < kResponseFileDepth && ReadFileBytes(file, bytes, why)) text = DecodeHostText(bytes, {}, why);
    if (!text) {
      error = "its compile command's response file " + argument;
      error.append(": ").append(why);
      continue;
    }
    for (std::string& word :
         WithResponseFiles(SplitCommand(ToUtf8(text->text), quoting), directory, quoting, error, depth + 1))
      expanded.push_back(std::move(word));
  }
  return expanded;
}

/// Whether the target triple `target` is x86's (or none is named).
bool IsX86(std::string_view target) {
  return target.empty() || target.starts_with("x86_64") || target.starts_with("amd64") ||
         (target.size() >= 4 && target[0] == 'i' && target.substr(2, 2) == "86");
}

/// The compiler's file name without its folder ("cl.exe" of "C:\\VC\\bin\\cl.exe").
std::string CompilerName(const std::string& compiler) { return compiler.substr(compiler.find_last_of("/\\") + 1); }

/// The target a compiler named with a triple prefix compiles for
/// ("arm-none-eabi" of "arm-none-eabi-g++-12"), or none.
std::string TargetOfCompiler(const std::string& compiler) {
  const std::string name = CompilerName(compiler);
  for (const std::string_view tool : {"-gcc", "-g++", "-cc", "-c++", "-clang"}) {
    const size_t at = name.find(tool);
    const size_t after = at + tool.size();
    if (at != std::string::npos && at > 0 &&
        (after == name.size() || name[after] == '-' || name[after] == '.' || name[after] == '+'))
      return name.substr(0, at);
  }
  return {};
}

/// Whether the compiler reads its arguments as cl.exe does ("/I", "/D", "/std:").
bool ClDriver(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return false;
  if (std::find(arguments.begin(), arguments.end(), "--driver-mode=cl") != arguments.end()) return true;
  std::string name = CompilerName(arguments[0]);
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  if (name.ends_with(".exe")) name.resize(name.size() - 4);
  return name == "cl" || name.starts_with("clang-cl");
}

/// Takes a value flag in either form ("-Ifoo" or "-I foo") from `argument`,
/// the option at `i` as spelled with "-"; true when it matched.
bool TakeValue(const std::string& argument, const std::vector<std::string>& arguments, size_t& i,
               const std::string& flag, std::string& value) {
  if (argument == flag && i + 1 < arguments.size()) {
    value = arguments[++i];
    return true;
  }
  if (argument.size() > flag.size() && argument.starts_with(flag)) {
    value = argument.substr(flag.size());
    return true;
  }
  return false;
}

/// The GCC-style flags that say what the cl flag `argument` (spelled with
/// "-") says of the code's meaning; none for the others.
const std::vector<std::string>* ClMeaning(const std::string& argument) {
  static const std::map<std::string, std::vector<std::string>, std::less<>> kFlags = {
      {"-arch:SSE2", {"-msse2"}},
      {"-arch:AVX", {"-mavx"}},
      {"-arch:AVX2", {"-mavx2", "-mfma", "-mbmi", "-mbmi2", "-mlzcnt", "-mf16c"}},
      {"-arch:AVX512", {"-mavx512f", "-mavx512cd", "-mavx512bw", "-mavx512dq", "-mavx512vl"}},
      {"-J", {"-funsigned-char"}},
      {"-GR-", {"-fno-rtti"}},
      {"-openmp", {"-fopenmp"}}};
  const auto found = kFlags.find(argument);
  return found == kFlags.end() ? nullptr : &found->second;
}

/// cl's "NAME#VALUE" defines NAME as VALUE, as "NAME=VALUE" does (the CL
/// environment variable cannot hold "=").
std::string ClDefine(std::string define) {
  if (const size_t end = define.find_first_of("=#"); end != std::string::npos) define[end] = '=';
  return define;
}

/// Reads a flag of cl-style drivers' own spelling from `argument` (the option
/// at `i`, spelled with "-"); true when it matched.
bool TakeClFlag(const std::string& argument, const std::vector<std::string>& arguments, size_t& i,
                const fs::path& directory, CompileFlags& flags) {
  std::string value;
  if (argument.starts_with("-std:")) flags.standard = argument.substr(5);
  else if (argument == "-TC" || argument.starts_with("-Tc")) flags.compileAsC = true;
  else if (TakeValue(argument, arguments, i, "-external:I", value) ||
           TakeValue(argument, arguments, i, "-imsvc", value))
    flags.systemFolders.push_back(Resolve(value, directory));
  else if (TakeValue(argument, arguments, i, "-FI", value)) flags.forcedIncludes.push_back(Resolve(value, directory));
  else if (TakeValue(argument, arguments, i, "-D", value)) flags.defines.push_back(ClDefine(value));
  else if (const std::vector<std::string>* meaning = ClMeaning(argument))
    flags.passedOn.insert(flags.passedOn.end(), meaning->begin(), meaning->end());
  else return argument.starts_with("-O");  // cl's optimisations ("/Ox", "/Oi") are no GCC-style levels
  return true;
}

/// An undefine cancels the defines of its name before it, which the compiler
/// gets after every undefine; it still reaches the compiler, for the macros
/// the compiler defines itself.
void Undefine(const std::string& name, CompileFlags& flags) {
  std::erase_if(flags.defines, [&](const std::string& define) { return define.substr(0, define.find('=')) == name; });
  flags.passedOn.push_back("-U" + name);
}

/// Whether `argument` switches an x86 instruction set on or off ("-mavx2",
/// "-mno-sse4.2", "-march=x86-64-v3" or "native"), which code tests through
/// the macros it predefines (__AVX2__); other targets' flags stay out, since
/// the engine's target is x86.
bool X86Feature(const std::string& argument) {
  static constexpr std::string_view kSets[] = {"sse",  "ssse3", "avx",   "fma", "bmi", "popcnt", "aes",    "pclmul",
                                               "f16c", "lzcnt", "movbe", "sha", "mmx", "rdrnd",  "rdseed", "xsave"};
  if (argument == "-march=native" || argument.starts_with("-march=x86-64")) return true;
  std::string_view name(argument);
  if (!name.starts_with("-m")) return false;
  name.remove_prefix(name.starts_with("-mno-") ? 5 : 2);
  return std::any_of(std::begin(kSets), std::end(kSets),
                     [name](std::string_view set) { return name.starts_with(set); });
}

/// Whether `argument` changes what the code means (the macros the compiler
/// predefines, what the language allows) without naming another target, so
/// that it reaches the compiler as written: an optimisation level, -pthread, the
/// -f flags of exceptions, RTTI, char signedness, wchar_t width, fast math,
/// OpenMP, char8_t, a freestanding environment and operator names, and x86
/// instruction sets.
bool ChangesMeaning(const std::string& argument) {
  static const std::set<std::string, std::less<>> kFlags = {
      "-pthread",         "-fexceptions",   "-fno-exceptions",    "-frtti",           "-fno-rtti",
      "-funsigned-char",  "-fsigned-char",  "-fno-unsigned-char", "-fno-signed-char", "-fshort-wchar",
      "-fno-short-wchar", "-ffast-math",    "-fno-fast-math",     "-fopenmp",         "-fchar8_t",
      "-fno-char8_t",     "-ffreestanding", "-fno-operator-names"};
  static const std::set<std::string, std::less<>> kLevels = {"-O",  "-O0", "-O1", "-O2",   "-O3",
                                                             "-Os", "-Oz", "-Og", "-Ofast"};
  return kFlags.contains(argument) || kLevels.contains(argument) || X86Feature(argument);
}

/// Reads a flag of a GCC-style driver (which cl-style ones take too) from
/// `argument`, the option at `i`.
void TakeFlag(const std::string& argument, const std::vector<std::string>& arguments, size_t& i,
              const fs::path& directory, CompileFlags& flags) {
  std::string value;
  if (argument.starts_with("-std=")) flags.standard = argument.substr(5);
  else if (argument == "-xc" || (argument == "-x" && i + 1 < arguments.size() && arguments[i + 1] == "c"))
    flags.compileAsC = true;
  else if (TakeValue(argument, arguments, i, "-isystem", value))
    flags.systemFolders.push_back(Resolve(value, directory));
  else if (argument == "-include-pch") ++i;  // the precompiled form of a header "-include" names as well
  else if (TakeValue(argument, arguments, i, "-include", value))
    flags.forcedIncludes.push_back(Resolve(value, directory));
  else if (TakeValue(argument, arguments, i, "-I", value)) flags.includeFolders.push_back(Resolve(value, directory));
  else if (TakeValue(argument, arguments, i, "-D", value)) flags.defines.push_back(value);
  else if (TakeValue(argument, arguments, i, "-U", value)) Undefine(value, flags);
  else if (TakeValue(argument, arguments, i, "-iquote", value))
    flags.passedOn.push_back("-iquote" + Resolve(value, directory));
  else if (TakeValue(argument, arguments, i, "-idirafter", value))
    flags.passedOn.push_back("-idirafter" + Resolve(value, directory));
  else if (argument == "-m32" || argument == "-m64") flags.target32Bit = argument == "-m32";
  else if (ChangesMeaning(argument)) flags.passedOn.push_back(argument);
  else if (TakeValue(argument, arguments, i, "--target=", value) ||
           TakeValue(argument, arguments, i, "-target", value) || TakeValue(argument, arguments, i, "--target", value))
    flags.otherTarget = IsX86(value) ? "" : value;
}

/// The words of a command text, built a character at a time.
class CommandWords {
 public:
  void Add(size_t count, char c) { word_.append(count, c), inWord_ = true; }
  void Add(char c) { Add(1, c); }
  /// Begins a word without a character: quotes make one even when empty ("").
  void Begin() { inWord_ = true; }
  void End() {
    if (inWord_) words_.push_back(std::move(word_));
    word_.clear(), inWord_ = false;
  }
  std::vector<std::string> Take() {
    End();
    return std::move(words_);
  }

 private:
  std::vector<std::string> words_;
  std::string word_;
  bool inWord_ = false;
};

bool IsCommandSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::vector<std::string> SplitPosixCommand(const std::string& command) {
  CommandWords words;
  char quote = 0;
  for (size_t i = 0; i < command.size(); ++i) {
    const char c = command[i];
    if (quote) {
      if (c == quote) quote = 0;
      else if (c == '\\' && quote == '"' && i + 1 < command.size()) words.Add(command[++i]);
      else words.Add(c);
    } else if (c == '\'' || c == '"') {
      quote = c, words.Begin();
    } else if (c == '\\' && i + 1 < command.size()) {
      words.Add(command[++i]);
    } else if (IsCommandSpace(c)) {
      words.End();
    } else {
      words.Add(c);
    }
  }
  return words.Take();
}

/// Backslashes are literal unless a quote follows them: then each pair is
/// one, and an odd one makes the quote literal; "" inside quotes is a quote.
std::vector<std::string> SplitWindowsCommand(const std::string& command) {
  CommandWords words;
  bool quoted = false;
  for (size_t i = 0; i < command.size(); ++i) {
    const char c = command[i];
    if (c == '\\') {
      const size_t end = std::min(command.find_first_not_of('\\', i), command.size());
      const bool quoteFollows = end < command.size() && command[end] == '"';
      words.Add(quoteFollows ? (end - i) / 2 : end - i, '\\');
      const bool literalQuote = quoteFollows && (end - i) % 2 == 1;
      if (literalQuote) words.Add('"');
      i = literalQuote ? end : end - 1;
    } else if (c == '"' && quoted && i + 1 < command.size() && command[i + 1] == '"') {
      words.Add('"'), ++i;
    } else if (c == '"') {
      quoted = !quoted, words.Begin();
    } else if (!quoted && IsCommandSpace(c)) {
      words.End();
    } else {
      words.Add(c);
    }
  }
  return words.Take();
}

}  // namespace

std::vector<std::string> SplitCommand(const std::string& command, CommandQuoting quoting) {
  return quoting == CommandQuoting::windows ? SplitWindowsCommand(command) : SplitPosixCommand(command);
}

CompileFlags FlagsFromArguments(const std::vector<std::string>& arguments, const fs::path& directory) {
  CompileFlags flags;
  // The driver reads response files as its kind of command line.
  const CommandQuoting quoting = ClDriver(arguments) ? CommandQuoting::windows : CommandQuoting::posix;
  std::vector<std::string> expanded = WithResponseFiles(arguments, directory, quoting, flags.error);
  // What clang's driver hands on with "-Xclang" reads as its own flag (CMake's
  // precompiled header: -Xclang -include -Xclang cmake_pch.hxx).
  std::erase(expanded, "-Xclang");
  const bool cl = ClDriver(expanded);
  if (const std::string target = expanded.empty() ? "" : TargetOfCompiler(expanded[0]); !IsX86(target))
    flags.otherTarget = target;
  for (size_t i = 0; i < expanded.size(); ++i) {
    // cl's options begin with "/" or "-" alike.
    const std::string argument = cl && expanded[i].starts_with('/') ? "-" + expanded[i].substr(1) : expanded[i];
    if (cl && TakeClFlag(argument, expanded, i, directory, flags)) continue;
    TakeFlag(argument, expanded, i, directory, flags);
  }
  return flags;
}

fs::path CompileDatabase::FileIn(const fs::path& folder) { return folder / kCompileDatabaseName; }

std::optional<CompileDatabase> CompileDatabase::Load(const fs::path& folder, std::string& error) {
  const fs::path file = FileIn(folder);
  std::string text;
  if (!ReadFileBytes(file, text, error, uint64_t{1} << 30)) return std::nullopt;  // project databases grow large
  const Json json = Json::parse(text, nullptr, false);
  if (!json.is_array()) {
    error = file.string() + ": " + (json.is_discarded() ? "not valid JSON" : "not a list of compile commands");
    return std::nullopt;
  }
  CompileDatabase database;
  for (const Json& entry : json) {
    if (!entry.is_object()) continue;
    const std::string* directory = StringMember(entry, "directory");
    const std::string* source = StringMember(entry, "file");
    if (!directory || !source) continue;
    const fs::path base = fs::path(*directory).is_absolute() ? fs::path(*directory) : fs::absolute(folder) / *directory;
    std::string key = Key(base / *source);
    if (!database.byFile_.emplace(key, FlagsFromArguments(EntryArguments(entry), base)).second) continue;
    database.files_.push_back((base / *source).lexically_normal().string());
    database.keys_.push_back(std::move(key));
  }
  return database;
}

std::optional<CompileFlags> CompileDatabase::FlagsOf(const fs::path& file) const {
  if (const auto found = byFile_.find(Key(file)); found != byFile_.end()) return found->second;
  const std::string path = fs::absolute(file).lexically_normal().string();
  const std::optional<size_t> standIn = StandInFor(path, files_);
  if (!standIn) return std::nullopt;
  CompileFlags flags = byFile_.at(keys_[*standIn]);
  // A header takes its stand-in's language; a source of the other language, neither its language nor its standard.
  const NamedLanguage own = LanguageNamed(path), theirs = LanguageNamed(files_[*standIn]);
  if (own == NamedLanguage::either) flags.compileAsC = flags.compileAsC || theirs == NamedLanguage::c;
  else if (own != theirs) flags.standard.reset(), flags.compileAsC = false;
  flags.borrowedFrom = files_[*standIn];
  return flags;
}

void ApplyCompileFlags(const CompileFlags& flags, InspectionSettings& settings) {
  const auto append = [](std::vector<std::string>& to, const std::vector<std::string>& from) {
    to.insert(to.end(), from.begin(), from.end());
  };
  append(settings.includeFolders, flags.includeFolders);
  append(settings.excludedFolders, flags.systemFolders);
  append(settings.defines, flags.defines);
  append(settings.forcedIncludes, flags.forcedIncludes);
  append(settings.additionalArguments, flags.passedOn);
  settings.compileAsC = settings.compileAsC || flags.compileAsC;
  settings.target64Bit = settings.target64Bit && !flags.target32Bit;
  if (!flags.standard) return;
  if (const auto number = StandardNumber(*flags.standard)) {
    if (settings.languageStandard == 0) settings.languageStandard = *number;
  } else if (settings.languageStandard == 0 || settings.compileAsC) {
    // A standard the library's setting cannot hold (C's, C++98) goes to the
    // compiler as the project wrote it rather than being lost.
    settings.additionalArguments.push_back("-std=" + *flags.standard);
  }
}

}  // namespace zoci
