// The tool as it is shipped: the .deb that cpack builds, unpacked with dpkg -x
// into a scratch root, whose binary runs once with piped answers; and the
// manual page, linted with groff and held to the tool's own texts.
//
// The one fact to know: the binary runs in a new session, without a
// controlling terminal, so the key wait at the end of the run returns at once
// even when the tests are started from a terminal.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "textio/streams.h"
#include "worked_example.h"

namespace {

namespace fs = std::filesystem;
using ulpscope::textio::severe;

struct finished {
  int status = -1;  // exit status, or -1 when a signal ended the program
  std::string output;
  std::string errors;
};

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void write_file(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// A folder of its own below the temporary folder, removed at the end; runs
// programs with their output and errors collected in files inside it.
class scratch_folder {
 public:
  scratch_folder() {
    std::string pattern = (fs::temp_directory_path() / "ulpscope-package-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
    path_ = pattern;
  }
  ~scratch_folder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  scratch_folder(const scratch_folder&) = delete;
  scratch_folder& operator=(const scratch_folder&) = delete;

  fs::path operator/(const std::string& name) const { return path_ / name; }

  // Runs `argv` (argv[0] a full path) in `folder`, in a new session, with
  // standard input read from `input`.
  finished run(const std::vector<std::string>& argv, const fs::path& folder,
               const fs::path& input = "/dev/null") {
    const fs::path output_path = path_ / ("run" + std::to_string(++runs_) + ".out");
    const fs::path errors_path = path_ / ("run" + std::to_string(runs_) + ".err");
    std::vector<char*> arguments;
    for (const auto& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    const int input_fd = ::open(input.c_str(), O_RDONLY | O_CLOEXEC);
    const int output_fd = ::open(output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int errors_fd = ::open(errors_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (input_fd < 0 || output_fd < 0 || errors_fd < 0) throw std::runtime_error("run: open");

    const pid_t child = ::fork();
    if (child == 0) {
      ::setsid();
      if (::chdir(folder.c_str()) != 0) ::_exit(126);
      ::dup2(input_fd, 0);
      ::dup2(output_fd, 1);
      ::dup2(errors_fd, 2);
      ::execv(arguments[0], arguments.data());
      ::_exit(127);
    }
    ::close(input_fd);
    ::close(output_fd);
    ::close(errors_fd);
    int wait_status = 0;
    ::waitpid(child, &wait_status, 0);
    finished result;
    if (WIFEXITED(wait_status)) result.status = WEXITSTATUS(wait_status);
    result.output = read_file(output_path);
    result.errors = read_file(errors_path);
    return result;
  }

 private:
  fs::path path_;
  int runs_ = 0;
};

using test_support::worked_example_answers;
using test_support::worked_example_console;
using test_support::worked_example_lines;

// "Package: ulpscope\nVersion: 0.1.0\n..." -> {Package: ulpscope, ...}
std::map<std::string, std::string> control_fields(const std::string& text) {
  std::map<std::string, std::string> fields;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const auto colon = line.find(": ");
    if (colon != std::string::npos && line.front() != ' ') fields[line.substr(0, colon)] = line.substr(colon + 2);
  }
  return fields;
}

fs::path only_package_in(const fs::path& folder) {
  std::vector<fs::path> packages;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".deb") packages.push_back(entry.path());
  if (packages.size() != 1) throw std::runtime_error("expected one .deb in " + folder.string());
  return packages.front();
}

TEST(Package, InstallsIntoATemporaryRootAndRuns) {
  if (std::string_view(ULPSCOPE_DPKG).empty() || std::string_view(ULPSCOPE_DPKG_DEB).empty())
    GTEST_SKIP() << "dpkg and dpkg-deb are needed to unpack the package";
  scratch_folder scratch;
  fs::create_directories(scratch / "packages");
  fs::create_directories(scratch / "root");
  fs::create_directories(scratch / "run");

  // Step 1: the package, built from the tree's CPack configuration.
  const finished packed = scratch.run(
      {ULPSCOPE_CPACK, "-G", "DEB", "--config", ULPSCOPE_CPACK_CONFIG, "-B", (scratch / "packages").string()},
      scratch / "packages");
  ASSERT_EQ(packed.status, 0) << packed.output << packed.errors;
  const fs::path package = only_package_in(scratch / "packages");
  EXPECT_EQ(package.filename().string().rfind("ulpscope_" ULPSCOPE_VERSION "_", 0), 0u) << package;

  // Step 2: its control fields carry the project version.
  const finished fields = scratch.run(
      {ULPSCOPE_DPKG_DEB, "-f", package.string(), "Package", "Version", "Section", "Maintainer", "Depends"},
      scratch / "packages");
  ASSERT_EQ(fields.status, 0) << fields.errors;
  const auto control = control_fields(fields.output);
  EXPECT_EQ(control.count("Package") ? control.at("Package") : "", "ulpscope");
  EXPECT_EQ(control.count("Version") ? control.at("Version") : "", ULPSCOPE_VERSION);
  EXPECT_EQ(control.count("Section") ? control.at("Section") : "", "math");
  EXPECT_FALSE(control.count("Maintainer") ? control.at("Maintainer").empty() : true);
  EXPECT_NE((control.count("Depends") ? control.at("Depends") : "").find("libc6"), std::string::npos)
      << fields.output;

  // Step 3: unpacked into the scratch root, the files are where a user looks.
  const fs::path root = scratch / "root";
  const finished unpacked = scratch.run({ULPSCOPE_DPKG, "-x", package.string(), root.string()}, scratch / "packages");
  ASSERT_EQ(unpacked.status, 0) << unpacked.errors;
  const fs::path binary = root / "usr/bin/ulpscope";
  ASSERT_TRUE(fs::is_regular_file(binary));
  EXPECT_NE(fs::status(binary).permissions() & fs::perms::owner_exec, fs::perms::none);
  const finished man_page = scratch.run({ULPSCOPE_GZIP, "-d", "-c", (root / "usr/share/man/man1/ulpscope.1.gz").string()},
                                        scratch / "packages");
  EXPECT_EQ(man_page.status, 0) << man_page.errors;
  EXPECT_EQ(man_page.output, read_file(ULPSCOPE_MAN_PAGE));
  EXPECT_NE(man_page.output.find(".TH ULPSCOPE 1 \"\" \"ulpscope " ULPSCOPE_VERSION "\""), std::string::npos);
  const fs::path doc = root / "usr/share/doc/ulpscope";
  EXPECT_EQ(read_file(doc / "README.md"), read_file(ULPSCOPE_README));
  const std::string copyright = read_file(doc / "copyright");
  EXPECT_EQ(copyright.rfind("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n", 0), 0u);
  EXPECT_NE(copyright.find("\nLicense: MIT\n MIT License\n .\n"), std::string::npos) << copyright;
  const finished changelog = scratch.run({ULPSCOPE_GZIP, "-d", "-c", (doc / "changelog.gz").string()}, scratch / "packages");
  EXPECT_EQ(changelog.status, 0) << changelog.errors;
  EXPECT_EQ(changelog.output.rfind("ulpscope (" ULPSCOPE_VERSION ") ", 0), 0u) << changelog.output;

  // Step 4: the installed binary, once, with the answers of the worked example.
  write_file(scratch / "answers", worked_example_answers);
  const finished run = scratch.run({binary.string()}, scratch / "run", scratch / "answers");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(run.output, worked_example_console());
  EXPECT_EQ(read_file(scratch / "run/t.rez"), test_support::with_crlf(worked_example_lines()));
}

// The page as groff renders it for a terminal of 200 columns, in plain ASCII.
std::string rendered_man_page(scratch_folder& scratch) {
  const finished rendered = scratch.run(
      {ULPSCOPE_GROFF, "-man", "-Tascii", "-P-c", "-P-b", "-P-u", "-rLL=200n", ULPSCOPE_MAN_PAGE}, scratch / ".");
  if (rendered.status != 0) throw std::runtime_error("groff: " + rendered.errors);
  return rendered.output;
}

std::string collapse_white_space(std::string_view text) {
  std::string collapsed;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\n' || c == '\t';
    if (!blank) collapsed += c;
    else if (!collapsed.empty() && collapsed.back() != ' ') collapsed += ' ';
  }
  return collapsed;
}

std::string without_trailing_blanks(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// "x" indented by blanks only.
bool is_indented(std::string_view line, std::string_view text) {
  return line.ends_with(text) && line.substr(0, line.size() - text.size()).find_first_not_of(' ') == std::string_view::npos;
}

class ManPage : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string_view(ULPSCOPE_GROFF).empty())
      GTEST_SKIP() << "groff not found (Debian: groff-base); the manual page is not checked";
  }
  scratch_folder scratch;
};

TEST_F(ManPage, LintsCleanWithGroff) {
  const finished lint = scratch.run({ULPSCOPE_GROFF, "-man", "-Tutf8", "-ww", "-z", ULPSCOPE_MAN_PAGE}, scratch / ".");
  EXPECT_EQ(lint.status, 0);
  EXPECT_EQ(lint.errors, "");
}

// Every severe diagnostic as the tool writes it, file names as the page shows
// them ("path" for the results file's full path).
struct diagnostic_case {
  severe number;
  int unit;
  std::string_view file;
};

constexpr std::array documented_diagnostics{
    diagnostic_case{severe::permission_denied, 1, "path"},
    diagnostic_case{severe::end_of_input, -4, "CONIN$"},
    diagnostic_case{severe::file_not_found, 1, "path"},
    diagnostic_case{severe::open_failure, 1, "path"},
    diagnostic_case{severe::write_failure, 1, "path"},
    diagnostic_case{severe::write_failure, -1, "CONOUT$"},
    diagnostic_case{severe::no_device, 1, "path"},
    diagnostic_case{severe::bad_file_name, 1, "path"},
    diagnostic_case{severe::read_only_file, 1, "path"},
    diagnostic_case{severe::syntax_error, -4, "CONIN$"},
    diagnostic_case{severe::conversion_error, -4, "CONIN$"},
};

TEST_F(ManPage, ShowsEveryDiagnosticAsTheToolWritesIt) {
  const std::string page = collapse_white_space(rendered_man_page(scratch));
  for (const auto& [number, unit, file] : documented_diagnostics) {
    std::string line = ulpscope::textio::severe_diagnostic(number, unit, file);
    line.resize(line.size() - 2);  // the CR LF
    EXPECT_NE(page.find(line), std::string::npos) << line;
  }
}

TEST_F(ManPage, ShowsTheWorkedExampleLineForLine) {
  std::vector<std::string> page;
  std::istringstream lines(rendered_man_page(scratch));
  for (std::string line; std::getline(lines, line);) page.push_back(without_trailing_blanks(line));

  // Step 1: the first line of the example gives its place and its indent.
  const auto& example = worked_example_lines();
  const std::string& first = example.front();
  std::size_t start = 0;
  while (start < page.size() && !is_indented(page[start], first)) ++start;
  ASSERT_LT(start, page.size()) << "the example's first line is missing";
  const std::string indent = page[start].substr(0, page[start].size() - first.size());

  // Step 2: every line of it, in order, as the tool writes it.
  ASSERT_LE(start + example.size(), page.size());
  for (std::size_t k = 0; k < example.size(); ++k) {
    const std::string expected = without_trailing_blanks(example[k].empty() ? "" : indent + example[k]);
    EXPECT_EQ(page[start + k], expected) << "line " << k + 1 << " of the example";
  }
}

}  // namespace
