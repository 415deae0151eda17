// The 32-bit x86 Linux build, run under qemu-i386 with its answers piped in,
// against this (x86-64) build: the same bytes for every answer set of the
// shared table, and for the failures that need a prepared folder.
//
// The one fact to know: the emulator runs the 32-bit build's own SSE2
// instructions with their control word, flush-to-zero and denormals-are-zero
// included, so a difference here is a difference of the two builds' code: the
// 32-bit ABI, 32-bit sizes, or arithmetic the compiler left to the x87 unit.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "run_tool.h"
#include "same_bytes.h"

namespace {

namespace fs = std::filesystem;

e2e::run_result run_i686_build(e2e::run_options options) {
  options.command = {ULPSCOPE_QEMU_I386, ULPSCOPE_I686_BINARY};
  return e2e::run_tool(options);
}

const e2e::foreign_build i686_build{"i686", run_i686_build, e2e::with_folder_replaced};

// The ELF header's class and machine: 32-bit, Intel 80386.
bool is_i386_program(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char header[20] = {};
  in.read(reinterpret_cast<char*>(header), sizeof header);
  const bool elf = header[0] == 0x7F && header[1] == 'E' && header[2] == 'L' && header[3] == 'F';
  const int machine = header[18] | header[19] << 8;
  return in && elf && header[4] == 1 && machine == 3;
}

class I686Build : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(ULPSCOPE_I686_BINARY)) << "build the i686 preset first";
    ASSERT_TRUE(is_i386_program(ULPSCOPE_I686_BINARY)) << ULPSCOPE_I686_BINARY << " is no 32-bit x86 program";
  }
};

class SameBytes : public I686Build, public testing::WithParamInterface<e2e::comparison_case> {};

TEST_P(SameBytes, AsTheX8664Build) {
  const auto own_run = e2e::expect_same_bytes(i686_build, GetParam().answers);
  EXPECT_EQ(own_run.status, GetParam().own_status) << own_run.errors;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SameBytes, testing::ValuesIn(e2e::comparison_cases()),
    [](const testing::TestParamInfo<e2e::comparison_case>& param_info) { return param_info.param.name; });

// Failures that the answers alone cannot cause, and the replacement of a file.
struct prepared_case {
  const char* name;
  std::string answers;
  void (*prepare)(const fs::path& folder);
  long file_size_limit;  // 0: none
  int own_status;
  friend std::ostream& operator<<(std::ostream& out, const prepared_case& c) { return out << c.name; }
};

std::vector<prepared_case> prepared_cases() {
  return {
      {"FolderOfThatNameIs9", "d\n1 1 1\nn\n", [](const fs::path& folder) { fs::create_directory(folder / "d.rez"); },
       0, 9},
      {"ReadOnlyFileIs47",
       "ro\n1 1 1\nn\n",
       [](const fs::path& folder) {
         e2e::write_file(folder / "ro.rez", "keep me\n");
         fs::permissions(folder / "ro.rez", fs::perms::owner_read);
       },
       0, 47},
      {"FullDiskIs38", "k\n1 60000 1\nn\n", nullptr, 100000, 38},
      {"ReplacesALongerFile", "r\n1 3 1\nn\n",
       [](const fs::path& folder) { e2e::write_file(folder / "r.rez", std::string(100000, 'o')); }, 0, 0},
  };
}

class Prepared : public I686Build, public testing::WithParamInterface<prepared_case> {};

TEST_P(Prepared, SameBytesAsTheX8664Build) {
  e2e::run_options options{.input = GetParam().answers};
  if (GetParam().file_size_limit != 0) options.file_size_limit = GetParam().file_size_limit;
  const auto own_run = e2e::expect_same_bytes(i686_build, options, GetParam().prepare);
  EXPECT_EQ(own_run.status, GetParam().own_status) << own_run.errors;
}

INSTANTIATE_TEST_SUITE_P(Folders, Prepared, testing::ValuesIn(prepared_cases()),
                         [](const testing::TestParamInfo<prepared_case>& param_info) { return param_info.param.name; });

}  // namespace
