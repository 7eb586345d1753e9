#include "held_diagnostics.h"

#include <utility>

#include <llvm/ADT/SmallString.h>

namespace zoe {

HeldDiagnostics::HeldDiagnostics(clang::DiagnosticsEngine* engine) : engine_(engine) {
  if (engine_ == nullptr) return;
  client_ = engine_->getClient();
  if (engine_->ownsClient()) ownedClient_ = engine_->takeClient();
  engine_->setClient(this, /*ShouldOwnClient=*/false);
}

HeldDiagnostics::~HeldDiagnostics() { Restore(); }

void HeldDiagnostics::Restore() {
  if (engine_ == nullptr) return;
  if (ownedClient_) {
    engine_->setClient(ownedClient_.release(), /*ShouldOwnClient=*/true);
  } else {
    engine_->setClient(client_, /*ShouldOwnClient=*/false);
  }
  engine_ = nullptr;
}

void HeldDiagnostics::HandleDiagnostic(clang::DiagnosticsEngine::Level level, const clang::Diagnostic& info) {
  llvm::SmallString<256> message;
  info.FormatDiagnostic(message);
  held_.push_back({static_cast<clang::DiagnosticIDs::Level>(level), info.getLocation(), std::string(message),
                   std::vector<clang::FixItHint>(info.getFixItHints().begin(), info.getFixItHints().end())});
}

std::vector<HeldDiagnostic> HeldDiagnostics::Release() {
  Restore();
  return std::move(held_);
}

namespace {

/// The message as a format text that prints as itself.
std::string Escaped(const std::string& message) {
  std::string escaped;
  for (const char c : message) {
    if (c == '%') escaped += '%';
    escaped += c;
  }
  return escaped;
}

}  // namespace

void Report(clang::tidy::ClangTidyCheck& check, llvm::StringRef checkName, const HeldDiagnostic& diagnostic) {
  // The check's name, which the report appends, is in the held text already.
  llvm::StringRef message = diagnostic.message;
  message.consume_back((" [" + checkName + "]").str());
  auto builder = check.diag(diagnostic.location, Escaped(message.str()), diagnostic.level);
  for (const clang::FixItHint& fix : diagnostic.fixes) builder << fix;
}

}  // namespace zoe
