// Another build of the tool (for another system or processor) run beside the
// build of these tests with the same answers: its results files, console
// output, status and diagnostics must be the same bytes. The table of answer
// sets is shared by every such comparison.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "run_tool.h"

namespace e2e {

struct foreign_build {
  std::string name;  // in messages: "windows", "i686"
  std::function<run_result(run_options)> run;
  // This build's diagnostics of a run in `own_folder` as the foreign build
  // writes them for the same run in `foreign_folder`.
  std::function<std::string(std::string errors, const std::filesystem::path& own_folder,
                            const std::filesystem::path& foreign_folder)>
      shown_errors;
};

// `errors` with the paths below `from` written below `to`.
std::string with_folder_replaced(std::string errors, const std::filesystem::path& from,
                                 const std::filesystem::path& to);

struct comparison_case {
  std::string name;
  std::string answers;
  int own_status;  // what this build gives, so that a case cannot pass by both builds failing alike
  friend std::ostream& operator<<(std::ostream& out, const comparison_case& c) { return out << c.name; }
};

// Every binary exponent, seeded random ranges, subnormal, huge, infinite and
// NaN values, free-form answers, and the failures that answers alone cause:
// end of input (24), syntax (59), conversion (64), missing folder (29) and
// bad names (43).
std::vector<comparison_case> comparison_cases();

// Empty when the two texts are equal, else where they first differ: a few
// bytes of each, not the megabytes of a whole results file.
std::string first_difference(const std::string& own_bytes, const std::string& foreign_bytes,
                             const std::string& foreign_name);

// Every file a run left in its folder, by name.
std::map<std::string, std::string> files_in(const std::filesystem::path& folder);

// Gives `answers` to both builds, each in a folder of its own, and compares.
// Returns this build's run, for checks that the comparison means something.
run_result expect_same_bytes(const foreign_build& foreign, const std::string& answers);

// The same with more of the run set: `options` (its folder is replaced), and
// `prepare`, called on each folder before its run.
run_result expect_same_bytes(const foreign_build& foreign, run_options options,
                             const std::function<void(const std::filesystem::path&)>& prepare);

}  // namespace e2e
