// Names the instances of a table-driven test after the `name` field of each case.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace sevalune::e2e {

struct CaseName {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& instance) const {
    return instance.param.name;
  }
};

}  // namespace sevalune::e2e
