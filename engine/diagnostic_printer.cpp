#include "diagnostic_printer.h"

#include <string>

#include <ClangTidyDiagnosticConsumer.h>
#include <clang/Basic/Diagnostic.h>
#include <clang/Basic/DiagnosticOptions.h>
#include <clang/Basic/FileManager.h>
#include <clang/Basic/LangOptions.h>
#include <clang/Basic/SourceManager.h>
#include <clang/Frontend/TextDiagnosticPrinter.h>
#include <llvm/Support/VirtualFileSystem.h>

namespace zoe {

namespace {

using clang::tidy::ClangTidyError;

class Printer {
 public:
  Printer(llvm::IntrusiveRefCntPtr<llvm::vfs::FileSystem> files, bool colors, llvm::raw_ostream& out)
      : files_(clang::FileSystemOptions(), std::move(files)),
        options_(new clang::DiagnosticOptions()),
        text_(out, options_.get()),
        engine_(new clang::DiagnosticIDs(), options_, &text_, /*ShouldOwnClient=*/false),
        sources_(engine_, files_) {
    options_->ShowColors = colors;
    text_.BeginSourceFile(language_, nullptr);
  }

  ~Printer() { text_.EndSourceFile(); }

  llvm::vfs::FileSystem& FileSystem() { return files_.getVirtualFileSystem(); }

  void Print(const ClangTidyError& error) {
    auto level = static_cast<clang::DiagnosticsEngine::Level>(error.DiagLevel);
    std::string name = error.DiagnosticName;
    for (const std::string& alias : error.EnabledDiagnosticAliases) name.append(",").append(alias);
    if (error.IsWarningAsError) {
      name += ",-warnings-as-errors";
      level = clang::DiagnosticsEngine::Error;
      ++warningsAsErrors_;
    }
    {
      const clang::tooling::DiagnosticMessage& message = error.Message;
      auto report =
          engine_.Report(Location(message.FilePath, message.FileOffset), engine_.getCustomDiagID(level, "%0 [%1]"));
      report << message.Message << name;
      AddRangesAndFixes(report, message);
    }
    for (const clang::tooling::DiagnosticMessage& note : error.Notes) PrintNote(note);
  }

  unsigned WarningsAsErrors() const { return warningsAsErrors_; }

 private:
  void PrintNote(const clang::tooling::DiagnosticMessage& note) {
    auto report = engine_.Report(Location(note.FilePath, note.FileOffset),
                                 engine_.getCustomDiagID(clang::DiagnosticsEngine::Note, "%0"));
    report << note.Message;
    AddRangesAndFixes(report, note);
  }

  void AddRangesAndFixes(const clang::DiagnosticBuilder& report, const clang::tooling::DiagnosticMessage& message) {
    for (const clang::tooling::FileByteRange& range : message.Ranges) {
      report << Range(range.FilePath, range.FileOffset, range.Length);
    }
    for (const auto& fileReplacements : message.Fix) {
      for (const clang::tooling::Replacement& replacement : fileReplacements.second) {
        if (!replacement.isApplicable()) continue;
        report << clang::FixItHint::CreateReplacement(
            Range(replacement.getFilePath(), replacement.getOffset(), replacement.getLength()),
            replacement.getReplacementText());
      }
    }
  }

  clang::SourceLocation Location(llvm::StringRef path, unsigned offset) {
    if (path.empty()) return {};
    auto file = files_.getOptionalFileRef(path);
    if (!file) return {};
    const clang::FileID id = sources_.getOrCreateFileID(*file, clang::SrcMgr::C_User);
    return sources_.getLocForStartOfFile(id).getLocWithOffset(static_cast<int>(offset));
  }

  clang::CharSourceRange Range(llvm::StringRef path, unsigned offset, unsigned length) {
    llvm::SmallString<128> absolute(path);
    files_.makeAbsolutePath(absolute);
    const clang::SourceLocation begin = Location(absolute, offset);
    return clang::CharSourceRange::getCharRange(begin, begin.getLocWithOffset(static_cast<int>(length)));
  }

  clang::FileManager files_;
  llvm::IntrusiveRefCntPtr<clang::DiagnosticOptions> options_;
  clang::TextDiagnosticPrinter text_;
  clang::DiagnosticsEngine engine_;
  clang::SourceManager sources_;
  clang::LangOptions language_;
  unsigned warningsAsErrors_ = 0;
};

}  // namespace

unsigned PrintDiagnostics(const std::vector<ClangTidyError>& errors,
                          llvm::IntrusiveRefCntPtr<llvm::vfs::FileSystem> files, bool colors, llvm::raw_ostream& out) {
  Printer printer(std::move(files), colors, out);
  llvm::vfs::FileSystem& fileSystem = printer.FileSystem();
  const llvm::ErrorOr<std::string> initialFolder = fileSystem.getCurrentWorkingDirectory();
  for (const ClangTidyError& error : errors) {
    // Paths of a diagnostic are relative to the folder it was found in.
    if (!error.BuildDirectory.empty()) fileSystem.setCurrentWorkingDirectory(error.BuildDirectory);
    printer.Print(error);
    if (initialFolder) fileSystem.setCurrentWorkingDirectory(*initialFolder);
  }
  return printer.WarningsAsErrors();
}

}  // namespace zoe
