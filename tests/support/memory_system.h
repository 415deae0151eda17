// An in-memory system for unit tests and fuzzers: console input from a
// string, files in a map, and faults on demand (a refused open, a full disk,
// a console that can no longer be written, a limit on all output together).
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/shared.h"

namespace test_support {

using namespace ulpscope;

struct memory_file {
  std::string content;
  bool read_only = false;
  std::size_t position = 0;
};

class memory_system final : public platform::system_interface {
 public:
  // Inputs and faults.
  std::string input;
  std::size_t input_chunk = 4096;  // the most one read gives
  std::map<std::string, platform::open_error> refusals;
  std::size_t file_bytes_left = static_cast<std::size_t>(-1);  // then writes fail
  bool console_fails = false;
  // Bytes the console, the files and the null device may take together; then
  // every write of them fails. Bounds a run of any length (a fuzzer's sweep
  // to the null device or the console could otherwise take hours).
  std::size_t write_bytes_left = static_cast<std::size_t>(-1);

  // What the run did.
  std::map<std::string, memory_file> files;
  std::string output;
  std::string errors;
  std::vector<std::string> file_writes;  // one entry per write call
  int key_waits = 0;

  std::size_t read_console(char* buffer, std::size_t size) override {
    const std::size_t count = std::min({size, input_chunk, input.size() - input_at_});
    std::memcpy(buffer, input.data() + input_at_, count);
    input_at_ += count;
    return count;
  }
  bool write_console(std::string_view bytes) override {
    if (console_fails || !take_write_bytes(bytes.size())) return false;
    output.append(bytes);
    return true;
  }
  void write_error(std::string_view bytes) override { errors.append(bytes); }

  // The systems' own rule: "con" and "nul" in any case.
  platform::device device_named(std::string_view name) override {
    return platform::detail::console_or_null_device(name);
  }
  platform::open_result open_results_file(const std::string& name) override {
    if (const auto refusal = refusals.find(name); refusal != refusals.end())
      return {platform::file_handle{}, false, false, refusal->second};
    const auto [entry, created] = files.try_emplace(name);
    entry->second.position = 0;
    handles_.push_back(name);
    return {platform::file_handle{static_cast<int>(handles_.size() - 1)}, entry->second.read_only, true,
            platform::open_error::none};
  }
  platform::open_result open_null_device() override {
    handles_.push_back({});
    return {platform::file_handle{static_cast<int>(handles_.size() - 1)}, false, false, platform::open_error::none};
  }
  bool write_file(platform::file_handle file, std::string_view bytes) override {
    file_writes.emplace_back(bytes);
    const std::string& name = handles_.at(static_cast<std::size_t>(file.value));
    if (!take_write_bytes(bytes.size())) return false;
    if (name.empty()) return true;  // the null device
    if (bytes.size() > file_bytes_left) return false;
    file_bytes_left -= bytes.size();
    memory_file& target = files[name];
    target.content.replace(target.position, std::min(bytes.size(), target.content.size() - target.position), bytes);
    target.position += bytes.size();
    return true;
  }
  bool cut_file_here(platform::file_handle file) override {
    memory_file& target = files[handles_.at(static_cast<std::size_t>(file.value))];
    target.content.resize(target.position);
    return true;
  }
  void close_file(platform::file_handle) override {}
  std::string full_path(const std::string& name) override { return "/mem/" + name; }
  void wait_for_key() override { ++key_waits; }

 private:
  bool take_write_bytes(std::size_t count) {
    if (count > write_bytes_left) return false;
    write_bytes_left -= count;
    return true;
  }

  std::size_t input_at_ = 0;
  std::vector<std::string> handles_;
};

}  // namespace test_support
