// Tests of the raster orientation module: numbers and orders, composition,
// inversion, determinants, matrices, the data copy and the text parser.
#include "raster.h"

#include "capture.h"
#include "numio.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using test_support::capture_stderr;
using test_support::capture_stdout;
using Order = std::vector<long>;

// The eight two-dimensional orientations: number, order, where a stored
// pixel (i, j) lands in the normal D1 x D2 array, determinant and inverse.
struct Orientation {
  long number;
  Order order;
  std::pair<long, long> (*lands)(long i, long j, long d1, long d2);
  long determinant;
  long inverse;
};

const std::vector<Orientation> &orientations() {
  using P = std::pair<long, long>;
  // clang-format off
  static const std::vector<Orientation> table = {
      {1, {2, 1, 2},   [](long i, long j, long, long)        { return P{i, j}; },                  1, 1},
      {2, {2, -1, 2},  [](long i, long j, long d1, long)     { return P{d1 - 1 - i, j}; },        -1, 2},
      {3, {2, 1, -2},  [](long i, long j, long, long d2)     { return P{i, d2 - 1 - j}; },        -1, 3},
      {4, {2, -1, -2}, [](long i, long j, long d1, long d2)  { return P{d1 - 1 - i, d2 - 1 - j}; }, 1, 4},
      {5, {2, 2, 1},   [](long i, long j, long, long)        { return P{j, i}; },                 -1, 5},
      {6, {2, 2, -1},  [](long i, long j, long d1, long)     { return P{d1 - 1 - j, i}; },         1, 7},
      {7, {2, -2, 1},  [](long i, long j, long, long d2)     { return P{j, d2 - 1 - i}; },         1, 6},
      {8, {2, -2, -1}, [](long i, long j, long d1, long d2)  { return P{d1 - 1 - j, d2 - 1 - i}; }, -1, 8},
  };
  // clang-format on
  return table;
}

// True when `order` is a signed permutation of 1..order[0].
bool is_signed_permutation(const Order &order) {
  if (order.empty() || order.size() != static_cast<std::size_t>(order[0]) + 1) return false;
  std::set<long> axes;
  for (std::size_t j = 1; j < order.size(); ++j) {
    const long m = order[j] < 0 ? -order[j] : order[j];
    if (m < 1 || m > order[0]) return false;
    axes.insert(m);
  }
  return axes.size() == order.size() - 1;
}

// Plain 3 x 3 determinant of a column-major matrix.
double determinant3(const std::vector<double> &m) {
  auto a = [&](int r, int c) { return m[static_cast<std::size_t>(r + 3 * c)]; };
  return a(0, 0) * (a(1, 1) * a(2, 2) - a(1, 2) * a(2, 1)) -
         a(0, 1) * (a(1, 0) * a(2, 2) - a(1, 2) * a(2, 0)) +
         a(0, 2) * (a(1, 0) * a(2, 1) - a(1, 1) * a(2, 0));
}

class RasterTest : public ::testing::Test {
protected:
  void TearDown() override { raster_debug(0); }
};

// ------------------------------------------------------- numbers and orders

TEST_F(RasterTest, VersionAndArrangementCounts) {
  EXPECT_STREQ(raster_version(), "raster : V1.8 Marvane 2015-12-08");
  const std::pair<long, long> rows[] = {{-1, 0}, {0, 1},   {1, 2},         {2, 8},
                                        {3, 48}, {4, 384}, {9, 185794560}, {10, 0}};
  for (const auto &[n, count] : rows)
    EXPECT_EQ(raster_numbers(n), count) << "n=" << n;
}

TEST_F(RasterTest, TwoDimensionalOrientationTable) {
  for (const Orientation &o : orientations()) {
    SCOPED_TRACE(o.number);
    EXPECT_EQ(raster_number2order(2, o.number), o.order);
    EXPECT_EQ(raster_order2number(o.order.data()), o.number);
    EXPECT_EQ(raster_order_determinante(o.order.data()), o.determinant);
    EXPECT_EQ(raster_inversion(o.number), o.inverse);
    // The same number keeps its meaning in more dimensions, other axes in place.
    const Order nine = raster_number2order(9, o.number);
    ASSERT_EQ(nine.size(), 10u);
    EXPECT_EQ(Order(nine.begin() + 1, nine.begin() + 3), Order(o.order.begin() + 1, o.order.end()));
    for (long k = 3; k <= 9; ++k)
      EXPECT_EQ(nine[static_cast<std::size_t>(k)], k);
  }
}

TEST_F(RasterTest, EveryNumberConvertsToADistinctOrderAndBack) {
  for (long n = 0; n <= 4; ++n) {
    std::set<Order> seen;
    for (long r = 1; r <= raster_numbers(n); ++r) {
      SCOPED_TRACE("n=" + std::to_string(n) + " r=" + std::to_string(r));
      const Order order = raster_number2order(n, r);
      ASSERT_TRUE(is_signed_permutation(order));
      EXPECT_EQ(raster_order2number(order.data()), r);
      EXPECT_TRUE(seen.insert(order).second);
      // A negative number is the inverse arrangement.
      EXPECT_EQ(raster_number2order(n, -r), raster_order_inversion(order.data()));
      // The buffer form writes the same order and nothing past n.
      std::vector<long> buffer(static_cast<std::size_t>(n) + 2, 77);
      ASSERT_EQ(raster_number2order(buffer.data(), buffer.size(), n, r), buffer.data());
      EXPECT_EQ(Order(buffer.begin(), buffer.end() - 1), order);
      EXPECT_EQ(buffer.back(), 77);
    }
  }
}

TEST_F(RasterTest, AxesAboveNineStayInPlace) {
  const long last = raster_numbers(9);
  const Order order = raster_number2order(12, last);
  ASSERT_EQ(order.size(), 13u);
  EXPECT_TRUE(is_signed_permutation(order));
  EXPECT_EQ(Order(order.begin() + 10, order.end()), (Order{10, 11, 12}));
  EXPECT_EQ(raster_order2number(order.data()), last);
  EXPECT_TRUE(raster_number2order(12, last + 1).empty());

  Order swapped = raster_number2order(12, 1);
  std::swap(swapped[10], swapped[11]);
  EXPECT_EQ(raster_order2number(swapped.data()), 0);
  EXPECT_EQ(raster_order_determinante(swapped.data()), -1);
}

TEST_F(RasterTest, NumbersWithoutOrderGiveNone) {
  struct Row {
    long n;
    long number;
  };
  const Row rows[] = {{3, 0}, {3, 49}, {3, -49}, {3, LONG_MIN}, {3, LONG_MAX},
                      {2, 9}, {1, 3},  {0, 2},   {-1, 1}};
  for (const Row &row : rows) {
    SCOPED_TRACE("n=" + std::to_string(row.n) + " number=" + std::to_string(row.number));
    std::vector<long> buffer(12, 77);
    EXPECT_EQ(raster_number2order(buffer.data(), buffer.size(), row.n, row.number), nullptr);
    EXPECT_EQ(buffer, std::vector<long>(12, 77));
    EXPECT_TRUE(raster_number2order(row.n, row.number).empty());
  }
  EXPECT_EQ(raster_number2order(nullptr, 10, 3, 1), nullptr);

  std::vector<long> short_buffer(3, 77);
  const std::string message = capture_stderr([&] {
    EXPECT_EQ(raster_number2order(short_buffer.data(), short_buffer.size(), 3, 1), nullptr);
  });
  EXPECT_EQ(message, "ERROR: raster_number2order: dimension mismatch\n");
  EXPECT_EQ(short_buffer, std::vector<long>(3, 77));
}

TEST_F(RasterTest, InvalidOrdersHaveNoNumberAndNoDeterminant) {
  const Order rows[] = {{2, 1, 1}, {2, 0, 1},    {2, 3, 1},        {2, -1, 1}, {1, 2},
                        {-1},      {3, 1, 2, 2}, {2, LONG_MIN, 1}, {2000, 1}};
  for (const Order &order : rows) {
    EXPECT_EQ(raster_order2number(order.data()), 0) << order[0] << "," << order[1];
    EXPECT_EQ(raster_order_determinante(order.data()), 0) << order[0] << "," << order[1];
  }
  EXPECT_EQ(raster_order2number(nullptr), 0);
  EXPECT_EQ(raster_order_determinante(nullptr), 0);
  const Order none = {0};
  EXPECT_EQ(raster_order2number(none.data()), 1);
  EXPECT_EQ(raster_order_determinante(none.data()), 1);
}

// ------------------------------------------------------------ composition

TEST_F(RasterTest, MultiplicationTableOfTheEightOrientations) {
  const long table[8][8] = {
      {1, 2, 3, 4, 5, 6, 7, 8}, {2, 1, 4, 3, 7, 8, 5, 6}, {3, 4, 1, 2, 6, 5, 8, 7},
      {4, 3, 2, 1, 8, 7, 6, 5}, {5, 6, 7, 8, 1, 2, 3, 4}, {6, 5, 8, 7, 3, 4, 1, 2},
      {7, 8, 5, 6, 2, 1, 4, 3}, {8, 7, 6, 5, 4, 3, 2, 1},
  };
  for (long a = 1; a <= 8; ++a)
    for (long x = 1; x <= 8; ++x) {
      const long expected = table[a - 1][x - 1];
      EXPECT_EQ(raster_multiplication(a, x), expected) << a << " x " << x;
      const Order ao = raster_number2order(2, a);
      const Order xo = raster_number2order(2, x);
      EXPECT_EQ(raster_order2number(raster_order_multiplication(ao.data(), xo.data()).data()),
                expected);
    }
  EXPECT_EQ(raster_multiplication(0, 1), 0);
  EXPECT_EQ(raster_multiplication(1, raster_numbers(9) + 1), 0);
}

// The matrix of a product of orders is the product of the matrices in the
// other order, M(a x) = M(x) M(a); this ties composition, matrices and the
// matrix product together for every pair of three-dimensional arrangements.
TEST_F(RasterTest, ThreeDimensionalGroupAgreesWithMatrices) {
  for (long a = 1; a <= 48; ++a) {
    const Order ao = raster_number2order(3, a);
    const std::vector<double> ma = raster_order2matrix(ao.data());
    ASSERT_EQ(ma.size(), 9u);
    EXPECT_EQ(static_cast<double>(raster_order_determinante(ao.data())), determinant3(ma)) << a;
    const long inverse = raster_inversion(a);
    EXPECT_EQ(raster_multiplication(a, inverse), 1) << a;
    EXPECT_EQ(raster_multiplication(inverse, a), 1) << a;
    EXPECT_EQ(raster_inversion(inverse), a);
    for (long x = 1; x <= 48; ++x) {
      const Order xo = raster_number2order(3, x);
      std::vector<double> mx = raster_order2matrix(xo.data());
      std::vector<double> ma_copy = ma;
      const Order y = raster_order_multiplication(ao.data(), xo.data());
      ASSERT_EQ(raster_order2number(y.data()), raster_multiplication(a, x)) << a << " x " << x;
      std::vector<double> product(9);
      ASSERT_NE(
          raster_matrix_product(product.data(), product.size(), mx.data(), ma_copy.data(), 3, 3, 3),
          nullptr);
      EXPECT_EQ(raster_order2matrix(y.data()), product) << a << " x " << x;
    }
  }
}

TEST_F(RasterTest, OrderOperationsGuardTheirBuffers) {
  const Order a = {2, 2, -1};
  Order x = {2, -2, 1};
  // The result may overwrite an operand.
  ASSERT_EQ(raster_order_multiplication(x.data(), x.size(), a.data(), x.data()), x.data());
  EXPECT_EQ(x, (Order{2, 1, 2}));
  Order six = {2, 2, -1};
  ASSERT_EQ(raster_order_inversion(six.data(), six.size(), six.data()), six.data());
  EXPECT_EQ(six, (Order{2, -2, 1}));

  const Order three = raster_number2order(3, 5);
  EXPECT_TRUE(raster_order_multiplication(three.data(), a.data()).empty()); // x too short
  EXPECT_TRUE(raster_order_multiplication(nullptr, a.data()).empty());
  EXPECT_TRUE(raster_order_inversion(nullptr).empty());
  // Entries outside x give 0 instead of a read past it.
  const Order wild = {2, 5, 0};
  EXPECT_EQ(raster_order_multiplication(wild.data(), a.data()), (Order{2, 0, 0}));
  EXPECT_EQ(raster_order_inversion(wild.data()), (Order{2, 0, 0}));

  std::vector<long> small(2, 77);
  std::string message = capture_stderr([&] {
    EXPECT_EQ(raster_order_multiplication(small.data(), small.size(), a.data(), a.data()), nullptr);
  });
  EXPECT_EQ(message, "ERROR: raster_order_multiplication: dimension mismatch\n");
  message = capture_stderr(
      [&] { EXPECT_EQ(raster_order_inversion(small.data(), small.size(), a.data()), nullptr); });
  EXPECT_EQ(message, "ERROR: raster_order_inversion: dimension mismatch\n");
  EXPECT_EQ(small, std::vector<long>(2, 77));
}

TEST_F(RasterTest, DimensionArrayOfTheNormalArrangement) {
  const long src_dim[] = {2, 3, 5}; // stored lengths
  for (const Orientation &o : orientations()) {
    long dest[4] = {0, 0, 0, 77};
    int err = -1;
    ASSERT_EQ(raster_order_dimension(dest, 3, src_dim, o.order.data(), &err), dest);
    EXPECT_EQ(err, 0);
    const bool swapped = o.number > 4;
    EXPECT_EQ(dest[1], swapped ? 5 : 3) << o.number;
    EXPECT_EQ(dest[2], swapped ? 3 : 5) << o.number;
    EXPECT_EQ(dest[3], 77);
  }

  struct Row {
    const long *dim;
    Order order;
    std::size_t nelem;
    int errval;
    const char *message;
  };
  const long dim2[] = {2, 3, 5};
  const long dim_bad[] = {-1};
  const Row rows[] = {
      {nullptr, {2, 1, 2}, 3, 1, "ERROR: raster_order_dimension: src_dim or src_order is NULL\n"},
      {dim2,
       {1, 1},
       3,
       2,
       "ERROR: raster_order_dimension: source order array is too short (1<2)\n"},
      {dim2, {2, 1, 2}, 2, 4, "ERROR: raster_order_dimension: supplied buffer too small\n"},
      {dim2, {2, -1, 1}, 3, 5, "ERROR: raster_order_dimension: index 1 is already defined\n"},
      {dim2, {2, 1, 3}, 3, 6, "ERROR: raster_order_dimension: index 3 is out of range\n"},
      {dim2, {2, 0, 1}, 3, 6, "ERROR: raster_order_dimension: index 0 is out of range\n"},
      {dim_bad, {2, 1, 2}, 3, 6, "ERROR: raster_order_dimension: index -1 is out of range\n"},
  };
  for (const Row &row : rows) {
    long dest[3] = {77, 77, 77};
    int err = 0;
    const std::string message = capture_stderr([&] {
      EXPECT_EQ(raster_order_dimension(dest, row.nelem, row.dim, row.order.data(), &err), nullptr);
    });
    EXPECT_EQ(err, row.errval) << row.message;
    EXPECT_EQ(message, row.message);
    EXPECT_EQ(dest[0] + dest[1] + dest[2], 3 * 77) << row.message;
  }
}

// ------------------------------------------------------------- matrices

TEST_F(RasterTest, OrderMatrixIsStoredColumnAfterColumn) {
  const Order six = {2, 2, -1};
  EXPECT_EQ(raster_order2matrix(six.data()), (std::vector<double>{0, 1, -1, 0}));

  struct Row {
    const long *order;
    std::size_t nelem;
    const char *message;
  };
  const long bad_axis[] = {2, 3, 1};
  const long zero_axis[] = {2, 0, 1};
  const Row rows[] = {
      {nullptr, 4, "ERROR: raster_order2matrix: order is NULL pointer:\n"},
      {six.data(), 3, "ERROR: raster_order2matrix: dimension mismatch\n"},
      {bad_axis, 4, "ERROR: raster_order2matrix: order index out of bounds\n"},
      {zero_axis, 4, "ERROR: raster_order2matrix: order index out of bounds\n"},
  };
  for (const Row &row : rows) {
    std::vector<double> buffer(4, 7.0);
    const std::string message = capture_stderr(
        [&] { EXPECT_EQ(raster_order2matrix(buffer.data(), row.nelem, row.order), nullptr); });
    EXPECT_EQ(message, row.message);
    EXPECT_EQ(buffer, std::vector<double>(4, 7.0));
  }
}

TEST_F(RasterTest, MatrixProductOfNonSquareMatrices) {
  // A is 2 x 3 and B is 3 x 2, both column after column.
  std::vector<double> A = {1, 4, 2, 5, 3, 6};    // rows (1 2 3) (4 5 6)
  std::vector<double> B = {7, 9, 11, 8, 10, 12}; // rows (7 8) (9 10) (11 12)
  std::vector<double> C(4);
  ASSERT_EQ(raster_matrix_product(C.data(), C.size(), A.data(), B.data(), 2, 3, 2), C.data());
  EXPECT_EQ(C, (std::vector<double>{58, 139, 64, 154}));
  // B A is 3 x 3.
  std::vector<double> D(9);
  ASSERT_NE(raster_matrix_product(D.data(), D.size(), B.data(), A.data(), 3, 2, 3), nullptr);
  EXPECT_EQ(D, (std::vector<double>{39, 49, 59, 54, 68, 82, 69, 87, 105}));
  // The result may overwrite an operand.
  ASSERT_EQ(raster_matrix_product(A.data(), A.size(), A.data(), B.data(), 2, 3, 2), A.data());
  EXPECT_EQ(std::vector<double>(A.begin(), A.begin() + 4), C);

  std::vector<double> small(3, 7.0);
  const std::string message = capture_stderr([&] {
    EXPECT_EQ(raster_matrix_product(small.data(), small.size(), B.data(), B.data(), 2, 3, 2),
              nullptr);
  });
  EXPECT_EQ(message, "ERROR: raster_matrix_product: dimension mismatch\n");
  EXPECT_EQ(small, std::vector<double>(3, 7.0));
  EXPECT_EQ(raster_matrix_product(C.data(), C.size(), nullptr, B.data(), 2, 3, 2), nullptr);
  EXPECT_EQ(raster_matrix_product(C.data(), C.size(), B.data(), B.data(), 0, 3, 2), nullptr);
  EXPECT_EQ(raster_matrix_product(C.data(), C.size(), B.data(), B.data(), 2, -3, 2), nullptr);
}

TEST_F(RasterTest, PrintsMatrixRowByRow) {
  std::vector<double> m = {1, 4, 2.5, -5}; // rows (1 2.5) (4 -5)
  const std::string text =
      capture_stdout([&] { EXPECT_EQ(raster_fprint_matrix(nullptr, 2, 2, m.data(), "M"), 0); });
  EXPECT_EQ(text, "             M \n"
                  "             1            2.5 \n"
                  "             4             -5 \n"
                  "\n");
  EXPECT_EQ(raster_fprint_matrix(stdout, 2, 2, nullptr, "M"), -1);
}

// ------------------------------------------------------------ data copies

// Fills `bytes` with a pattern in which every element differs.
std::vector<unsigned char> pattern(std::size_t bytes) {
  std::vector<unsigned char> data(bytes);
  for (std::size_t b = 0; b < bytes; ++b)
    data[b] = static_cast<unsigned char>((b * 7 + b / 251) & 0xff);
  return data;
}

// Plain reference copy from the "lands at" column of the orientation table.
std::vector<unsigned char> reference_2d(const Orientation &o, const std::vector<unsigned char> &src,
                                        long d1, long d2, std::size_t item) {
  const bool swapped = o.number > 4;
  const long s1 = swapped ? d2 : d1;
  const long s2 = swapped ? d1 : d2;
  std::vector<unsigned char> dest(src.size());
  for (long j = 0; j < s2; ++j)
    for (long i = 0; i < s1; ++i) {
      const auto [x, y] = o.lands(i, j, d1, d2);
      std::memcpy(&dest[static_cast<std::size_t>(x + d1 * y) * item],
                  &src[static_cast<std::size_t>(i + s1 * j) * item], item);
    }
  return dest;
}

enum class Placement { Separate, InPlace, DestAhead, DestBehind };

TEST_F(RasterTest, NormalizationOfEveryTwoDimensionalOrientation) {
  const std::pair<long, long> sizes[] = {{5, 3}, {3, 5}, {70, 37}, {1, 4}, {4, 1}, {1, 1}};
  const std::size_t items[] = {1, 2, 4, 8, 3, 12};
  const Placement placements[] = {Placement::Separate, Placement::InPlace, Placement::DestAhead,
                                  Placement::DestBehind};
  for (const auto &[d1, d2] : sizes)
    for (std::size_t item : items)
      for (const Orientation &o : orientations())
        for (Placement placement : placements) {
          SCOPED_TRACE(std::to_string(d1) + "x" + std::to_string(d2) + " item " +
                       std::to_string(item) + " orientation " + std::to_string(o.number) +
                       " placement " + std::to_string(static_cast<int>(placement)));
          const std::size_t bytes = static_cast<std::size_t>(d1 * d2) * item;
          const std::vector<unsigned char> src = pattern(bytes);
          const std::vector<unsigned char> expected = reference_2d(o, src, d1, d2, item);
          // One arena holds both ranges; the shift makes them overlap partly.
          const std::size_t shift = item * 2 + 1;
          std::vector<unsigned char> arena(2 * bytes + 2 * shift + 64, 0xA5);
          std::size_t src_at = 0;
          std::size_t dest_at = 0;
          switch (placement) {
          case Placement::Separate:
            dest_at = bytes + shift;
            break;
          case Placement::InPlace:
            break;
          case Placement::DestAhead:
            dest_at = shift;
            break;
          case Placement::DestBehind:
            src_at = shift;
            break;
          }
          std::memcpy(&arena[src_at], src.data(), bytes);
          std::vector<unsigned char> before = arena;
          const long data_dim[] = {2, d1, d2};
          int err = -1;
          ASSERT_EQ(
              raster_normalization(&arena[dest_at], &arena[src_at], data_dim, o.number, item, &err),
              0);
          EXPECT_EQ(err, 0);
          EXPECT_EQ(std::vector<unsigned char>(arena.begin() + static_cast<long>(dest_at),
                                               arena.begin() + static_cast<long>(dest_at + bytes)),
                    expected);
          // Nothing outside the destination changed.
          std::memcpy(&before[dest_at], &arena[dest_at], bytes);
          EXPECT_EQ(arena, before);
        }
}

// Plain reference copy for any order, straight from its definition: stored
// axis j runs along normal axis |order[j]|, backwards when negative.
std::vector<unsigned char> reference_nd(const Order &order, const std::vector<long> &dim,
                                        const std::vector<unsigned char> &src, std::size_t item) {
  const std::size_t n = dim.size() - 1;
  std::vector<unsigned char> dest(src.size());
  std::vector<long> stored(n + 1, 0); // stored index per stored axis
  for (std::size_t e = 0; e * item < src.size(); ++e) {
    long offset = 0;
    for (std::size_t k = n; k >= 1; --k) {
      // normal coordinate along axis k comes from the stored axis j with |order[j]| = k
      for (std::size_t j = 1; j <= n; ++j)
        if (order[j] == static_cast<long>(k) || order[j] == -static_cast<long>(k)) {
          const long c = order[j] > 0 ? stored[j] : dim[k] - 1 - stored[j];
          offset = offset * dim[k] + c;
        }
    }
    std::memcpy(&dest[static_cast<std::size_t>(offset) * item], &src[e * item], item);
    for (std::size_t j = 1; j <= n; ++j) {
      const long length = dim[static_cast<std::size_t>(order[j] < 0 ? -order[j] : order[j])];
      if (++stored[j] < length) break;
      stored[j] = 0;
    }
  }
  return dest;
}

TEST_F(RasterTest, OrderNormalizationOfEveryThreeDimensionalArrangement) {
  const std::vector<long> dim = {3, 4, 3, 2};
  for (std::size_t item : {std::size_t{2}, std::size_t{3}}) {
    const std::vector<unsigned char> src = pattern(24 * item);
    for (long r = 1; r <= 48; ++r) {
      const Order order = raster_number2order(3, r);
      std::vector<unsigned char> dest(src.size(), 0);
      int err = -1;
      ASSERT_EQ(
          raster_order_normalization(dest.data(), src.data(), dim.data(), order.data(), item, &err),
          0);
      EXPECT_EQ(dest, reference_nd(order, dim, src, item)) << "orientation " << r;
      std::vector<unsigned char> in_place = src;
      ASSERT_EQ(raster_normalization(in_place.data(), in_place.data(), dim.data(), r, item, &err),
                0);
      EXPECT_EQ(in_place, dest) << "orientation " << r;
    }
  }
}

TEST_F(RasterTest, NormalizationRejectsBadArguments) {
  struct Row {
    const char *name;
    bool dest;
    bool src;
    std::vector<long> dim;   // empty: none
    std::vector<long> order; // empty: none
    std::size_t item;
    int errval;
    const char *message;
  };
  const std::vector<long> d23 = {2, 2, 3};
  const std::vector<long> o5 = {2, 2, 1};
  const char *prefix = "ERROR: raster_order_normalization:";
  const Row rows[] = {
      {"no dest", false, true, d23, o5, 4, 5, "SEVERE %s Destination pointer missing!\n"},
      {"no src", true, false, d23, o5, 4, 5, "SEVERE %s Source pointer missing!\n"},
      {"no dim", true, true, {}, o5, 4, 5, "SEVERE %s Data dimension pointer missing!\n"},
      {"no order", true, true, d23, {}, 4, 5, "SEVERE %s Order array  pointer missing!\n"},
      {"zero axes", true, true, {0}, {0}, 4, 1, "%s data_dim no or zero dimension\n"},
      {"negative axes", true, true, {-2}, o5, 4, 1, "%s data_dim no or zero dimension\n"},
      {"zero length", true, true, {2, 2, 0}, o5, 4, 1, "%s data_dim no or zero dimension\n"},
      {"negative length", true, true, {2, -2, 3}, o5, 4, 1, "%s data_dim no or zero dimension\n"},
      {"overflow", true, true, {2, LONG_MAX, 3}, o5, 4, 4, "%s data_dim array size out of range\n"},
      {"byte overflow",
       true,
       true,
       {3, 1L << 21, 1L << 21, 1L << 21},
       {3, 2, 1, 3},
       8,
       4,
       "%s data_dim array size out of range\n"},
      {"item 0", true, true, d23, o5, 0, 4, "%s data_dim array size out of range\n"},
      {"too many axes",
       true,
       true,
       {RASTER_MAX_AXES + 1},
       o5,
       4,
       4,
       "%s data_dim array size out of range\n"},
      {"repeated axis",
       true,
       true,
       d23,
       {2, 1, 1},
       4,
       2,
       "%s order is not a permutation of the axes\n"},
      {"axis beyond",
       true,
       true,
       d23,
       {2, 1, 3},
       4,
       2,
       "%s order is not a permutation of the axes\n"},
      {"order of other rank",
       true,
       true,
       d23,
       {3, 1, 2, 3},
       4,
       2,
       "%s order is not a permutation of the axes\n"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<unsigned char> src = pattern(64);
    std::vector<unsigned char> dest(64, 0xA5);
    int err = 0;
    const std::string message = capture_stderr([&] {
      EXPECT_EQ(raster_order_normalization(
                    row.dest ? dest.data() : nullptr, row.src ? src.data() : nullptr,
                    row.dim.empty() ? nullptr : row.dim.data(),
                    row.order.empty() ? nullptr : row.order.data(), row.item, &err),
                -1);
    });
    EXPECT_EQ(err, row.errval);
    char expected[200];
    std::snprintf(expected, sizeof expected, row.message, prefix);
    EXPECT_EQ(message, expected);
    EXPECT_EQ(dest, std::vector<unsigned char>(64, 0xA5));
  }

  // The number form checks its number before anything else is looked at.
  std::vector<float> dest(6, 1.0f);
  std::vector<float> src(6, 2.0f);
  int err = 0;
  std::string message = capture_stderr([&] {
    EXPECT_EQ(raster_normalization(dest.data(), src.data(), d23.data(), 9, sizeof(float), &err),
              -1);
  });
  EXPECT_EQ(err, 2);
  EXPECT_EQ(message, "ERROR: raster_normalization: raster_number=9 bad raster configuration\n");
  message = capture_stderr([&] {
    EXPECT_EQ(raster_normalization(dest.data(), src.data(), nullptr, 1, sizeof(float), &err), -1);
  });
  EXPECT_EQ(err, 5);
  EXPECT_EQ(message, "SEVERE ERROR: raster_normalization: Data dimension pointer missing!\n");
  const long no_axes[] = {0};
  message = capture_stderr([&] {
    EXPECT_EQ(raster_normalization(dest.data(), src.data(), no_axes, 1, sizeof(float), &err), -1);
  });
  EXPECT_EQ(err, 1);
  EXPECT_EQ(message, "ERROR: raster_normalization: data_dim no or zero dimension\n");
  EXPECT_EQ(dest, std::vector<float>(6, 1.0f));
}

// ------------------------------------------------------------------- text

// The error value num_str2long gives for `text` (never 0 for the rows below).
int reader_error(const char *text) {
  int err = NumSuccess;
  num_str2long(text, nullptr, &err);
  return err;
}

TEST_F(RasterTest, ParsesArrangementsAndReportsEveryError) {
  struct Row {
    long n;
    const char *text;
    long number;            // the expected raster number, 0 on failure
    int errval;             // the expected error value (below 1000)
    const char *bad_number; // for 1000 + e: the text the integer reader rejects
  };
  const Row rows[] = {
      {3, "5", 5, 0, nullptr},       {3, "2,1,3", 5, 0, nullptr},
      {3, " 2 1 3 ", 5, 0, nullptr}, {3, "2 ,1,\t3", 5, 0, nullptr},
      {3, "1+1,1,3", 5, 0, nullptr}, {3, "-6", 7, 0, nullptr},
      {3, "-2", 2, 0, nullptr},      {3, "48", 48, 0, nullptr},
      {2, "-2,1", 7, 0, nullptr},    {2, "(3)", 3, 0, nullptr},
      {1, "1", 1, 0, nullptr},       {1, "-1", 2, 0, nullptr},
      {1, "2", 2, 0, nullptr},       {3, "1,1,3", 0, 3, nullptr},
      {3, "1,-1,3", 0, 3, nullptr},  {3, "0", 0, 4, nullptr},
      {3, "0,1,2", 0, 4, nullptr},   {3, "1,0,2", 0, 4, nullptr},
      {3, "1,4,2", 0, 4, nullptr},   {1, "-2", 0, 4, nullptr},
      {3, "3,1", 0, 5, nullptr},     {3, "2,1", 0, 6, nullptr},
      {3, "2,1,", 0, 6, nullptr},    {3, "2,1,3,4", 0, 7, nullptr},
      {3, "2,1,3 x", 0, 7, nullptr}, {3, "5,1", 0, 7, nullptr},
      {1, "1 1", 0, 7, nullptr},     {3, "49", 0, 8, nullptr},
      {3, "-49", 0, 8, nullptr},     {1, "3", 0, 8, nullptr},
      {-1, "1", 0, 8, nullptr},      {3, "", 0, 0, ""},
      {3, "@", 0, 0, "@"},           {3, "2,(1", 0, 0, "(1"},
      {3, "2,,1,3", 0, 0, ",1,3"},   {3, "1/0", 0, 0, "1/0"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(std::string("n=") + std::to_string(row.n) + " text '" + row.text + "'");
    int expected_err = row.errval;
    if (row.bad_number) {
      const int e = reader_error(row.bad_number);
      ASSERT_NE(e, NumSuccess);
      expected_err = 1000 + e;
    }
    const char *tail = nullptr;
    int err = -1;
    EXPECT_EQ(raster_str2number(row.n, row.text, &tail, &err), row.number);
    EXPECT_EQ(err, expected_err);
    EXPECT_EQ(tail, row.number ? row.text + std::strlen(row.text) : row.text);

    std::vector<long> buffer(5, 77);
    err = -1;
    tail = nullptr;
    long *order = raster_str2order(buffer.data(), buffer.size(), row.n, row.text, &tail, &err);
    EXPECT_EQ(err, expected_err);
    if (row.number) {
      ASSERT_EQ(order, buffer.data());
      EXPECT_EQ(raster_order2number(order), row.number);
    } else {
      EXPECT_EQ(order, nullptr);
      EXPECT_EQ(tail, row.text);
      EXPECT_EQ(buffer, std::vector<long>(5, 77));
    }
  }
}

TEST_F(RasterTest, ParserBufferAndMissingText) {
  long buffer[4];
  int err = 0;
  EXPECT_EQ(raster_str2order(buffer, 3, 3, "5", nullptr, &err), nullptr);
  EXPECT_EQ(err, 9);
  EXPECT_EQ(raster_str2order(nullptr, 4, 3, "5", nullptr, &err), nullptr);
  EXPECT_EQ(err, 9);
  const char *tail = "x";
  EXPECT_EQ(raster_str2number(3, nullptr, &tail, &err), 0);
  EXPECT_EQ(err, 1000 + reader_error(""));
  EXPECT_EQ(tail, nullptr);
  // An order of more than nine axes parses but has no raster number.
  EXPECT_EQ(raster_str2number(10, "1,2,3,4,5,6,7,8,9,10", nullptr, &err), 1);
  EXPECT_EQ(raster_str2number(10, "1,2,3,4,5,6,7,8,10,9", nullptr, &err), 0);
  EXPECT_EQ(err, 8);
}

TEST_F(RasterTest, OrderText) {
  struct Row {
    Order order;
    std::size_t nelem;
    const char *text;
    int errval;
  };
  const Row rows[] = {
      {{2, -2, 1}, 16, "-2,1", 0}, {{3, 2, 1, -3}, 16, "2,1,-3", 0}, {{0}, 16, "", 0},
      {{2, -2, 1}, 5, "-2,1", 0},  {{2, -2, 1}, 3, "-2", 3},         {{2, -2, 1}, 1, "", 3},
  };
  for (const Row &row : rows) {
    std::vector<char> buffer(row.nelem + 8, 'Q');
    int err = -1;
    ASSERT_EQ(raster_order2str(buffer.data(), row.nelem, row.order.data(), &err), buffer.data());
    EXPECT_STREQ(buffer.data(), row.text);
    EXPECT_EQ(err, row.errval);
    EXPECT_EQ(std::string(buffer.begin() + static_cast<long>(row.nelem), buffer.end()),
              std::string(8, 'Q'));
  }
  char buffer[8];
  int err = 0;
  EXPECT_EQ(raster_order2str(buffer, 0, rows[0].order.data(), &err), nullptr);
  EXPECT_EQ(err, 2);
  EXPECT_EQ(raster_order2str(buffer, sizeof buffer, nullptr, &err), nullptr);
  EXPECT_EQ(err, 4);
}

TEST_F(RasterTest, DebugTraceOnlyWhenSwitchedOn) {
  const long dim[] = {2, 2, 2};
  float src[4] = {1, 2, 3, 4};
  float dest[4];
  int err = 0;
  std::string out = capture_stdout([&] { raster_normalization(dest, src, dim, 5, 4, &err); });
  EXPECT_EQ(out, "");
  raster_debug(1);
  out = capture_stdout([&] { raster_normalization(dest, src, dim, 5, 4, &err); });
  EXPECT_EQ(out.rfind("raster_normalization BEGIN\n", 0), 0u) << out;
  EXPECT_NE(out.find("  order = 2,1\n"), std::string::npos) << out;
  EXPECT_NE(out.find("raster_normalization END\n"), std::string::npos) << out;
  raster_debug(0);
  out = capture_stdout([&] { raster_order2number(dim); });
  EXPECT_EQ(out, "");
}

} // namespace
