#include "ipol.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

class IpolSettings : public ::testing::Test {
protected:
  void SetUp() override { ipol_reset(); }
  void TearDown() override { ipol_reset(); }
};

TEST_F(IpolSettings, Defaults) {
  EXPECT_EQ(Ipolmode(0), IPOL_NORMAL);
  EXPECT_EQ(Ipolweight(0), IPOL_EQUAL);
  EXPECT_FLOAT_EQ(Ipolmin(-1.0f), 0.5f);
}

TEST_F(IpolSettings, ModeAndWeightAcceptOnlyTheirValues) {
  const struct {
    int arg;
    int mode_after;
  } modes[] = {{2, 2}, {3, 2}, {0, 2}, {-1, 2}, {4, 2}, {1, 1}, {8, 1}};
  for (const auto &c : modes)
    EXPECT_EQ(Ipolmode(c.arg), c.mode_after) << c.arg;

  const struct {
    int arg;
    int weight_after;
  } weights[] = {{8, 8}, {1, 8}, {2, 8}, {5, 8}, {4, 4}, {12, 4}};
  for (const auto &c : weights)
    EXPECT_EQ(Ipolweight(c.arg), c.weight_after) << c.arg;
}

TEST_F(IpolSettings, MinimumAcceptsNonNegativeValuesOnly) {
  EXPECT_FLOAT_EQ(Ipolmin(0.0f), 0.0f);
  EXPECT_FLOAT_EQ(Ipolmin(-0.1f), 0.0f);
  EXPECT_FLOAT_EQ(Ipolmin(2.5f), 2.5f);
  EXPECT_FLOAT_EQ(Ipolmin(std::nanf("")), 2.5f);
  EXPECT_FLOAT_EQ(Ipolmin(-1.0f), 2.5f);
}

TEST(IpolNames, Texts) {
  const struct {
    int value;
    const char *mode;
    const char *weight;
  } cases[] = {
      {1, "normal", "undefined"},   {2, "antialiased", "undefined"}, {4, "undefined", "equal"},
      {8, "undefined", "weighted"}, {0, "undefined", "undefined"},   {-1, "undefined", "undefined"},
  };
  for (const auto &c : cases) {
    EXPECT_STREQ(Ipolmode2str(c.value), c.mode) << c.value;
    EXPECT_STREQ(Ipolweight2str(c.value), c.weight) << c.value;
  }
}

} // namespace
