// The comparison of two builds and its table of answer sets.
#include "same_bytes.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>

namespace e2e {
namespace {

namespace fs = std::filesystem;

void expect_same_files(const fs::path& own_folder, const fs::path& foreign_folder, const std::string& foreign_name) {
  const auto own_files = files_in(own_folder);
  const auto foreign_files = files_in(foreign_folder);
  std::vector<std::string> own_names, foreign_names;
  for (const auto& [name, bytes] : own_files) own_names.push_back(name);
  for (const auto& [name, bytes] : foreign_files) foreign_names.push_back(name);
  ASSERT_EQ(foreign_names, own_names);
  for (const auto& [name, bytes] : own_files)
    EXPECT_EQ(first_difference(bytes, foreign_files.at(name), foreign_name), "") << "in " << name;
}

// The shortest text that reads back as `value`.
std::string text_of(double value) {
  char buffer[32];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

std::string range_answer(double start, double end, double step) {
  return text_of(start) + " " + text_of(end) + " " + text_of(step) + "\n";
}

// One range per binade, x = 2^k for every normal k, with the step x/2 so that
// each sweep holds x alone: every exponent(x), its digit count, ULP(x) and the
// probes at each binary exponent. (Subnormal x cannot start a range: the
// modes make such an end equal to 0, which stops the run.)
std::string every_binade_answers() {
  std::string answers = "p\n";
  for (int k = -1022; k <= 1023; ++k) {
    const double x = std::ldexp(1.0, k);
    answers += range_answer(x, x, x / 2) + (k < 1023 ? "y\n" : "n\n");
  }
  return answers;
}

// Ranges of random doubles: a start of any sign and normal exponent, a step
// from one ulp of the start up to 2^20 ulps, 1 to 20 values; every third range
// crosses zero with a step of any normal magnitude.
std::string random_answers(std::uint64_t seed) {
  std::mt19937_64 random(seed);
  const auto between = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  std::string answers = "r\n";
  constexpr int ranges = 12;
  for (int range = 0; range < ranges; ++range) {
    int count = between(1, 20);
    double start = 0, step = 0;
    if (range % 3 == 2) {
      // The end stays above zero and normal: an end equal to 0 would stop the run.
      count = between(2, 20);
      step = std::ldexp(1.0 + between(0, 1 << 20) / double(1 << 20), between(-1022, 1000));
      start = -step * between(0, count - 2);
    } else {
      const std::uint64_t fraction_bits = random() & ((std::uint64_t{1} << 52) - 1);
      const std::uint64_t exponent_bits = static_cast<std::uint64_t>(between(1, 2040)) << 52;
      const std::uint64_t sign_bit = static_cast<std::uint64_t>(between(0, 1)) << 63;
      start = std::bit_cast<double>(sign_bit | exponent_bits | fraction_bits);
      int exponent = 0;
      std::frexp(start, &exponent);
      step = std::ldexp(between(0, 1) ? 1.0 : -1.0, exponent - 53 + between(0, 20));
    }
    answers += range_answer(start, start + step * (count - 1), step) + (range + 1 < ranges ? "y\n" : "n\n");
  }
  return answers;
}

}  // namespace

std::string with_folder_replaced(std::string errors, const fs::path& from, const fs::path& to) {
  const std::string from_text = fs::canonical(from).string();
  const std::string to_text = fs::canonical(to).string();
  for (auto at = errors.find(from_text); at != std::string::npos; at = errors.find(from_text, at + to_text.size()))
    errors.replace(at, from_text.size(), to_text);
  return errors;
}

std::vector<comparison_case> comparison_cases() {
  std::vector<comparison_case> cases{
      {"WorkedExample", "t\n1, 1, 1\ny\n-1 -1 1\nn\n", 0},
      {"SweepThroughZero", "z\n-1 1 1\nn\n", 0},
      {"Tenths", "s\n0.1 1.0 0.1\ny\n0.1 0.3 0.1\nn\n", 0},
      {"SixtyThousandValues", "k\n1 60000 1\nn\n", 0},
      {"DownwardSweep", "d\n3 1 -1\ny\n-3 -1 1\nn\n", 0},
      {"SubnormalUlp", "s\n9.332636185032189e-302 9.332636185032189e-302 1\nn\n", 0},
      {"BottomOfTheNormals", "b\n0 2.5e-307 2.2250738585072014e-308\ny\n-4e-308 4e-308 1e-308\nn\n", 0},
      {"SubnormalValuesAndSteps", "u\n4e-320 1e-319 1e-320\ny\n1 2 5e-324\nn\n", 0},
      {"TopOfTheRange", "m\n1.7976931348623157e308 1.7976931348623157e308 1\ny\n1e308 1.7e308 1e307\nn\n", 0},
      {"NotANumberAndInfinities", "i\nnan nan 1\ny\ninf inf 1\ny\n-inf 1 1\ny\n0 2147483647 1\nn\n", 0},
      {"FreeFormAnswers", "f\n3*1\ny\n1,,0.5\ny\n/\ny\n2 3 /\ny\n1D0 1.5d+0 2.5E-1\nn\n", 0},
      {"ImmediateStop", "q\n1 0 1\n", 0},
      {"ImmediateStopAfterARange", "q\n2 1 1\ny\n5 0.0 5\n", 0},
      {"SubnormalEndStops", "q\n1 4e-320 1\n", 0},
      {"EndOfInputAfterARange", "e\n1 1 1\ny\n", 24},
      {"EndOfInputInAnAnswer", "e\n1 1", 24},
      {"NoInputAtAll", "", 24},
      {"SyntaxError", "b\n1 1 1\ny\n1 2 abc\n", 59},
      {"ConversionError", "b\n1 1 1\ny\n1,2,T\n", 64},
      {"TooLarge", "b\n1 1 1\ny\n1e400\n", 64},
      {"MissingFolder", "no/such\n", 29},
      {"EmptyName", "\n1 1 1\nn\n", 0},
      {"NameCutIntoItsExtension", std::string(253, 'a') + "\n", 43},
      {"LongestNameThatKeepsItsExtension", std::string(252, 'c') + "\n1 0 1\n", 43},
      {"LongName", std::string(200, 'c') + "\n1 1 1\nn\n", 0},
      {"LeadingBlanks", "  lead   \n1 1 1\nn\n", 0},
      {"ConGoesToStandardOutput", "con\n2 1 1\ny\n1 1 1\nn\n", 0},
      {"NulDiscards", "NUL\n1 1 1\nn\n", 0},
      {"EveryBinade", every_binade_answers(), 0},
  };
  for (std::uint64_t seed = 1; seed <= 8; ++seed)
    cases.push_back({"RandomRanges" + std::to_string(seed), random_answers(seed), 0});
  return cases;
}

std::string first_difference(const std::string& own_bytes, const std::string& foreign_bytes,
                             const std::string& foreign_name) {
  if (own_bytes == foreign_bytes) return "";
  std::size_t at = 0;
  while (at < own_bytes.size() && at < foreign_bytes.size() && own_bytes[at] == foreign_bytes[at]) ++at;
  const std::size_t from = at < 40 ? 0 : at - 40;
  return "sizes " + std::to_string(own_bytes.size()) + " and " + std::to_string(foreign_bytes.size()) +
         ", first difference at byte " + std::to_string(at) + ":\n  this build: " +
         testing::PrintToString(own_bytes.substr(from, 80)) + "\n  " + foreign_name + ": " +
         testing::PrintToString(foreign_bytes.substr(from, 80));
}

std::map<std::string, std::string> files_in(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder))
    files[entry.path().filename().string()] = read_file(entry.path());
  return files;
}

run_result expect_same_bytes(const foreign_build& foreign, const std::string& answers) {
  return expect_same_bytes(foreign, {.input = answers}, {});
}

run_result expect_same_bytes(const foreign_build& foreign, run_options options,
                             const std::function<void(const fs::path&)>& prepare) {
  scratch_folder own_folder, foreign_folder;
  if (prepare) {
    prepare(own_folder.path());
    prepare(foreign_folder.path());
  }
  options.folder = own_folder.path();
  const auto own_run = run_tool(options);
  options.folder = foreign_folder.path();
  const auto foreign_run = foreign.run(options);
  EXPECT_EQ(foreign_run.status, own_run.status);
  EXPECT_EQ(foreign_run.signal, own_run.signal);
  EXPECT_EQ(first_difference(own_run.output, foreign_run.output, foreign.name), "") << "on standard output";
  EXPECT_EQ(foreign_run.errors, foreign.shown_errors(own_run.errors, own_folder.path(), foreign_folder.path()));
  expect_same_files(own_folder.path(), foreign_folder.path(), foreign.name);
  return own_run;
}

}  // namespace e2e
