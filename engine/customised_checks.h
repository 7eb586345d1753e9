// The customised checks: modernize-loop-convert, modernize-make-shared,
// modernize-make-unique, modernize-use-bool-literals, modernize-use-using and
// readability-container-size-empty,
// registered under the stock names in place of the stock checks. Each asks
// the run's check hook at its decision points; without a hook each behaves
// exactly as the stock check.
#pragma once

namespace zoe {

/// Registers the customised checks once per process, after every stock
/// module, so that their factories replace the stock ones.
void RegisterCustomisedChecks();

}  // namespace zoe
