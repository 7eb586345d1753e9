// A project across CI runners: which files a run takes (filters and shards),
// the SARIF logs of the shards merged into one, and the closing summary.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>

#include <nlohmann/json.hpp>

#include "project_files.h"
#include "run_summary.h"
#include "sarif_merge.h"

namespace zoci {
namespace {

using nlohmann::json;

const std::vector<std::string> kFiles = {"src/a.cpp", "src/b.cpp", "lib/c.cpp", "lib/d.c",   "test/e.cpp",
                                         "src/f.cpp", "src/g.cpp", "lib/h.cpp", "test/i.cpp"};

uintmax_t SizeOf(const std::string& file) {  // sizes from 900 down to 100, one file very large
  if (file == "src/b.cpp") return 5000;
  return 1000 - 100 * static_cast<uintmax_t>(std::find(kFiles.begin(), kFiles.end(), file) - kFiles.begin());
}

TEST(ProjectFiles, FiltersKeepTheDatabaseOrder) {
  const std::tuple<const char*, const char*, std::vector<std::string>> cases[] = {
                                                                                    // include, exclude, kept
      {"", "", kFiles},
      {"^src/", "", {"src/a.cpp", "src/b.cpp", "src/f.cpp", "src/g.cpp"}},
      {"", "test|\\.c$", {"src/a.cpp", "src/b.cpp", "lib/c.cpp", "src/f.cpp", "src/g.cpp", "lib/h.cpp"}},
      {"lib", "h\\.cpp", {"lib/c.cpp", "lib/d.c"}},
      {"nothing", "", {}},
  };
  for (const auto& [include, exclude, kept] : cases)
    EXPECT_EQ(SelectFiles(kFiles, FileFilter{include, exclude, {}}, SizeOf), kept) << include << " " << exclude;
  EXPECT_THROW(SelectFiles(kFiles, FileFilter{"(", "", {}}, SizeOf), std::regex_error);
}

TEST(ProjectFiles, ShardsSplitEveryFileOnceBalancedAndInOrder) {
  for (unsigned count : {1u, 2u, 3u, 9u, 12u}) {
    std::multiset<std::string> seen;
    std::vector<uintmax_t> loads;
    for (unsigned index = 1; index <= count; ++index) {
      const auto share = SelectFiles(kFiles, FileFilter{"", "", Shard{index, count}}, SizeOf);
      EXPECT_EQ(share, SelectFiles(kFiles, FileFilter{"", "", Shard{index, count}}, SizeOf)) << "stable";
      EXPECT_TRUE(std::is_sorted(share.begin(), share.end(), [](const std::string& a, const std::string& b) {
        return std::find(kFiles.begin(), kFiles.end(), a) < std::find(kFiles.begin(), kFiles.end(), b);
      })) << "database order";
      uintmax_t load = 0;
      for (const std::string& file : share) load += SizeOf(file), seen.insert(file);
      loads.push_back(load);
    }
    EXPECT_EQ(seen, std::multiset<std::string>(kFiles.begin(), kFiles.end())) << count << " shards";
    // Greedy by size: no shard carries more than the lightest plus the largest file.
    if (count > 1 && count < kFiles.size()) {
      EXPECT_LE(*std::max_element(loads.begin(), loads.end()) - *std::min_element(loads.begin(), loads.end()), 5000u);
      EXPECT_EQ(loads[0], 5000u) << "the large file alone fills the first shard";
    }
  }
}

TEST(ProjectFiles, ShardTextsAreKOfN) {
  for (const char* text : {"0/3", "4/3", "1/0", "1", "a/b", "1/2/3", ""}) EXPECT_FALSE(ParseShard(text)) << text;
  ASSERT_TRUE(ParseShard("3/3"));
  EXPECT_EQ(std::make_pair(ParseShard("2/5")->index, ParseShard("2/5")->count), std::make_pair(2u, 5u));
}

/// A one-run log of zoci's shape with results of `rules` in `files`.
json Log(const std::vector<std::pair<std::string, std::string>>& findings, bool successful = true) {
  json rules = json::array(), artifacts = json::array(), results = json::array();
  std::map<std::string, int> ruleIndex, artifactIndex;
  for (const auto& [rule, file] : findings) {
    if (ruleIndex.emplace(rule, ruleIndex.size()).second) rules.push_back({{"id", rule}});
    if (artifactIndex.emplace(file, artifactIndex.size()).second) artifacts.push_back({{"location", {{"uri", file}}}});
    const json location = {{"uri", file}, {"index", artifactIndex[file]}};
    results.push_back({{"ruleId", rule},
                       {"ruleIndex", ruleIndex[rule]},
                       {"locations", {{{"physicalLocation", {{"artifactLocation", location}}}}}},
                       {"fixes", {{{"artifactChanges", {{{"artifactLocation", location}}}}}}}});
  }
  json notifications = json::array();
  if (!successful) notifications.push_back({{"message", {{"text", "failed"}}}});
  return {{"version", "2.1.0"},
          {"runs",
           {{{"tool", {{"driver", {{"name", "zoci"}, {"rules", rules}}}}},
             {"columnKind", "utf16CodeUnits"},
             {"artifacts", artifacts},
             {"invocations", {{{"executionSuccessful", successful}, {"toolExecutionNotifications", notifications}}}},
             {"results", results}}}}};
}

TEST(MergeSarif, ListsRulesAndArtifactsOnceAndRenumbersEveryReference) {
  std::string error;
  const auto merged = MergeSarif({{"a", Log({{"r1", "file:///a"}, {"r2", "file:///b"}}).dump()},
                                  {"b", Log({{"r2", "file:///c"}, {"r3", "file:///a"}}, false).dump()}},
                                 error);
  ASSERT_TRUE(merged) << error;
  const json run = json::parse(*merged)["runs"][0];
  ASSERT_EQ(json::parse(*merged)["runs"].size(), 1u);
  EXPECT_EQ(run["tool"]["driver"]["rules"].size(), 3u);
  EXPECT_EQ(run["artifacts"].size(), 3u);
  EXPECT_EQ(run["columnKind"], "utf16CodeUnits");
  EXPECT_FALSE(run["invocations"][0]["executionSuccessful"].get<bool>());
  EXPECT_EQ(run["invocations"][0]["toolExecutionNotifications"].size(), 1u);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"r1", "file:///a"}, {"r2", "file:///b"}, {"r2", "file:///c"}, {"r3", "file:///a"}};
  ASSERT_EQ(run["results"].size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const json& result = run["results"][i];
    EXPECT_EQ(run["tool"]["driver"]["rules"][result["ruleIndex"].get<size_t>()]["id"], expected[i].first);
    for (const json* location : {&result["locations"][0]["physicalLocation"]["artifactLocation"],
                                 &result["fixes"][0]["artifactChanges"][0]["artifactLocation"]}) {
      EXPECT_EQ(run["artifacts"][(*location)["index"].get<size_t>()]["location"]["uri"], expected[i].second);
    }
  }
}

TEST(MergeSarif, RefusesWhatIsNotASarifLogByName) {
  for (const std::string text : {"{", "[]", R"({"version":"2.0.0","runs":[]})", R"({"version":"2.1.0","runs":[1]})"}) {
    std::string error;
    EXPECT_FALSE(MergeSarif({{"good.sarif", Log({}).dump()}, {"bad.sarif", text}}, error)) << text;
    EXPECT_EQ(error.rfind("bad.sarif: ", 0), 0u) << error;
  }
}

TEST(RunSummary, CountsPerCheckMostFrequentFirstAndNamesFailedFiles) {
  const auto finding = [](const std::string& check, bool error = false) {
    Diagnostic diagnostic;
    diagnostic.check = check;
    diagnostic.error = error;
    return diagnostic;
  };
  Report report;
  report.files.resize(2);
  report.files[0].path = "a.cpp";
  report.files[0].diagnostics = {finding("modernize-use-nullptr"), finding("readability-x"),
                                 finding("modernize-use-nullptr")};
  report.files[1].path = "b.cpp";
  report.files[1].failed = true;
  report.files[1].diagnostics = {finding("clang-diagnostic-error", true)};
  EXPECT_EQ(RunSummary(report),
            "zoci: summary: 1 file inspected, 1 failed, 3 warnings, 1 error\n"
            "  2\tmodernize-use-nullptr\n"
            "  1\tclang-diagnostic-error\n"
            "  1\treadability-x\n"
            "zoci: failed: b.cpp\n");
}

}  // namespace
}  // namespace zoci
