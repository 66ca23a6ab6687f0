#include "ipol.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

constexpr float nan_f = std::numeric_limits<float>::quiet_NaN();
constexpr float inf_f = std::numeric_limits<float>::infinity();

// A Dim_1 x Dim_2 image in an exactly sized heap array, so that the sanitizer
// build catches any read past either end.
struct Image {
  int d1, d2;
  std::vector<float> v;
  Image(int dim_1, int dim_2, float fill = 0.0f)
      : d1(dim_1), d2(dim_2), v(static_cast<std::size_t>(dim_1) * dim_2, fill) {}
  float &at(int i_1, int i_2) { return v[static_cast<std::size_t>(i_1 + i_2 * d1)]; }
  float *data() { return v.data(); }
};

// 4 x 3 image with value 1 + i_1 + 10 i_2.
Image ramp() {
  Image im(4, 3);
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 4; ++i)
      im.at(i, j) = static_cast<float>(1 + i + 10 * j);
  return im;
}

constexpr float dummy = -1.0f;
constexpr float ddummy = 0.1f;

class Ipol : public ::testing::Test {
protected:
  void SetUp() override { ipol_reset(); }
  void TearDown() override { ipol_reset(); }
};

struct Rectangle {
  float f1_1, f1_2, f3_1, f3_2;
};

struct Sum {
  int count;
  float sum, weight;
};

Sum isum(Image &im, const Rectangle &r, float d = dummy, float dd = ddummy) {
  Sum s{-7, -7.0f, -7.0f};
  s.count =
      Isum2ldw(im.data(), im.d1, im.d2, d, dd, r.f1_1, r.f1_2, r.f3_1, r.f3_2, &s.sum, &s.weight);
  return s;
}

struct VarSum {
  int count;
  float sum, weight, varsum, varweight;
};

using VarRoutine = int (*)(float *, float *, int, int, float, float, float, float, float, float,
                           float *, float *, float *, float *);

VarSum vsum(VarRoutine routine, Image &im, float *var, const Rectangle &r) {
  VarSum s{-7, -7.0f, -7.0f, -7.0f, -7.0f};
  s.count = routine(im.data(), var, im.d1, im.d2, dummy, ddummy, r.f1_1, r.f1_2, r.f3_1, r.f3_2,
                    &s.sum, &s.weight, &s.varsum, &s.varweight);
  return s;
}

// Plain reference of the area integral: the overlap of the (in antialiased
// mode widened) rectangle with every pixel, in double. Returns the sum and
// weight and whether the valid area is enough.
struct Reference {
  double sum, weight;
  bool valid;
};

Reference reference_sum(const Image &im, const Rectangle &r, bool antialiased, double minimum) {
  double a1 = r.f1_1, b1 = r.f3_1, a2 = r.f1_2, b2 = r.f3_2;
  const double A = (b1 - a1) * (b2 - a2);
  double sign = 1;
  if (b1 < a1) std::swap(a1, b1), sign = -sign;
  if (b2 < a2) std::swap(a2, b2), sign = -sign;
  double scale = sign;
  if (antialiased) {
    auto widen = [](double &a, double &b) {
      if (b - a > 1) return b - a;
      const double c = (a + b) / 2;
      a = c - 0.5, b = c + 0.5;
      return 1.0;
    };
    const double w1 = widen(a1, b1);
    const double w2 = widen(a2, b2);
    scale = std::fabs(A) / (w1 * w2);
  }
  Reference ref{0, 0, false};
  for (int j = 0; j < im.d2; ++j)
    for (int i = 0; i < im.d1; ++i) {
      const double ox = std::max(0.0, std::min(b1, i + 0.5) - std::max(a1, i - 0.5));
      const double oy = std::max(0.0, std::min(b2, j + 0.5) - std::max(a2, j - 0.5));
      const float v = im.v[static_cast<std::size_t>(i + j * im.d1)];
      if (ox * oy == 0 || DUMMY(v, dummy, ddummy)) continue;
      ref.sum += ox * oy * v;
      ref.weight += ox * oy;
    }
  ref.sum *= scale;
  ref.weight *= scale;
  ref.valid = std::fabs(ref.weight) >= 1e-32 && std::fabs(ref.weight) >= minimum * std::fabs(A);
  return ref;
}

// --- Dummy rules -----------------------------------------------------------

static_assert(DUMMY(-1.0f, -1.0f, 0.1f) && !NODUMMY(-1.0f, -1.0f, 0.1f));
static_assert(DDSET(0.0f) == MinDDummy && DDSET(-1.0f) == MinDDummy);

TEST(IpolDummy, Rules) {
  const struct {
    float v, d, dd;
    bool defined, is_dummy, valid;
  } cases[] = {
      {-1.0f, -1.0f, 0.1f, true, true, false},
      {-1.05f, -1.0f, 0.1f, true, true, false},
      {-1.2f, -1.0f, 0.1f, true, false, true},
      {0.0f, 0.0f, 0.0f, false, false, true}, // dummy 0: every value is valid
      {0.1f, 0.1f, 0.0f, false, false, true}, // |D| must exceed 0.1
      {0.2f, 0.2f, 0.0f, true, true, false},
      {5.0f, 5.0f, 6.0f, false, false, true}, // |D| must exceed DD
      {-5.0f, -5.0f, 0.0f, true, true, false},
      {1e6f, 1e6f + 8.0f, 10.0f, true, true, false},
      // Non-finite arguments: a NaN value or tolerance is neither dummy nor
      // valid while dummies are in use; a NaN dummy switches them off.
      {nan_f, -1.0f, 0.1f, true, false, false},
      {nan_f, 0.0f, 0.1f, false, false, true},
      {-5.0f, -5.0f, nan_f, true, false, false},
      {1.0f, nan_f, 0.1f, false, false, true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.v << " " << c.d << " " << c.dd);
    EXPECT_EQ(DUMMYDEFINED(c.d, c.dd), c.defined);
    EXPECT_EQ(DUMMY(c.v, c.d, c.dd), c.is_dummy);
    EXPECT_EQ(NODUMMY(c.v, c.d, c.dd), c.valid);
  }
}

TEST(IpolDummy, DefaultToleranceAndUpdate) {
  const struct {
    float d, dd;
  } tolerances[] = {{0.0f, 0.1f}, {-1.0f, 0.1f}, {1e4f, 0.1f}, {-2e4f, 0.2f}, {1e7f, 100.0f}};
  for (const auto &c : tolerances)
    EXPECT_FLOAT_EQ(DDSET(c.d), c.dd) << c.d;

  const struct {
    float cell, v, d, dd, after;
  } updates[] = {{-1.0f, 3.0f, -1.0f, 0.1f, 3.0f},
                 {2.0f, 3.0f, -1.0f, 0.1f, 5.0f},
                 {-1.0f, 3.0f, -1.0f, 2.0f, 2.0f}, // dummies off: plain addition
                 {0.0f, 3.0f, 0.0f, 0.1f, 3.0f}};
  for (const auto &c : updates) {
    float cell = c.cell;
    UPDATE(cell, c.v, c.d, c.dd);
    EXPECT_EQ(cell, c.after) << c.cell << " " << c.v;
  }
}

// --- Bilinear interpolation ------------------------------------------------

TEST_F(Ipol, Ipol2ldwTable) {
  Image im = ramp();
  im.at(3, 2) = dummy;
  const struct {
    float f_1, f_2;
    int count;
    float sum, weight;
  } cases[] = {
      {0.0f, 0.0f, 1, 1.0f, 1.0f},        // pixel centre
      {2.0f, 1.0f, 1, 13.0f, 1.0f},       //
      {3.0f, 2.0f, 0, 0.0f, 0.0f},        // centre of a dummy
      {0.5f, 0.0f, 2, 1.5f, 1.0f},        // between two columns
      {0.5f, 0.5f, 4, 6.5f, 1.0f},        // four neighbours
      {2.5f, 1.5f, 3, 12.5f, 0.75f},      // one neighbour a dummy
      {-0.5f, 0.0f, 1, 0.5f, 0.5f},       // half a pixel off the edge: 0.5 is enough
      {-0.625f, 0.0f, 0, 0.375f, 0.375f}, // below the minimum, sum still written
      {1.00005f, 0.0f, 1, 2.0f, 1.0f},    // within IPOLEPS of a centre
      {-1.0f, -1.0f, 0, 0.0f, 0.0f},      // only neighbour outside
      {4.0f, 0.0f, 0, 0.0f, 0.0f},        // right of the image
      {0.0f, -1.5f, 0, 0.0f, 0.0f},       // below the image
      {nan_f, 0.0f, 0, 0.0f, 0.0f},       //
      {0.0f, inf_f, 0, 0.0f, 0.0f},       //
      {-inf_f, 0.0f, 0, 0.0f, 0.0f},      //
      {3e9f, 1.0f, 0, 0.0f, 0.0f},        // beyond int range
      {1.0f, -3e38f, 0, 0.0f, 0.0f},      //
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.f_1 << ", " << c.f_2);
    float sum = -7, weight = -7;
    EXPECT_EQ(Ipol2ldw(im.data(), im.d1, im.d2, dummy, ddummy, c.f_1, c.f_2, &sum, &weight),
              c.count);
    EXPECT_FLOAT_EQ(sum, c.sum);
    EXPECT_FLOAT_EQ(weight, c.weight);
    float value = -7;
    EXPECT_EQ(Ipol2ld(im.data(), im.d1, im.d2, dummy, ddummy, c.f_1, c.f_2, &value), c.count);
    EXPECT_FLOAT_EQ(value, c.count ? c.sum / c.weight : c.sum);
    EXPECT_EQ(Ipol2d(im.data(), im.d1, im.d2, dummy, ddummy, c.f_1, c.f_2, &value), c.count);
  }
}

TEST_F(Ipol, Ipol2MatchesIpol2ldInsideAndStaysInsideTheArray) {
  Image im = ramp();
  const struct {
    float f_1, f_2;
  } inside[] = {{0.0f, 0.0f}, {0.25f, 0.75f}, {2.5f, 1.5f}, {1.0f, 0.3f}, {3.0f, 2.0f}};
  for (const auto &c : inside) {
    float expected = 0, value = -7;
    ASSERT_NE(Ipol2ld(im.data(), im.d1, im.d2, 0.0f, 0.0f, c.f_1, c.f_2, &expected), 0);
    Ipol2(im.data(), im.d1, im.d2, c.f_1, c.f_2, &value);
    EXPECT_FLOAT_EQ(value, expected) << c.f_1 << ", " << c.f_2;
  }
  // At the high edge only the pixels inside are used.
  float value = -7;
  Ipol2(im.data(), im.d1, im.d2, 3.5f, 2.0f, &value);
  EXPECT_FLOAT_EQ(value, 24.0f);
  // Without any neighbour inside (or with bad arguments) the value stays as it was.
  const struct {
    float f_1, f_2;
  } outside[] = {{-1.5f, 0.0f}, {4.0f, 0.0f}, {0.0f, nan_f}, {1e30f, 0.0f}};
  for (const auto &c : outside) {
    value = -7;
    Ipol2(im.data(), im.d1, im.d2, c.f_1, c.f_2, &value);
    EXPECT_EQ(value, -7.0f) << c.f_1 << ", " << c.f_2;
  }
  Ipol2(nullptr, im.d1, im.d2, 1.0f, 1.0f, &value);
  Ipol2(im.data(), 0, im.d2, 1.0f, 1.0f, &value);
  EXPECT_EQ(value, -7.0f);
}

// --- Area integration ------------------------------------------------------

TEST_F(Ipol, Isum2ldwTable) {
  Image im = ramp();
  const struct {
    int mode;
    Rectangle r;
    int count;
    float sum, weight;
  } cases[] = {
      // A unit square is the interpolation at its centre.
      {IPOL_NORMAL, {-0.5f, -0.5f, 0.5f, 0.5f}, 1, 1.0f, 1.0f},
      {IPOL_NORMAL, {0.0f, -0.5f, 1.0f, 0.5f}, 2, 1.5f, 1.0f},
      {IPOL_ANTIALIASED, {0.0f, -0.5f, 1.0f, 0.5f}, 2, 1.5f, 1.0f},
      // Half of two pixels; each pixel of the last row and column is visited twice.
      {IPOL_NORMAL, {0.25f, -0.5f, 0.75f, 0.5f}, 6, 0.75f, 0.5f},
      {IPOL_ANTIALIASED, {0.25f, -0.5f, 0.75f, 0.5f}, 6, 0.75f, 0.5f},
      // Narrow and off-centre: antialiasing widens to one pixel and scales back.
      {IPOL_NORMAL, {0.125f, -0.5f, 0.5f, 0.5f}, 4, 0.375f, 0.375f},
      {IPOL_ANTIALIASED, {0.125f, -0.5f, 0.5f, 0.5f}, 6, 0.4921875f, 0.375f},
      // Exchanged borders negate sum and weight in normal mode only.
      {IPOL_NORMAL, {0.5f, -0.5f, 0.125f, 0.5f}, 4, -0.375f, -0.375f},
      {IPOL_ANTIALIASED, {0.5f, -0.5f, 0.125f, 0.5f}, 6, 0.4921875f, 0.375f},
      {IPOL_NORMAL, {0.5f, 0.5f, 0.125f, -0.5f}, 4, 0.375f, 0.375f},
      // Whole image: 5 column terms in each of 4 row passes.
      {IPOL_NORMAL, {-0.5f, -0.5f, 3.5f, 2.5f}, 20, 150.0f, 12.0f},
      // Half inside: exactly the minimum; a third inside: too little, sums still written.
      {IPOL_NORMAL, {-1.5f, -0.5f, 0.5f, 0.5f}, 4, 1.0f, 1.0f},
      {IPOL_NORMAL, {-2.5f, -0.5f, 0.5f, 0.5f}, 0, 1.0f, 1.0f},
      // Outside and empty rectangles.
      {IPOL_NORMAL, {-3.0f, -0.5f, -1.0f, 0.5f}, 0, 0.0f, 0.0f},
      {IPOL_NORMAL, {3.5f, 0.0f, 5.0f, 1.0f}, 0, 0.0f, 0.0f},
      {IPOL_NORMAL, {0.0f, 2.5f, 1.0f, 4.0f}, 0, 0.0f, 0.0f},
      {IPOL_NORMAL, {0.25f, 0.0f, 0.25f, 1.5f}, 0, 0.0f, 0.0f},
      {IPOL_NORMAL, {0.5f, 0.0f, 0.5f, 1.5f}, 0, 0.0f, 0.0f},
      {IPOL_ANTIALIASED, {0.25f, 0.0f, 0.25f, 1.5f}, 0, 0.0f, 0.0f},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << Ipolmode2str(c.mode) << " (" << c.r.f1_1 << ", " << c.r.f1_2
                                    << ") to (" << c.r.f3_1 << ", " << c.r.f3_2 << ")");
    Ipolmode(c.mode);
    const Sum s = isum(im, c.r);
    EXPECT_EQ(s.count, c.count);
    EXPECT_EQ(s.sum, c.sum);
    EXPECT_EQ(s.weight, c.weight);
  }
}

TEST_F(Ipol, Isum2ldwAgreesWithPlainOverlapSums) {
  Image im(7, 5);
  for (int j = 0; j < im.d2; ++j)
    for (int i = 0; i < im.d1; ++i)
      im.at(i, j) = std::sin(0.7f * i) * 5.0f + 0.3f * j * j;
  im.at(2, 1) = dummy;
  im.at(3, 1) = dummy;
  im.at(6, 4) = dummy;
  const Rectangle rects[] = {
      {-0.5f, -0.5f, 6.5f, 4.5f}, {0.3f, 0.2f, 2.9f, 3.7f},   {1.1f, 0.6f, 1.4f, 0.9f},
      {2.2f, 0.7f, 3.3f, 1.4f},   {5.9f, 3.1f, 8.0f, 5.5f},   {-2.0f, -1.0f, 0.7f, 0.6f},
      {4.6f, 2.2f, 1.3f, 0.4f},   {0.8f, 3.9f, 5.7f, 3.6f},   {0.25f, 1.75f, 1.25f, 2.75f},
      {2.4f, 2.6f, 3.6f, 2.8f},   {-0.2f, -0.4f, 0.1f, 4.4f}, {6.2f, 0.1f, 6.4f, 0.3f},
      {1.5f, 1.5f, 4.5f, 1.5f},   {3.0f, 0.0f, 5.0f, 0.5f},
  };
  for (int mode : {IPOL_NORMAL, IPOL_ANTIALIASED})
    for (float minimum : {0.5f, 0.0f, 0.9f}) {
      Ipolmode(mode);
      Ipolmin(minimum);
      for (const auto &r : rects) {
        SCOPED_TRACE(testing::Message()
                     << Ipolmode2str(mode) << " min " << minimum << " (" << r.f1_1 << ", " << r.f1_2
                     << ") to (" << r.f3_1 << ", " << r.f3_2 << ")");
        const Sum s = isum(im, r);
        const Reference ref = reference_sum(im, r, mode == IPOL_ANTIALIASED, minimum);
        EXPECT_NEAR(s.sum, ref.sum, 1e-5 * (1 + std::fabs(ref.sum)));
        EXPECT_NEAR(s.weight, ref.weight, 1e-5 * (1 + std::fabs(ref.weight)));
        EXPECT_EQ(s.count != 0, ref.valid);
      }
    }
}

TEST_F(Ipol, TilingSumsToTheImageTotal) {
  Image im(16, 12);
  double total = 0;
  for (int j = 0; j < im.d2; ++j)
    for (int i = 0; i < im.d1; ++i) {
      im.at(i, j) = static_cast<float>((i * 7 + j * 3) % 11 - 4);
      total += im.at(i, j);
    }
  // Pixel-border aligned and unaligned tiles of mixed sizes, unit squares included.
  const float widths[] = {1, 2, 0.5f, 1.5f, 3, 0.25f, 0.75f, 2, 1, 4};
  const float heights[] = {0.5f, 1, 2.5f, 1, 3, 0.25f, 1.75f, 2};
  double sum = 0, weight = 0;
  float y = -0.5f;
  for (float h : heights) {
    float x = -0.5f;
    for (float w : widths) {
      const Sum s = isum(im, {x, y, x + w, y + h}, 0.0f, 0.0f);
      EXPECT_NE(s.count, 0) << x << ", " << y;
      sum += s.sum;
      weight += s.weight;
      x += w;
    }
    EXPECT_EQ(x, 15.5f);
    y += h;
  }
  EXPECT_EQ(y, 11.5f);
  EXPECT_EQ(sum, total);
  EXPECT_EQ(weight, 16.0 * 12.0);
}

TEST_F(Ipol, DummiesAndMinimumFraction) {
  Image im = ramp();
  im.at(1, 0) = dummy;
  // Two pixels, one a dummy: half the area is valid.
  const Rectangle two = {-0.5f, -0.5f, 1.5f, 0.5f};
  Sum s = isum(im, two);
  EXPECT_EQ(s.count, 2);
  EXPECT_EQ(s.sum, 1.0f);
  EXPECT_EQ(s.weight, 1.0f);
  Ipolmin(0.6f);
  s = isum(im, two);
  EXPECT_EQ(s.count, 0);
  EXPECT_EQ(s.sum, 1.0f);
  Ipolmin(0.0f);
  // A quarter of a valid pixel in a unit square is enough when any area counts.
  s = isum(im, {0.25f, -0.5f, 1.25f, 0.5f});
  EXPECT_EQ(s.count, 1);
  EXPECT_EQ(s.weight, 0.25f);
  // All dummies: no valid area at all.
  s = isum(im, {0.6f, -0.4f, 1.4f, 0.4f});
  EXPECT_EQ(s.count, 0);
  EXPECT_EQ(s.weight, 0.0f);
  ipol_reset();

  // With Dummy 0 no pixel is a dummy, whatever its value.
  Image zeros(3, 3, 0.0f);
  s = isum(zeros, {-0.5f, -0.5f, 2.5f, 2.5f}, 0.0f, 0.0f);
  EXPECT_NE(s.count, 0);
  EXPECT_EQ(s.weight, 9.0f);

  // A NaN pixel is skipped while dummies are in use, and poisons the sum when they are off.
  Image with_nan = ramp();
  with_nan.at(1, 0) = nan_f;
  s = isum(with_nan, two);
  EXPECT_EQ(s.sum, 1.0f);
  EXPECT_EQ(s.weight, 1.0f);
  s = isum(with_nan, two, 0.0f, 0.0f);
  EXPECT_TRUE(std::isnan(s.sum));
  // A NaN tolerance marks nothing as valid: no result.
  s = isum(im, two, dummy, nan_f);
  EXPECT_EQ(s.count, 0);
}

TEST_F(Ipol, BadArgumentsGiveNoResult) {
  Image im = ramp();
  const struct {
    bool null_data;
    int d1, d2;
    Rectangle r;
  } cases[] = {
      {true, 4, 3, {-0.5f, -0.5f, 1.7f, 1.2f}},    {false, 0, 3, {-0.5f, -0.5f, 1.7f, 1.2f}},
      {false, 4, -3, {-0.5f, -0.5f, 1.7f, 1.2f}},  {false, -4, -3, {-0.5f, -0.5f, 0.5f, 0.5f}},
      {false, 4, 3, {nan_f, -0.5f, 1.7f, 1.2f}},   {false, 4, 3, {0.0f, 0.0f, 1.7f, nan_f}},
      {false, 4, 3, {nan_f, nan_f, nan_f, nan_f}}, {false, 4, 3, {1e30f, 0.0f, 2e30f, 1.0f}},
      {false, 4, 3, {-3e38f, 0.0f, -1e38f, 1.0f}}, {false, 4, 3, {inf_f, 0.0f, inf_f, 1.0f}},
      {false, 4, 3, {-inf_f, 0.0f, -inf_f, 1.0f}}, {false, 4, 3, {0.0f, 3e9f, 1.0f, 4e9f}},
  };
  std::vector<float> var(im.v.size(), 1.0f);
  for (int mode : {IPOL_NORMAL, IPOL_ANTIALIASED})
    for (const auto &c : cases) {
      SCOPED_TRACE(testing::Message() << Ipolmode2str(mode) << " " << c.null_data << " " << c.d1
                                      << "x" << c.d2 << " (" << c.r.f1_1 << ", " << c.r.f1_2
                                      << ") to (" << c.r.f3_1 << ", " << c.r.f3_2 << ")");
      Ipolmode(mode);
      float *data = c.null_data ? nullptr : im.data();
      float sum = -7, weight = -7;
      EXPECT_EQ(Isum2ldw(data, c.d1, c.d2, dummy, ddummy, c.r.f1_1, c.r.f1_2, c.r.f3_1, c.r.f3_2,
                         &sum, &weight),
                0);
      EXPECT_EQ(sum, 0.0f);
      EXPECT_EQ(weight, 0.0f);
      for (VarRoutine routine : {Isum2ldwEe, Isum2ldwEw}) {
        float vs = -7, vw = -7;
        sum = weight = -7;
        EXPECT_EQ(routine(data, var.data(), c.d1, c.d2, dummy, ddummy, c.r.f1_1, c.r.f1_2, c.r.f3_1,
                          c.r.f3_2, &sum, &weight, &vs, &vw),
                  0);
        EXPECT_EQ(sum, 0.0f);
        EXPECT_EQ(weight, 0.0f);
        EXPECT_EQ(vs, VarDummy);
        EXPECT_EQ(vw, 0.0f);
      }
    }
  // Missing outputs: nothing is written and there is no result.
  float sum = 0;
  EXPECT_EQ(Isum2ldw(im.data(), 4, 3, dummy, ddummy, 0, 0, 2, 2, &sum, nullptr), 0);
  EXPECT_EQ(Ipol2ldw(im.data(), 4, 3, dummy, ddummy, 1, 1, nullptr, &sum), 0);
  EXPECT_EQ(Ipol2ld(im.data(), 4, 3, dummy, ddummy, 1, 1, nullptr), 0);
  EXPECT_EQ(
      Isum2ldwEe(im.data(), var.data(), 4, 3, dummy, ddummy, 0, 0, 2, 2, &sum, &sum, nullptr, &sum),
      0);
  EXPECT_EQ(
      Isum2ldwEw(im.data(), var.data(), 4, 3, dummy, ddummy, 0, 0, 2, 2, &sum, &sum, &sum, nullptr),
      0);
}

TEST_F(Ipol, HugeRectanglesAreClampedToTheImage) {
  // A rectangle of 1e30 pixels is swept over the image only; its valid
  // fraction is negligible, so a result needs a minimum of 0.
  Image im(2048, 2048, 1.0f);
  Sum s = isum(im, {-1e30f, -1e30f, 1e30f, 1e30f});
  EXPECT_EQ(s.count, 0);
  EXPECT_EQ(s.weight, 2048.0f * 2048.0f);
  Ipolmin(0.0f);
  s = isum(im, {-1e30f, -1e30f, 1e30f, 1e30f});
  EXPECT_NE(s.count, 0);
  EXPECT_EQ(s.sum, 2048.0f * 2048.0f);
  s = isum(im, {-inf_f, 100.0f, inf_f, 101.0f});
  EXPECT_EQ(s.weight, 2048.0f);
  // An infinite width in antialiased mode has no finite scale: no result.
  Ipolmode(IPOL_ANTIALIASED);
  s = isum(im, {-3e38f, 0.0f, 3e38f, 1.0f});
  EXPECT_EQ(s.count, 0);
}

// --- Variance forms ----------------------------------------------------------

struct VarianceFixture : Ipol {
  Image im = ramp();
  std::vector<float> var = std::vector<float>(12, 2.0f);
  float &variance(int i_1, int i_2) { return var[static_cast<std::size_t>(i_1 + i_2 * 4)]; }
};

TEST_F(VarianceFixture, EqualWeightingSumsCoveredVariances) {
  variance(0, 0) = 4.0f;
  variance(1, 0) = 8.0f;
  variance(2, 0) = 16.0f;
  // Covers a quarter of pixel 0, all of pixel 1 and a quarter of pixel 2.
  const Rectangle r = {0.25f, -0.5f, 1.75f, 0.5f};
  VarSum s = vsum(Isum2ldwEe, im, var.data(), r);
  const Sum plain = isum(im, r);
  EXPECT_EQ(s.count, plain.count);
  EXPECT_EQ(s.sum, plain.sum);
  EXPECT_EQ(s.weight, plain.weight);
  EXPECT_EQ(s.varsum, 0.25f * 4 + 8 + 0.25f * 16);
  EXPECT_EQ(s.varweight, 1.5f);

  // Exchanged borders: negative weight, positive variance weight and sum.
  s = vsum(Isum2ldwEe, im, var.data(), {1.75f, -0.5f, 0.25f, 0.5f});
  EXPECT_EQ(s.weight, -1.5f);
  EXPECT_EQ(s.varweight, 1.5f);
  EXPECT_EQ(s.varsum, 13.0f);

  // Antialiased: the widened pixel's variance is scaled by the area fraction.
  Ipolmode(IPOL_ANTIALIASED);
  s = vsum(Isum2ldwEe, im, var.data(), {0.25f, -0.5f, 0.75f, 0.5f});
  EXPECT_EQ(s.varsum, (0.5f * 4 + 0.5f * 8) * 0.5f);
  EXPECT_EQ(s.varweight, 0.5f);

  // A unit square has no shortcut in the variance forms, and sums the same.
  Ipolmode(IPOL_NORMAL);
  s = vsum(Isum2ldwEe, im, var.data(), {0.0f, -0.5f, 1.0f, 0.5f});
  EXPECT_EQ(s.sum, 1.5f);
  EXPECT_EQ(s.varsum, 6.0f);
}

TEST_F(VarianceFixture, UnknownVarianceMakesTheVarianceSumUnknown) {
  const Rectangle r = {-0.5f, -0.5f, 1.5f, 1.5f};
  variance(1, 1) = VarDummy;
  VarSum s = vsum(Isum2ldwEe, im, var.data(), r);
  EXPECT_NE(s.count, 0);
  EXPECT_EQ(s.sum, 1 + 2 + 11 + 12);
  EXPECT_EQ(s.varsum, VarDummy);
  // The variance of a dummy pixel does not matter.
  im.at(1, 1) = dummy;
  s = vsum(Isum2ldwEe, im, var.data(), r);
  EXPECT_EQ(s.varsum, 6.0f);
  // Without a variance array every variance is unknown.
  s = vsum(Isum2ldwEe, im, nullptr, r);
  EXPECT_NE(s.count, 0);
  EXPECT_EQ(s.varsum, VarDummy);
  EXPECT_EQ(s.varweight, 3.0f);
}

TEST_F(VarianceFixture, InverseVarianceWeighting) {
  // Equal variances: the same sum and weight as the plain integral.
  const Rectangle r = {0.25f, -0.5f, 1.75f, 1.0f};
  const Sum plain = isum(im, r);
  VarSum s = vsum(Isum2ldwEw, im, var.data(), r);
  EXPECT_EQ(s.count, plain.count);
  EXPECT_FLOAT_EQ(s.sum, plain.sum);
  EXPECT_FLOAT_EQ(s.weight, plain.weight);
  EXPECT_FLOAT_EQ(s.varsum, 2.0f * plain.weight);

  // Two whole pixels of variance 1 and 4: the mean is the inverse-variance
  // mean. The end passes add terms of weight 0 that still count in the mean
  // inverse variance (1 + .25 + .25 + 1 + .25 + .25) / 6 = 0.5.
  variance(0, 0) = 1.0f;
  variance(1, 0) = 4.0f;
  s = vsum(Isum2ldwEw, im, var.data(), {-0.5f, -0.5f, 1.5f, 0.5f});
  EXPECT_EQ(s.count, 6);
  EXPECT_FLOAT_EQ(s.sum / s.weight, (1.0f * 1 + 0.25f * 2) / 1.25f);
  EXPECT_FLOAT_EQ(s.weight, 1.25f / 0.5f);
  EXPECT_FLOAT_EQ(s.varsum, 2.0f / 0.5f);
  EXPECT_FLOAT_EQ(s.varweight, s.weight);
}

TEST_F(VarianceFixture, ZeroVarianceTakesPrecedence) {
  const Rectangle r = {-0.5f, -0.5f, 1.5f, 0.5f};
  // Whether the zero variance comes first or after positive ones in the sweep,
  // only the zero-variance pixels make the result.
  const struct {
    float var0, var1, mean;
  } cases[] = {{0.0f, 4.0f, 1.0f}, {4.0f, 0.0f, 2.0f}, {0.0f, 0.0f, 1.5f}, {0.0f, -1.0f, 1.0f}};
  for (const auto &c : cases) {
    variance(0, 0) = c.var0;
    variance(1, 0) = c.var1;
    const VarSum s = vsum(Isum2ldwEw, im, var.data(), r);
    EXPECT_NE(s.count, 0) << c.var0 << " " << c.var1;
    EXPECT_EQ(s.sum / s.weight, c.mean) << c.var0 << " " << c.var1;
    EXPECT_EQ(s.varsum, 0.0f) << c.var0 << " " << c.var1;
  }
}

TEST_F(VarianceFixture, WeightingWithoutKnownVariancesHasNoResult) {
  for (float *v : {static_cast<float *>(nullptr), var.data()}) {
    std::fill(var.begin(), var.end(), VarDummy);
    const VarSum s = vsum(Isum2ldwEw, im, v, {-0.5f, -0.5f, 1.5f, 1.5f});
    EXPECT_EQ(s.count, 0);
    EXPECT_EQ(s.sum, 0.0f);
    EXPECT_EQ(s.weight, 0.0f);
    EXPECT_FALSE(std::isnan(s.varsum));
  }
}

TEST_F(VarianceFixture, DispatchFollowsTheWeightingSetting) {
  variance(0, 0) = 1.0f;
  variance(1, 0) = 4.0f;
  const Rectangle r = {-0.5f, -0.5f, 1.5f, 0.5f};
  for (int method : {IPOL_EQUAL, IPOL_WEIGHTED}) {
    Ipolweight(method);
    const VarSum direct = vsum(method == IPOL_EQUAL ? Isum2ldwEe : Isum2ldwEw, im, var.data(), r);
    const VarSum s = vsum(Isum2ldwE, im, var.data(), r);
    EXPECT_EQ(s.count, direct.count);
    EXPECT_EQ(s.sum, direct.sum);
    EXPECT_EQ(s.weight, direct.weight);
    EXPECT_EQ(s.varsum, direct.varsum);
    EXPECT_EQ(s.varweight, direct.varweight);
  }
}

// --- Rebinning ---------------------------------------------------------------

TEST(IpolRebin, BlocksSumsAndAverages) {
  // 5 x 4 image with value 1 + i_1 + 5 i_2; the fifth column is dropped.
  Image im(5, 4);
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < 5; ++i)
      im.at(i, j) = static_cast<float>(1 + i + 5 * j);
  im.at(2, 0) = dummy;                                           // one dummy in block (1, 0)
  im.at(0, 2) = im.at(1, 2) = im.at(0, 3) = im.at(1, 3) = dummy; // block (0, 1) all dummies

  const struct {
    int average;
    std::vector<float> expected;
  } cases[] = {{0, {16, 4 + 8 + 9, dummy, 64}}, {1, {4, 7, dummy, 16}}};
  for (const auto &c : cases) {
    std::vector<float> out(4, -7.0f);
    int o1 = 0, o2 = 0;
    IpolRebin2(im.data(), 5, 4, out.data(), &o1, &o2, dummy, ddummy, 2, 2, c.average);
    EXPECT_EQ(o1, 2);
    EXPECT_EQ(o2, 2);
    EXPECT_EQ(out, c.expected) << c.average;

    Image in_place = im;
    IpolRebin2(in_place.data(), 5, 4, in_place.data(), &o1, &o2, dummy, ddummy, 2, 2, c.average);
    EXPECT_EQ(std::vector<float>(in_place.v.begin(), in_place.v.begin() + 4), c.expected);
  }
}

TEST(IpolRebin, FactorsAndArguments) {
  Image im = ramp();
  const std::vector<float> original = im.v;
  int o1 = 0, o2 = 0;
  // Factor 1 in place: nothing to do.
  IpolRebin2(im.data(), 4, 3, im.data(), &o1, &o2, dummy, ddummy, 1, 0, 0);
  EXPECT_EQ(o1, 4);
  EXPECT_EQ(o2, 3);
  EXPECT_EQ(im.v, original);
  // Factors below 1 count as 1: a copy into another array.
  std::vector<float> out(12, 0.0f);
  IpolRebin2(im.data(), 4, 3, out.data(), &o1, &o2, dummy, ddummy, -2, 0, 1);
  EXPECT_EQ(out, original);
  // Rows only; a factor larger than the image leaves no output pixel.
  IpolRebin2(im.data(), 4, 3, out.data(), &o1, &o2, dummy, ddummy, 1, 3, 0);
  EXPECT_EQ(o1, 4);
  EXPECT_EQ(o2, 1);
  EXPECT_EQ(std::vector<float>(out.begin(), out.begin() + 4), (std::vector<float>{33, 36, 39, 42}));
  IpolRebin2(im.data(), 4, 3, out.data(), &o1, &o2, dummy, ddummy, 5, 1, 0);
  EXPECT_EQ(o1, 0);
  EXPECT_EQ(o2, 3);
  // No output array, no input array or no pixels: only the dimensions are reported.
  IpolRebin2(im.data(), 4, 3, nullptr, &o1, &o2, dummy, ddummy, 2, 2, 0);
  EXPECT_EQ(o1, 4);
  IpolRebin2(nullptr, 4, 3, out.data(), &o1, &o2, dummy, ddummy, 2, 2, 0);
  EXPECT_EQ(o1, 4);
  IpolRebin2(im.data(), -4, 3, out.data(), nullptr, nullptr, dummy, ddummy, 2, 2, 0);
  EXPECT_EQ(im.v, original);
}

} // namespace
