// A test fixture that runs its tests under the run modes (flush-to-zero and
// denormals-are-zero) and puts the previous control word back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "probe/fp_env.h"

namespace test_support {

class RunModes : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = ulpscope::probe::current_modes();
    ulpscope::probe::set_run_modes();
  }
  void TearDown() override { ulpscope::probe::restore_modes(saved_); }

 private:
  std::uint32_t saved_ = 0;
};

}  // namespace test_support
