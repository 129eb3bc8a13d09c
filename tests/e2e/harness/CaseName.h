// Names the instances of a table-driven end-to-end test after the `name` field of each
// case (tests/CaseName.h has the rules).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/CaseName.h"

namespace sevalune::e2e {

struct CaseName {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& instance) const {
    return ::sevalune::testing::TestNameOf(instance.param.name);
  }
};

}  // namespace sevalune::e2e
