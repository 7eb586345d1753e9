// The inspections behind `zoci lsp`: each run of a document through the
// library, as `zoci inspect` runs a file with the editor's open texts.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "inspection.h"
#include "lsp_project.h"
#include "lsp_scheduling.h"

namespace zoci {

class EngineInspections : public Inspections {
 public:
  std::string Start(const Options& options) override;
  DocumentRun Inspect(const DocumentSnapshot& snapshot, const std::shared_ptr<ParserSwitch>& parserSwitch) override;
  std::vector<TextEdit> FinalFix(int32_t token) override;
  std::optional<std::vector<TextEdit>> FinalFixes(const std::vector<int32_t>& tokens) override;

 private:
  Options options_;  ///< the project refers to these
  FollowedProject project_;
  bool started_ = false;
};

}  // namespace zoci
