// The results file and the console, byte for byte, for whole runs.
#include <gtest/gtest.h>

#include <string>

#include "run_tool.h"
#include "worked_example.h"

namespace {

using e2e::crlf_lines;

const std::string hyphens(71, '-');
const std::string column_header = "      x                    fractie(x)            exponent(x)  ULP(x)";

const std::string preamble = test_support::preamble_text();

e2e::run_result run_in(const e2e::scratch_folder& folder, const std::string& input) {
  return e2e::run_tool({.input = input, .folder = folder.path()});
}

TEST(ResultsFile, WorkedExampleByteForByte) {
  e2e::scratch_folder folder;
  const auto run = run_in(folder, std::string(test_support::worked_example_answers));
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(e2e::read_file(folder / "t.rez"), test_support::with_crlf(test_support::worked_example_lines()));
  EXPECT_EQ(run.output, test_support::worked_example_console());
}

TEST(ResultsFile, SweepThroughZeroHasAHeaderBeforeEachX) {
  e2e::scratch_folder folder;
  const auto run = run_in(folder, "z\n-1 1 1\nn\n");
  ASSERT_EQ(run.status, 0) << run.errors;
  const std::string file = e2e::read_file(folder / "z.rez");
  const std::string zero_group = crlf_lines({
      hyphens,
      column_header,
      "",
      "x:  0.000000000000000D+00   0.000000000000000    0            1.110223024625157D-16",
      " ",
      "x1: 1.110223024625157D-16  0.5000000000000000    x1 >x        x1-x =  1.110223024625157D-16",
      "x2: 5.551115123125783D-17  0.5000000000000000    x2 >x        x2-x =  5.551115123125783D-17",
      " ",
      "x3:  2.775557561562891D-17 0.5000000000000000    x3 >x        x3-x =  2.775557561562891E-17",
      hyphens,
      column_header,
      "",
  }) + "x:  1.000000000000000D+00";
  EXPECT_NE(file.find(zero_group), std::string::npos) << file;
  std::size_t headers = 0;
  for (auto at = file.find(column_header); at != std::string::npos; at = file.find(column_header, at + 1)) ++headers;
  EXPECT_EQ(headers, 3u);
}

// Sweep counts and x values come from double arithmetic under the run modes.
struct sweep_case {
  const char* range;
  std::vector<std::string> x_fields;  // the x field of every x record, in order
  friend std::ostream& operator<<(std::ostream& out, const sweep_case& c) { return out << '"' << c.range << '"'; }
};

class Sweeps : public testing::TestWithParam<sweep_case> {};

std::vector<std::string> x_fields_of(const std::string& file) {
  std::vector<std::string> fields;
  for (auto at = file.find("\r\nx: "); at != std::string::npos; at = file.find("\r\nx: ", at + 1))
    fields.push_back(file.substr(at + 5, 22));
  return fields;
}

TEST_P(Sweeps, XValuesByRepeatedAddition) {
  e2e::scratch_folder folder;
  const auto run = run_in(folder, std::string("s\n") + GetParam().range + "\nn\n");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(x_fields_of(e2e::read_file(folder / "s.rez")), GetParam().x_fields);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, Sweeps,
    testing::Values(
        sweep_case{"1 1 1", {" 1.000000000000000D+00"}},
        sweep_case{"2 1 1", {}},
        sweep_case{"1 2 0", {}},
        sweep_case{"nan nan 1", {}},
        sweep_case{"0 2147483647 1", {}},
        sweep_case{"3 1 -1", {" 3.000000000000000D+00", " 2.000000000000000D+00", " 1.000000000000000D+00"}},
        sweep_case{"0.1 0.3 0.1", {" 1.000000000000000D-01", " 2.000000000000000D-01", " 3.000000000000000D-01"}},
        sweep_case{"0.1 1.0 0.1",
                   {" 1.000000000000000D-01", " 2.000000000000000D-01", " 3.000000000000000D-01",
                    " 4.000000000000000D-01", " 5.000000000000000D-01", " 6.000000000000000D-01",
                    " 7.000000000000000D-01", " 7.999999999999999D-01", " 8.999999999999999D-01",
                    " 9.999999999999999D-01"}},
        // A subnormal step counts as zero in the count: nothing is swept.
        sweep_case{"1 2 5e-324", {}}));

TEST(ResultsFile, SubnormalUlpWritesNoHeaderBeforeTheFirstX) {
  e2e::scratch_folder folder;
  // x = 2^-1000: its ulp 2^-1052 is subnormal and compares equal to the starting 0.
  const auto run = run_in(folder, "s\n9.332636185032189e-302 9.332636185032189e-302 1\nn\n");
  ASSERT_EQ(run.status, 0) << run.errors;
  const std::string file = e2e::read_file(folder / "s.rez");
  EXPECT_EQ(file.substr(preamble.size()),
            crlf_lines({" ", "",
                        "x:  9.332636185032189-302  0.5000000000000000    -999         2.072261514614524-317",
                        " ",
                        "x1: 9.332636185032189-302  0.5000000000000000    x1 =x",
                        "x2: 9.332636185032189-302  0.5000000000000000    x2 =x", hyphens}));
}

TEST(ResultsFile, ReplacesALongerExistingFile) {
  e2e::scratch_folder folder;
  std::string old;
  for (int line = 0; line < 10000; ++line) old += "old line " + std::to_string(line) + "\r\n";
  e2e::write_file(folder / "r.rez", old);
  const auto run = run_in(folder, "r\n1 1 1\nn\n");
  ASSERT_EQ(run.status, 0) << run.errors;
  const std::string file = e2e::read_file(folder / "r.rez");
  EXPECT_EQ(file.find("old line"), std::string::npos);
  EXPECT_EQ(file.substr(0, preamble.size()), preamble);
  EXPECT_EQ(file.substr(file.size() - 73), hyphens + "\r\n");
}

struct stop_case {
  const char* answers;
  const char* file_tail;  // what follows the preamble
  friend std::ostream& operator<<(std::ostream& out, const stop_case& c) { return out << testing::PrintToString(std::string(c.answers)); }
};

class ImmediateStop : public testing::TestWithParam<stop_case> {};

TEST_P(ImmediateStop, EndsSilentlyWithStatusZero) {
  e2e::scratch_folder folder;
  const auto run = run_in(folder, std::string("q\n") + GetParam().answers);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(run.output.find("Fisier"), std::string::npos);
  EXPECT_EQ(e2e::read_file(folder / "q.rez"), preamble + GetParam().file_tail);
}

INSTANTIATE_TEST_SUITE_P(Ends, ImmediateStop,
                         testing::Values(stop_case{"1 0 1\n", ""}, stop_case{"1 -0 1\n", ""},
                                         stop_case{"1 4e-320 1\n", ""},
                                         stop_case{"2 1 1\ny\n5 0.0 5\n", " \r\n"}));

TEST(ResultsFile, ConWritesRecordsToStandardOutput) {
  e2e::scratch_folder folder;
  const auto run = run_in(folder, "con\n2 1 1\nn\n");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_FALSE(std::filesystem::exists(folder / "con.rez"));
  EXPECT_EQ(run.output, "Input file name (NO extension): " + preamble +
                            " Input xStart, xEnd (0=stop), xStep:  \r\n\r\n Another Range? (Y,y / char):" +
                            hyphens + "\r\n\r\nFisier de rezultate: con.rez\r\n\r\nApasa orice tasta\r\n");
}

TEST(ResultsFile, NulDiscardsRecords) {
  e2e::scratch_folder folder;
  const auto run = run_in(folder, "NUL\n1 1 1\nn\n");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
  EXPECT_NE(run.output.find("Fisier de rezultate: NUL.rez\r\n"), std::string::npos);
}

TEST(ResultsFile, LeadingBlanksStayInTheMessageButNotInTheFileName) {
  e2e::scratch_folder folder;
  const auto run = run_in(folder, "  lead   \n1 0 1\n");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_TRUE(std::filesystem::exists(folder / "lead.rez"));
}

}  // namespace
