#include "customised_checks.h"

#include <mutex>

#include <ClangTidyModule.h>
#include <ClangTidyModuleRegistry.h>
#include <modernize/MakeSharedCheck.h>
#include <modernize/MakeUniqueCheck.h>

#include "customised_bool_literals.h"
#include "customised_container_size_empty.h"
#include "customised_loop_convert.h"
#include "customised_make_smart_pointer.h"
#include "customised_use_using.h"

namespace zoe {

namespace {

class CustomisedChecksModule final : public clang::tidy::ClangTidyModule {
 public:
  void addCheckFactories(clang::tidy::ClangTidyCheckFactories& factories) override {
    using namespace clang::tidy::modernize;
    factories.registerCheck<CustomisedLoopConvert>("modernize-loop-convert");
    factories.registerCheck<CustomisedMakeSmartPointer<MakeSharedCheck>>("modernize-make-shared");
    factories.registerCheck<CustomisedMakeSmartPointer<MakeUniqueCheck>>("modernize-make-unique");
    factories.registerCheck<CustomisedBoolLiterals>("modernize-use-bool-literals");
    factories.registerCheck<CustomisedUseUsing>("modernize-use-using");
    factories.registerCheck<CustomisedContainerSizeEmpty>("readability-container-size-empty");
  }
};

}  // namespace

void RegisterCustomisedChecks() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Added after the stock modules registered themselves at start-up, so it
    // is asked last and its factories win.
    static clang::tidy::ClangTidyModuleRegistry::Add<CustomisedChecksModule> module(
        "zo-customised", "Checks that ask the inspection library's check hook.");
  });
}

}  // namespace zoe
