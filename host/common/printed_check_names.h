// The names of every check that reported a diagnostic, as the engine prints
// them in a run's log ("file:line:col: warning: message [a,b]"). When checks
// that are aliases of one another report the same diagnostic, the engine
// keeps one record under the first name; a warnings-as-errors list or a check
// filter that names another of them must still select it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace zoci {

class PrintedCheckNames {
 public:
  /// Reads the printed diagnostics of `log` that name more than one check.
  explicit PrintedCheckNames(std::string_view log);

  /// The other checks printed for the diagnostic of `check` with `message`
  /// on `line` (from 0) of `file`; none when no printed line names them all,
  /// or when printed lines of that place and message disagree.
  std::vector<std::string> AliasesOf(const std::string& file, int32_t line, const std::string& message,
                                     const std::string& check) const;

 private:
  using Place = std::tuple<std::string, int32_t, std::string>;  ///< file, line from 0, message

  void Read(std::string_view line);

  std::map<Place, std::vector<std::string>> names_;  ///< empty when lines of one place disagree
};

}  // namespace zoci
