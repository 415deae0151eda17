// A record sink for tests: keeps every record as it was handed over, one
// entry per write_record call, so tests see the record boundaries too.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "textio/record.h"

namespace test_support {

class recording_sink final : public ulpscope::textio::record_sink {
 public:
  void write_record(std::string_view bytes) override { records.emplace_back(bytes); }

  // All records as the destination received them, one after the other.
  std::string joined() const {
    std::string all;
    for (const std::string& record : records) all += record;
    return all;
  }

  std::vector<std::string> records;
};

}  // namespace test_support
