#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/NumberReader.h"
#include "tests/CaseName.h"

namespace sevalune {
namespace {

struct NumberCase {
  std::string text;
  std::optional<double> expected;  // nullopt: overflow
};

class LenientNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(LenientNumberTest, ReadsAsMuchAsFits) {
  const NumberCase& c = GetParam();
  const std::optional<double> value = ReadLenientNumber(c.text);
  ASSERT_EQ(value.has_value(), c.expected.has_value()) << "text: " << c.text;
  if (c.expected) {
    EXPECT_DOUBLE_EQ(*value, *c.expected) << "text: " << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Decimal, LenientNumberTest,
    ::testing::Values(NumberCase{"120", 120}, NumberCase{"120ms", 120}, NumberCase{"1e3", 1000},
                      NumberCase{"1E3", 1000}, NumberCase{"1e", 1}, NumberCase{"1e+", 1},
                      NumberCase{"2.5e-1", 0.25}, NumberCase{"abc", 0}, NumberCase{"", 0},
                      NumberCase{"-5", -5}, NumberCase{"+7", 7}, NumberCase{".5", 0.5},
                      NumberCase{"5.", 5}, NumberCase{".", 0}, NumberCase{"-", 0},
                      NumberCase{"99.5", 99.5}, NumberCase{" 1 2 3 ", 123},
                      NumberCase{"\t4\n2", 42}, NumberCase{"1,5", 1}, NumberCase{"0x10", 0},
                      NumberCase{"1e-400", 0}, NumberCase{"1e400", std::nullopt},
                      NumberCase{"-1e400", std::nullopt}, NumberCase{"nan", 0},
                      NumberCase{"inf", 0}, NumberCase{std::string(5000, '9') + "e-4990", 1e10}),
    testing::TextName<&NumberCase::text>{});

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, LenientNumberTest,
    ::testing::Values(NumberCase{"&H10", 16}, NumberCase{"&h1f", 31}, NumberCase{"&HFFFF", -1},
                      NumberCase{"&H7FFF", 32767}, NumberCase{"&HFFFF&", 65535},
                      NumberCase{"&H12345", 0x12345}, NumberCase{"&HFFFFFFFF", -1},
                      NumberCase{"&H7FFFFFFF", 2147483647}, NumberCase{"&HFF00FF&", 0xFF00FF},
                      NumberCase{"&H", 0}, NumberCase{"&Hxyz", 0}, NumberCase{"&H00FF00", 0xFF00},
                      NumberCase{"&H 00 FF&", 0xFF}, NumberCase{"&H123456789", std::nullopt},
                      NumberCase{"&O17", 0}),
    testing::TextName<&NumberCase::text>{});

TEST(RoundToIntegerTest, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundToInteger(2.5, -100, 100), 2);
  EXPECT_EQ(RoundToInteger(3.5, -100, 100), 4);
  EXPECT_EQ(RoundToInteger(-2.5, -100, 100), -2);
  EXPECT_EQ(RoundToInteger(99.5, -100, 100), 100);
  EXPECT_EQ(RoundToInteger(1.2, -100, 100), 1);
  EXPECT_EQ(RoundToInteger(0.4, -100, 100), 0);
}

TEST(RoundToIntegerTest, RejectsWhatDoesNotFitAfterRounding) {
  EXPECT_EQ(RoundToInteger(32767.4, -32768, 32767), 32767);
  EXPECT_EQ(RoundToInteger(32767.5, -32768, 32767), std::nullopt);
  EXPECT_EQ(RoundToInteger(-32768.5, -32768, 32767), -32768);
  EXPECT_EQ(RoundToInteger(-32769, -32768, 32767), std::nullopt);
  EXPECT_EQ(RoundToInteger(2147483648.0, -2147483647 - 1, 2147483647), std::nullopt);
  EXPECT_EQ(RoundToInteger(1e300, -2147483647 - 1, 2147483647), std::nullopt);
}

}  // namespace
}  // namespace sevalune
