#include "differential.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <stdexcept>

#include "support/shell.h"
#include "support/temp_dir.h"
#include "tool_outputs.h"

namespace difftest {
namespace {

namespace fs = std::filesystem;

/// The flags zoci gives every inspection on this host, so that both tools
/// see the same compiler warnings.
// clang-format off
const std::vector<std::string> kCompilerFlags = {
    "-std=c++17", "-Wall", "-Wshadow", "-Wunused-variable", "-Wno-non-literal-null-conversion",
    "-Wno-inconsistent-missing-override", "-fexceptions", "-fcxx-exceptions", "-fms-extensions"};
// clang-format on

using zotest::ReadBytes;
using zotest::ShellQuote;

void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

/// A tool invocation whose streams and exit code land in files named `stem`.*.
struct Invocation {
  fs::path stem;
  std::vector<std::string> arguments;
  std::string Shell() const {
    std::string command;
    for (const std::string& argument : arguments) command += ShellQuote(argument) + " ";
    return command + ">" + ShellQuote(stem.string() + ".out") + " 2>" + ShellQuote(stem.string() + ".err") +
           "; echo $? >" + ShellQuote(stem.string() + ".rc");
  }
  std::string Read(const char* stream) const { return ReadBytes(stem.string() + stream); }
  /// Adds to `problems` how the tool failed, if it did: its exit code (-1
  /// when the shell did not get to write it) and last message.
  void Check(const std::string& tool, std::vector<std::string>& problems) const {
    const std::string code = Read(".rc");
    if (code == "0\n") return;
    std::string err = Read(".err");
    while (!err.empty() && err.back() == '\n') err.pop_back();
    problems.push_back(tool + " exited with " + (code.empty() ? "-1" : code.substr(0, code.size() - 1)) +
                       ", its last message: " + err.substr(err.rfind('\n') + 1));
  }
};

void RunTogether(const std::vector<Invocation>& invocations) {
  std::string script;
  for (const Invocation& invocation : invocations) script += "(" + invocation.Shell() + ") & ";
  const std::string command = "sh -c " + ShellQuote(script + "wait");
  if (std::system(command.c_str()) != 0) throw std::runtime_error("cannot run: " + command);
}

/// One file zoci inspects: a case in one form, and the case's UTF-8 copy
/// that clang-tidy inspects and fixes.
struct FormFile {
  const Case* source;
  Form form;
  fs::path path;
  fs::path reference;
};

struct Written {
  std::map<std::string, const Case*> references;  ///< UTF-8 copy for clang-tidy, by path
  std::vector<FormFile> forms;
};

Written WriteFiles(const std::vector<Case>& cases, const fs::path& folder) {
  Written written;
  for (const Case& source : cases) {
    const fs::path reference = folder / "reference" / (source.name + ".cpp");
    Write(reference, source.utf8);
    written.references[reference.string()] = &source;
    const auto text = DecodeUtf8(source.utf8);
    if (!text) throw std::runtime_error(source.name + ": not UTF-8");
    for (Form form : source.forms) {
      const auto bytes = Encode(*text, form);
      if (!bytes) continue;
      const fs::path path = folder / "forms" / (source.name + "." + FormName(form) + ".cpp");
      Write(path, *bytes);
      written.forms.push_back({&source, form, path, reference});
    }
  }
  return written;
}

/// The configuration both tools are given, also found first above every
/// compared file: the runs obey no .clang-tidy of the folders around the
/// comparison (whose header filter could let a fix write into an included
/// system folder).
fs::path ConfigPath(const fs::path& folder) { return folder / ".clang-tidy"; }

/// clang-tidy runs over the references, in batches of about equal size.
std::vector<Invocation> ClangTidyRuns(const Written& written, const Setup& setup, const fs::path& folder) {
  std::vector<Invocation> runs(std::clamp<size_t>(written.references.size(), 1, setup.jobs));
  size_t next = 0;
  for (const auto& [path, source] : written.references) runs[next++ % runs.size()].arguments.push_back(path);
  for (size_t i = 0; i < runs.size(); ++i) {
    Invocation& run = runs[i];
    run.stem = folder / ("clang-tidy-" + std::to_string(i));
    run.arguments.insert(run.arguments.begin(),
                         {setup.clangTidy, "--quiet", "--config-file=" + ConfigPath(folder).string(), "--fix"});
    run.arguments.push_back("--");
    run.arguments.insert(run.arguments.end(), kCompilerFlags.begin(), kCompilerFlags.end());
    for (const std::string& include : setup.includeFolders) run.arguments.push_back("-I" + include);
  }
  return runs;
}

/// One zoci run over every form: it inspects each (SARIF) and fixes it in
/// place. Code page 1252 forms are never valid UTF-8, so they read as ANSI.
/// The configuration's empty header filter keeps both tools to the compared file.
Invocation ZociRun(const Written& written, const Setup& setup, const fs::path& folder) {
  Invocation run{folder / "zoci",
                 {setup.zoci, "inspect", "--fix", "--format", "sarif", "-j", std::to_string(setup.jobs), "--std",
                  "c++17", "--ansi-code-page", "1252", "--config-file", ConfigPath(folder).string()}};
  for (const std::string& include : setup.includeFolders) run.arguments.insert(run.arguments.end(), {"-I", include});
  for (const FormFile& file : written.forms) run.arguments.push_back(file.path.string());
  return run;
}

/// A diagnostic as compared: position in UTF-16 units, then the rest (the
/// level in lower case, as SARIF spells it).
using Key = std::tuple<size_t, std::string, std::string, std::string>;

Key KeyOf(const Reported& reported, size_t units) {
  std::string level = reported.level;
  if (!level.empty()) level[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(level[0])));
  return {units, reported.check, reported.message, level};
}

std::string Describe(const Key& key) {
  return "[" + std::get<1>(key) + "] at UTF-16 offset " + std::to_string(std::get<0>(key)) + ": " + std::get<2>(key) +
         " (" + std::get<3>(key) + ")";
}

/// Adds a line for each diagnostic one side has and the other has not.
void CompareDiagnostics(const std::string& label, std::vector<Key> expected, std::vector<Key> actual,
                        std::vector<std::string>& mismatches) {
  std::sort(expected.begin(), expected.end());
  std::sort(actual.begin(), actual.end());
  std::vector<Key> missing, extra;
  std::set_difference(expected.begin(), expected.end(), actual.begin(), actual.end(), std::back_inserter(missing));
  std::set_difference(actual.begin(), actual.end(), expected.begin(), expected.end(), std::back_inserter(extra));
  for (const Key& key : missing) mismatches.push_back(label + ": clang-tidy reports, zoci does not: " + Describe(key));
  for (const Key& key : extra) mismatches.push_back(label + ": zoci reports, clang-tidy does not: " + Describe(key));
}

struct References {
  std::map<std::string, std::vector<Key>> diagnostics;  ///< by reference path, in UTF-16 units
  std::vector<std::string> problems;
};

/// The byte offset of a line (from 1) and byte column (from 1), the lines
/// ending as clang ends them: at CR LF, LF CR, a lone CR or a lone LF.
size_t ByteOffset(const std::string& text, size_t line, size_t column) {
  size_t start = 0;
  for (; line > 1 && start < text.size(); --line) {
    start = std::min(text.find_first_of("\r\n", start), text.size());
    const bool pair = start + 1 < text.size() && (text[start + 1] == '\r' || text[start + 1] == '\n');
    start += pair && text[start + 1] != text[start] ? 2 : 1;
  }
  return start + column - 1;
}

References ReadReferences(const std::vector<Invocation>& runs, const Written& written) {
  References references;
  for (const Invocation& run : runs) {
    run.Check("clang-tidy", references.problems);
    for (const Reported& reported : ReadClangTidyOutput(run.Read(".out"))) {
      const auto source = written.references.find(reported.file);
      if (source == written.references.end()) continue;
      const std::string& text = source->second->utf8;
      const auto units = Utf16Offset(text, ByteOffset(text, reported.line, reported.offset));
      if (!units) {
        references.problems.push_back(reported.file + ":" + std::to_string(reported.line) + ":" +
                                      std::to_string(reported.offset) + " of clang-tidy is not at a character");
        continue;
      }
      references.diagnostics[reported.file].push_back(KeyOf(reported, *units));
    }
  }
  return references;
}

void CompareForm(const FormFile& file, const References& references,
                 const std::map<std::string, std::vector<Key>>& found, std::vector<std::string>& mismatches) {
  const std::string label = file.source->name + "." + FormName(file.form);
  const std::string reference = file.reference.string();
  const auto expected = references.diagnostics.find(reference);
  const auto actual = found.find(file.path.string());
  CompareDiagnostics(label, expected == references.diagnostics.end() ? std::vector<Key>{} : expected->second,
                     actual == found.end() ? std::vector<Key>{} : actual->second, mismatches);
  const auto fixedReference = DecodeUtf8(ReadBytes(reference));
  const auto fixed = Decode(ReadBytes(file.path), file.form);
  if (!fixedReference) {
    mismatches.push_back(label + ": clang-tidy's fixed text is not UTF-8");
  } else if (!fixed) {
    mismatches.push_back(label + ": the fixed file is no longer " + FormName(file.form));
  } else if (*fixed != *fixedReference) {
    const auto differing = std::mismatch(fixedReference->begin(), fixedReference->end(), fixed->begin(), fixed->end());
    mismatches.push_back(label + ": fixed text differs at character " +
                         std::to_string(differing.first - fixedReference->begin()));
  }
}

/// zoci's diagnostics by file, after it has inspected and fixed every form;
/// what went wrong is added to `mismatches`.
std::map<std::string, std::vector<Key>> RunZoci(const Written& written, const Setup& setup, const fs::path& folder,
                                                std::vector<std::string>& mismatches) {
  const Invocation run = ZociRun(written, setup, folder);
  RunTogether({run});
  run.Check("zoci", mismatches);
  std::map<std::string, std::vector<Key>> found;
  std::vector<std::string> failures;
  try {
    for (const Reported& reported : ReadSarif(run.Read(".out"), failures))
      found[reported.file].push_back(KeyOf(reported, reported.offset));
  } catch (const std::exception& error) {
    mismatches.push_back("zoci's SARIF log does not read: " + std::string(error.what()));
  }
  for (const std::string& failure : failures) mismatches.push_back("zoci could not inspect: " + failure);
  return found;
}

}  // namespace

Outcome CompareWithClangTidy(const std::vector<Case>& cases, const Setup& setup, const fs::path& given) {
  // Without "..": clang-tidy looks for configuration in every folder the path names.
  const fs::path folder = fs::absolute(given).lexically_normal();
  Write(ConfigPath(folder), "Checks: '" + setup.checks + "'\nHeaderFilterRegex: ''\n");
  const Written written = WriteFiles(cases, folder);
  const std::vector<Invocation> tidyRuns = ClangTidyRuns(written, setup, folder);
  RunTogether(tidyRuns);
  const References references = ReadReferences(tidyRuns, written);
  Outcome outcome{references.problems, {}, written.forms.size()};
  const auto found = RunZoci(written, setup, folder, outcome.disagreements);
  for (const FormFile& file : written.forms) CompareForm(file, references, found, outcome.disagreements);
  std::string list;
  for (const std::string& disagreement : outcome.disagreements) list += disagreement + "\n";
  Write(folder / "disagreements.txt", list);
  for (const auto& [path, source] : written.references) {
    const auto reported = references.diagnostics.find(path);
    outcome.referenceDiagnostics[source->name] = reported == references.diagnostics.end() ? 0 : reported->second.size();
  }
  return outcome;
}

}  // namespace difftest
