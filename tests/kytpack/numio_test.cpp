// Tests of the expression evaluators, the number writers and the compiled
// programs with their registry.
#include "gamma.h"
#include "numio.h"

#include "capture.h"
#include "guarded_buffer.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr double pi = 3.141592653589793;

// Every test starts with an empty registry and debug level 0.
class Numio : public ::testing::Test {
protected:
  void SetUp() override { numio_reset(); }
  void TearDown() override { numio_reset(); }
};

struct FloatRow {
  const char *text;
  double value;
  int err;
  const char *tail;
  double tol = 0; // relative tolerance; 0: bit for bit
};

void check_float_rows(const std::vector<FloatRow> &rows) {
  for (const FloatRow &row : rows) {
    const char *tail = nullptr;
    int err = -1;
    const double value = num_str2double(row.text, &tail, &err);
    EXPECT_EQ(err, row.err) << row.text;
    EXPECT_STREQ(tail, row.tail) << row.text;
    if (row.tol == 0) {
      EXPECT_EQ(value, row.value) << row.text;
    } else {
      EXPECT_NEAR(value, row.value, row.tol * std::fabs(row.value) + 1e-300) << row.text;
    }
  }
}

TEST_F(Numio, FloatGrammar) {
  check_float_rows({
      {"1+2*3", 7, NumSuccess, ""},
      {"2_mm", 0.002, NumSuccess, ""},
      {"3_m/2_s", 1.5, NumSuccess, ""},
      {"1_km/1_hr", 1000.0 / 3600.0, NumSuccess, "", 1e-15},
      {"90_deg", pi / 2, NumSuccess, "", 1e-15},
      {"sin(30_deg)", 0.5, NumSuccess, "", 1e-15},
      // Division, floor division, rest; the leading sign covers the first term.
      {"7//2", 3, NumSuccess, ""},
      {"(-7)//2", -4, NumSuccess, ""},
      {"-7//2", -3, NumSuccess, ""},
      {"7%(-3)", -2, NumSuccess, ""},
      {"-7%3", -1, NumSuccess, ""},
      {"-2*3", -6, NumSuccess, ""},
      // A sign only starts an additive expression.
      {"2*-3", 0, NumNoFloatNumber, "-3"},
      {"7%-3", 0, NumNoFloatNumber, "-3"},
      // Comparisons and logic, without chaining.
      {"1<2", 1, NumSuccess, ""},
      {"2<=2", 1, NumSuccess, ""},
      {"1>2", 0, NumSuccess, ""},
      {"2>=3", 0, NumSuccess, ""},
      {"1==1", 1, NumSuccess, ""},
      {"1!=1", 0, NumSuccess, ""},
      {"1<2<3", 1, NumSuccess, "<3"},
      {"2&&0", 0, NumSuccess, ""},
      {"0||2", 1, NumSuccess, ""},
      {"1|2", 1, NumSuccess, "|2"},
      {"1&2", 1, NumSuccess, "&2"},
      {"!0", 1, NumSuccess, ""},
      {"!3", 0, NumSuccess, ""},
      {"!!0", 0, NumNoFloatNumber, "!0"},
      // Conditional; nesting needs parentheses.
      {"1?2:3", 2, NumSuccess, ""},
      {"0?2:3", 3, NumSuccess, ""},
      {"1?2", 0, NumScanError, ""},
      {"0?1:(1?2:3)", 2, NumSuccess, ""},
      {"1?2:3?4:5", 2, NumSuccess, "?4:5"},
      // Numbers and casts.
      {"0x10", 16, NumSuccess, ""},
      {".5e1", 5, NumSuccess, ""},
      {"1e", 1, NumSuccess, "e"},
      {".", 0, NumNoFloatNumber, "."},
      {"(double)7/2", 3.5, NumSuccess, ""},
      {"(double)(7/2)", 3, NumSuccess, ""},
      {"(double)(long int)(double)(long int)2.7", 2, NumSuccess, ""},
      {"inf", DBL_MAX, NumSuccess, ""},
      {"-inf", -DBL_MAX, NumSuccess, ""},
      // Where parsing stops.
      {"  3 rest", 3, NumSuccess, " rest"},
      {"1,2", 1, NumSuccess, ",2"},
      {"milex", 1609.344, NumSuccess, "x"},
      // Errors.
      {"", 0, NumNoFloatNumber, ""},
      {"1/0", 0, NumDivByZero, ""},
      {"1//0", 0, NumDivByZero, ""},
      {"1%0", 0, NumDivByZero, ""},
      {"(1+2", 0, NumBadParenthesis, ""},
      {"1+2)", 0, NumBadParenthesis, ")"},
      {"foo(1)", 0, NumNoFloatFunction, "foo(1)"},
      {"foo", 0, NumNoFloatNumber, "foo"},
      {"fooz(1)", 0, NumNoFloatNumber, "fooz(1)"},
      {"atan2(1)", 0, NumCommaExpected, ")"},
      {"sin(1,2)", 0, NumBadParenthesis, ",2)"},
      {"pi(1)", 0, NumBadParenthesis, "1)"},
      {"_x", 0, NumNoVariable, "_x"},
  });
  EXPECT_TRUE(std::signbit(num_str2double("-0", nullptr, nullptr)));
}

TEST_F(Numio, FunctionsAndTheirDomains) {
  check_float_rows({
      {"rad(180)", pi, NumSuccess, ""},
      {"deg(pi)", 180, NumSuccess, ""},
      {"pi()", pi, NumSuccess, ""},
      {"sin(0)", 0, NumSuccess, ""},
      {"cos(0)", 1, NumSuccess, ""},
      {"tan(45_deg)", 1, NumSuccess, "", 1e-15},
      {"asin(1)", pi / 2, NumSuccess, ""},
      {"asin(-1.5)", 0, NumDomainError, ""},
      {"acos(1)", 0, NumSuccess, ""},
      {"acos(2)", 0, NumDomainError, ""},
      {"atan(1)", pi / 4, NumSuccess, ""},
      {"atan2(1,0)", pi / 2, NumSuccess, ""},
      {"atan2(0,-1)", pi, NumSuccess, ""},
      {"sinh(0)", 0, NumSuccess, ""},
      {"cosh(0)", 1, NumSuccess, ""},
      {"tanh(0)", 0, NumSuccess, ""},
      {"floor(-1.5)", -2, NumSuccess, ""},
      {"ceil(-1.5)", -1, NumSuccess, ""},
      {"abs(-2)", 2, NumSuccess, ""},
      {"exp(1)", std::exp(1.0), NumSuccess, ""},
      {"log(e)", 1, NumSuccess, ""},
      {"log(0)", 0, NumDomainError, ""},
      {"log10(1000)", 3, NumSuccess, ""},
      {"log10(-1)", 0, NumDomainError, ""},
      {"sqrt(16)", 4, NumSuccess, ""},
      {"sqrt(-1)", 0, NumDomainError, ""},
      {"round(2.5)", 3, NumSuccess, ""},
      {"round(-2.5)", -2, NumSuccess, ""},
      {"gamma(5)", 24, NumSuccess, ""},
      {"gamma(0.5)", std::sqrt(pi), NumSuccess, "", 1e-6},
      {"min(1,2)", 1, NumSuccess, ""},
      {"max(1,2)", 2, NumSuccess, ""},
      {"degC2K(0)", 273.15, NumSuccess, ""},
      {"K2degC(273.15)", 0, NumSuccess, ""},
      {"degF2K(32)", 273.15, NumSuccess, ""},
      {"K2degF(273.15)", 32, NumSuccess, ""},
      {"degK2K(5)", 5, NumSuccess, ""},
      {"K2degK(5)", 5, NumSuccess, ""},
      {"degF2degC(212)", 100, NumSuccess, ""},
      {"degC2degF(100)", 212, NumSuccess, ""},
      // Power rules.
      {"pow(2,10)", 1024, NumSuccess, ""},
      {"pow(2,-2)", 0.25, NumSuccess, ""},
      {"pow(0,0)", 1, NumSuccess, ""},
      {"pow(0,2)", 0, NumSuccess, ""},
      {"pow(0,-1)", 0, NumDomainError, ""},
      {"pow(-2,3)", -8, NumSuccess, ""},
      {"pow(-2,-2)", 0.25, NumSuccess, ""},
      {"pow(-8,1/3)", 0, NumDomainError, ""},
  });
}

TEST_F(Numio, ConstantsAndUnits) {
  check_float_rows({
      // Named constants.
      {"pi", pi, NumSuccess, ""},
      {"e", 2.718281828459045, NumSuccess, ""},
      {"gamma", 0.5772156649015329, NumSuccess, ""},
      {"NA", 6.0221415e23, NumSuccess, ""},
      {"c", 299792458, NumSuccess, ""},
      {"h", 6.6260693e-34, NumSuccess, ""},
      {"u0", 1.2566370614359173e-06, NumSuccess, ""},
      {"e0", 8.854187817620389e-12, NumSuccess, ""},
      // Units without prefixes.
      {"arcsec", pi / 648000, NumSuccess, ""},
      {"mdeg", pi / 180 * 1e-3, NumSuccess, ""},
      {"min", 60, NumSuccess, ""},
      {"d", 86400, NumSuccess, ""},
      {"NM", 1852, NumSuccess, ""},
      {"kn", 1852.0 / 3600.0, NumSuccess, ""},
      {"Ao", 1e-10, NumSuccess, ""},
      {"ha", 10000, NumSuccess, ""},
      {"lb", 0.45359237, NumSuccess, ""},
      {"degF", 5.0 / 9.0, NumSuccess, ""},
      {"psi", 6894.757293168361, NumSuccess, ""},
      {"Torr", 133.3224, NumSuccess, ""},
      // Prefixed units; the key is prefix and unit.
      {"km", 1000, NumSuccess, ""},
      {"us", 1e-6, NumSuccess, ""},
      {"keV", 1.60217653e-16, NumSuccess, "", 1e-15},
      {"GHz", 1e9, NumSuccess, ""},
      {"mbar", 100, NumSuccess, ""},
      {"kcal", 4186.8, NumSuccess, "", 1e-15},
      {"MOhm", 1e6, NumSuccess, ""},
      {"kg", 1, NumSuccess, ""},
      {"ml", 1e-6, NumSuccess, "", 1e-15},
      {"mG", 1e-7, NumSuccess, "", 1e-15},
      {"ymol", 1e-24, NumSuccess, ""},
      {"YPa", 1e24, NumSuccess, ""},
      // Squared and cubed units: the factor squared or cubed.
      {"cm2", 1e-4, NumSuccess, "", 1e-15},
      {"ms2", 1e-6, NumSuccess, "", 1e-15},
      {"km2", 1e6, NumSuccess, ""},
      {"cm3", 1e-6, NumSuccess, "", 1e-15},
      {"dm3", 1e-3, NumSuccess, "", 1e-15},
      // Information units.
      {"B", 1, NumSuccess, ""},
      {"kB", 1e3, NumSuccess, ""},
      {"MByte", 1e6, NumSuccess, ""},
      {"YB", 1e24, NumSuccess, ""},
      {"KiB", 1024, NumSuccess, ""},
      {"GiByte", 1073741824, NumSuccess, ""},
      {"YiB", std::ldexp(1.0, 80), NumSuccess, ""},
      // Longest key wins; case matters.
      {"nmi", 1852, NumSuccess, ""},
      {"nm", 1e-9, NumSuccess, ""},
      {"mm2x", 1e-6, NumSuccess, "x", 1e-15},
      {"PiB", std::ldexp(1.0, 50), NumSuccess, ""},
      {"Pi", 0, NumNoFloatNumber, "Pi"},
  });
}

TEST_F(Numio, TooDeepNestingIsRefused) {
  for (const char *open : {"(", "sin(", "(double)(long int)", "(long int)(double)"}) {
    std::string text;
    for (int i = 0; i < 5000; ++i)
      text += open;
    text += "1";
    int err = NumSuccess;
    EXPECT_EQ(num_str2double(text.c_str(), nullptr, &err), 0) << open;
    EXPECT_NE(err, NumSuccess) << open;
    EXPECT_EQ(num_str2long(text.c_str(), nullptr, &err), 0) << open;
    EXPECT_NE(err, NumSuccess) << open;
  }
  std::string text(5000, '(');
  int err = NumSuccess;
  num_str2double(text.c_str(), nullptr, &err);
  EXPECT_EQ(err, NumScanError);
  num_str2long(text.c_str(), nullptr, &err);
  EXPECT_EQ(err, NumScanError);
  // Moderate nesting still works.
  text = std::string(50, '(') + "1" + std::string(50, ')');
  EXPECT_EQ(num_str2double(text.c_str(), nullptr, &err), 1);
  EXPECT_EQ(err, NumSuccess);
}

TEST_F(Numio, IntegerGrammar) {
  struct Row {
    const char *text;
    long value;
    int err;
    const char *tail;
  };
  const Row rows[] = {
      {"7/2", 3, NumSuccess, ""},
      {"-7/2", -3, NumSuccess, ""},
      {"-7%3", -1, NumSuccess, ""},
      {"7%-3", 0, NumNoIntegerNumber, "-3"},
      {"(1+2)*3", 9, NumSuccess, ""},
      {"+5", 5, NumSuccess, ""},
      {"TRUE", 1, NumSuccess, ""},
      {"Yes", 1, NumSuccess, ""},
      {"false", 0, NumSuccess, ""},
      {"no", 0, NumSuccess, ""},
      {"pi", 3, NumSuccess, ""},
      {"kB", 1000, NumSuccess, ""},
      {"(round)2.5", 3, NumSuccess, ""},
      {"(round)(-2.5)", -2, NumSuccess, ""},
      {"(long int)2.7", 2, NumSuccess, ""},
      {"(long int)(-2.7)", -2, NumSuccess, ""},
      {"(long int)-2.7", 0, NumNoFloatNumber, "-2.7"},
      {"(long int)2_km", 2000, NumSuccess, ""},
      {"round(2.5)", 3, NumSuccess, ""},
      {"sqrt(16)*2", 8, NumSuccess, ""},
      {"(long int)(double)(long int)2.7", 2, NumSuccess, ""},
      // Where the expression ends.
      {"1 2", 1, NumSuccess, " 2"},
      {"1,2", 1, NumSuccess, ",2"},
      {"1;2", 1, NumSuccess, ";2"},
      {"2.5", 0, NumScanError, ".5"},
      {"2_mm", 0, NumScanError, "_mm"},
      {"(1+2", 0, NumBadParenthesis, ""},
      {"1+2)", 0, NumBadParenthesis, ")"},
      {"", 0, NumNoIntegerNumber, ""},
      {"x1", 0, NumNoIntegerNumber, "x1"},
      {"1/0", 0, NumDivByZero, ""},
      {"1%0", 0, NumDivByZero, ""},
      {"foo(1)", 0, NumNoFloatFunction, "foo(1)"},
      // The 32-bit range.
      {"2147483647", 2147483647, NumSuccess, ""},
      {"-2147483648", -2147483647L - 1, NumSuccess, ""},
      {"2147483647+1", 0, NumIntegerOverflow, ""},
      {"-2147483647-2", 0, NumIntegerOverflow, ""},
      {"65536*32768", 0, NumIntegerOverflow, ""},
      {"(-2147483648)/(-1)", 0, NumIntegerOverflow, ""},
      {"2147483648", 0, NumIntegerOverflow, ""},
      {"99999999999999999999", 0, NumIntegerOverflow, ""},
      {"inf", 0, NumIntegerOverflow, ""},
      {"(long int)1e10", 0, NumIntegerOverflow, ""},
      {"(round)2147483647.4", 2147483647, NumSuccess, ""},
      {"(round)2147483647.5", 0, NumIntegerOverflow, ""},
  };
  for (const Row &row : rows) {
    const char *tail = nullptr;
    int err = -1;
    EXPECT_EQ(num_str2long(row.text, &tail, &err), row.value) << row.text;
    EXPECT_EQ(err, row.err) << row.text;
    EXPECT_STREQ(tail, row.tail) << row.text;
  }
}

TEST_F(Numio, NoneCountsAsEmptyText) {
  int err = -1;
  const char *tail = nullptr;
  EXPECT_EQ(num_str2double(nullptr, &tail, &err), 0);
  EXPECT_EQ(err, NumNoFloatNumber);
  EXPECT_STREQ(tail, "");
  EXPECT_EQ(num_str2long(nullptr, nullptr, &err), 0);
  EXPECT_EQ(err, NumNoIntegerNumber);
}

TEST(Gamma, FunctionAndLogarithm) {
  EXPECT_EQ(gamma_function(5), 24);
  EXPECT_EQ(gamma_function(3), 2);
  // The polynomial on [2, 3) holds about 3e-7 relative.
  EXPECT_NEAR(gamma_function(0.5), std::sqrt(pi), 1e-6);
  EXPECT_NEAR(gamma_function(-0.5), -2 * std::sqrt(pi), 1e-6);
  EXPECT_NEAR(gamma_function(7.5), std::tgamma(7.5), 1e-6 * std::tgamma(7.5));
  EXPECT_NEAR(gamma_function(25), std::tgamma(25.0), 1e-10 * std::tgamma(25.0));
  // Poles give the largest double.
  EXPECT_EQ(gamma_function(0), DBL_MAX);
  EXPECT_EQ(gamma_function(-3), DBL_MAX);
  EXPECT_EQ(gamma_function(1e-31), DBL_MAX);
  // Large negative arguments end at once instead of counting up to 2.
  EXPECT_EQ(gamma_function(-1e300), DBL_MAX);
  EXPECT_EQ(gamma_function(-1e15 + 0.5), 0);
  EXPECT_EQ(gamma_function(-HUGE_VAL), DBL_MAX);

  EXPECT_NEAR(loggamma(10), std::lgamma(10.0), 1e-8);
  EXPECT_NEAR(loggamma(0.5), std::lgamma(0.5), 1e-6);
  EXPECT_NEAR(loggamma(100), std::lgamma(100.0), 1e-9);
  EXPECT_EQ(loggamma(-0.5), DBL_MAX);
  EXPECT_EQ(loggamma(0), DBL_MAX);
  EXPECT_EQ(_loggamma(2), 1);
  EXPECT_NEAR(_loggamma(30), std::lgamma(30.0), 1e-10);
}

// ----------------------------------------------------------------- writers

TEST(NumWriters, ErrorMessages) {
  const struct {
    int errval;
    const char *text;
  } rows[] = {
      {NumSuccess, "success"},
      {NumMemoryAllocationError, "memory allocation failed"},
      {NumScanError, "error scanning expression"},
      {NumCommaExpected, "missing comma in expression"},
      {NumBadParenthesis, "bad parenthesis in expression"},
      {NumNoFloatNumber, "expression is not a float number"},
      {NumNoFloatFunction, "unknown float function in expression"},
      {NumDomainError, "domain error"},
      {NumNoIntegerNumber, "expression is not an integer number"},
      {NumIntegerOverflow, "integer overflow"},
      {NumDivByZero, "division by zero"},
      {NumWriteError, "error writing value"},
      {NumNoVariable, "undefined variable"},
      {NumVariableError, "unknown error value"},
      {NumProgramError, "error creating program"},
      {NumNoInstruction, "unknown program instruction"},
      {NumNoAccumulator, "not enough program registers"},
      {NumBadUnit, "bad unit"},
      {18, "unknown error value"},
      {-1, "unknown error value"},
  };
  for (const auto &row : rows) {
    char buffer[64];
    EXPECT_STREQ(num_errval2str(buffer, sizeof buffer, row.errval), row.text) << row.errval;
  }
  GuardedBuffer small(6);
  EXPECT_EQ(num_errval2str(small.data(), small.size(), NumDomainError), small.data());
  EXPECT_EQ(small.text(), "domai");
  EXPECT_TRUE(small.guards_intact());
  GuardedBuffer none(0);
  EXPECT_EQ(num_errval2str(none.data(), 0, NumDomainError), nullptr);
  EXPECT_TRUE(none.untouched());
  EXPECT_EQ(num_errval2str(nullptr, 10, NumDomainError), nullptr);
}

TEST_F(Numio, Double2Str) {
  struct Row {
    double value;
    const char *unit;
    int ndigits;
    const char *text;
    int err;
  };
  const Row rows[] = {
      {1234.5678, nullptr, 0, "1234.57", NumSuccess},
      {1234.5678, "", 3, "1.23e+03", NumSuccess},
      {1234.5678, nullptr, -6, "1234.57", NumSuccess},
      {0.1, nullptr, 200, "0.1000000000000000055511151231257827021181583404541015625", NumSuccess},
      {0.002, "mm", 7, "2_mm", NumSuccess},
      {1.5, "km/s", 0, "0.0015_km/s", NumSuccess},
      {0.5, "mm ", 0, "500_mm ", NumSuccess},
      // A unit that is more than a factor is put in parentheses.
      {4, "1+mm", 0, "3.996_(1+mm)", NumSuccess},
      {-0.002, "-mm", 0, "2_(-mm)", NumSuccess},
      // Unusable units.
      {1, "mm x", 0, "", NumBadUnit},
      {1, "0_m", 0, "", NumDivByZero},
      {1, "foo", 0, "", NumNoFloatNumber},
  };
  for (const Row &row : rows) {
    char buffer[128];
    int err = -1;
    const char *result =
        num_double2str(buffer, sizeof buffer, row.value, row.unit, row.ndigits, &err);
    EXPECT_EQ(err, row.err) << row.text;
    if (row.err == NumSuccess) {
      EXPECT_STREQ(result, row.text);
    } else {
      EXPECT_EQ(result, nullptr) << row.text;
    }
  }
}

TEST_F(Numio, Double2StrNeedsRoomForTheWholeText) {
  for (std::size_t buflen : {std::size_t{0}, std::size_t{1}, std::size_t{4}, std::size_t{5}}) {
    GuardedBuffer buffer(buflen);
    int err = -1;
    const char *result = num_double2str(buffer.data(), buflen, 0.002, "mm", 7, &err);
    EXPECT_TRUE(buffer.guards_intact()) << buflen;
    if (buflen == 5) {
      EXPECT_EQ(result, buffer.data());
      EXPECT_EQ(err, NumSuccess);
      EXPECT_EQ(buffer.text(), "2_mm");
    } else {
      EXPECT_EQ(result, nullptr) << buflen;
      EXPECT_EQ(err, NumWriteError) << buflen;
      if (buflen > 0) {
        EXPECT_EQ(buffer.text(), "");
      }
    }
  }
}

TEST(NumWriters, LongAndHex) {
  char buffer[32];
  int err = -1;
  EXPECT_STREQ(num_long2str(buffer, sizeof buffer, -42, &err), "-42");
  EXPECT_EQ(err, NumSuccess);
  EXPECT_STREQ(num_long2hex(buffer, sizeof buffer, 255, &err), "0xff");
  EXPECT_EQ(err, NumSuccess);
  // A cut number is reported, with the documented cut text kept.
  GuardedBuffer small(4);
  EXPECT_EQ(num_long2str(small.data(), small.size(), 123456, &err), small.data());
  EXPECT_EQ(small.text(), "123");
  EXPECT_EQ(err, NumWriteError);
  EXPECT_TRUE(small.guards_intact());
  EXPECT_EQ(num_long2hex(nullptr, 8, 1, &err), nullptr);
  EXPECT_EQ(err, NumWriteError);
}

TEST(NumWriters, Double2Hex) {
  struct Row {
    double value;
    int ndigits;
    std::size_t buflen;
    const char *text; // none: no output
    int err;
  };
  const Row rows[] = {
      {255, 0, 32, "0xff", NumSuccess},
      {255, 1, 32, "0xff", NumSuccess},
      {256, 5, 32, "0x100.00", NumSuccess},
      {0.5, 3, 32, "0x0.80", NumSuccess},
      {-31.5, -4, 32, "-0x1f.80", NumSuccess},
      {0.0, 1, 32, "0x0", NumSuccess},
      {1.0 / 3.0, 6, 32, "0x0.55555", NumSuccess},
      {4096, 0, 4, "0x1", NumWriteError}, // cut and reported
      {1, 0, 3, nullptr, NumWriteError},
      {-1, 0, 4, nullptr, NumWriteError},
      {-1, 0, 5, "-0x1", NumSuccess},
      {HUGE_VAL, 3, 32, nullptr, NumWriteError},
      {NAN, 3, 32, nullptr, NumWriteError},
  };
  for (const Row &row : rows) {
    GuardedBuffer buffer(row.buflen);
    int err = -1;
    const char *result = num_double2hex(buffer.data(), row.buflen, row.value, row.ndigits, &err);
    EXPECT_EQ(err, row.err) << row.value;
    EXPECT_TRUE(buffer.guards_intact()) << row.value;
    if (row.text) {
      EXPECT_EQ(result, buffer.data()) << row.value;
      EXPECT_EQ(buffer.text(), row.text);
    } else {
      EXPECT_EQ(result, nullptr) << row.value;
    }
  }
  // The largest double writes all its 256 digits when there is room.
  std::vector<char> big(300);
  int err = -1;
  ASSERT_NE(num_double2hex(big.data(), big.size(), DBL_MAX, 1, &err), nullptr);
  EXPECT_EQ(err, NumSuccess);
  EXPECT_EQ(std::string(big.data()), "0x" + std::string(13, 'f') + "8" + std::string(242, '0'));
}

TEST(NumWriters, StrncasecmpAndVersion) {
  EXPECT_EQ(num_strncasecmp("TRUE", "true", 4), 0);
  EXPECT_EQ(num_strncasecmp("abcX", "ABCy", 3), 0);
  EXPECT_LT(num_strncasecmp("abcX", "ABCy", 4), 0);
  EXPECT_GT(num_strncasecmp("b", "A", 1), 0);
  EXPECT_LT(num_strncasecmp("ab", "abc", 5), 0);
  EXPECT_EQ(num_strncasecmp(nullptr, "", 3), 0);
  EXPECT_STREQ(numio_version(), "numio : V1.42 Marvane 2015-12-08");
}

TEST_F(Numio, DebugTraces) {
  numio_debug(1);
  EXPECT_EQ(test_support::capture_stdout([] { num_str2double("2_mm", nullptr, nullptr); }),
            "  mm = 0.001 m (length)\n");
  dpconstant_free();
  numio_debug(2);
  const std::string listing =
      test_support::capture_stdout([] { num_str2double("pi", nullptr, nullptr); });
  EXPECT_NE(listing.find("   'pi' = 3.14159 (pi)\n"), std::string::npos);
  EXPECT_NE(listing.find("   'k' = 1.38065e-23 J/K (Boltzmann constant)\n"), std::string::npos);
  EXPECT_NE(listing.find("   'YiB' = 1.20893e+24 Byte (information)\n"), std::string::npos);
  numio_debug(0);
  EXPECT_EQ(test_support::capture_stdout([] { num_str2double("2_mm", nullptr, nullptr); }), "");
}

// ---------------------------------------------------------------- programs

// The instructions of a program as "NAME value" lines (value only for
// PUSHVAL, the variable for PUSHADDR).
std::vector<std::string> instructions(const NumProg *prog) {
  std::vector<std::string> out;
  for (const NumInstr &in : prog->InstructionList) {
    std::string line = numprog_cmd2str(in.Command);
    if (in.Command == NUM_PUSHVAL) line += " " + std::to_string(in.Value);
    if (in.Command == NUM_PUSHADDR) {
      for (const auto &var : prog->VariableList) {
        if (&var->Value == in.Address) line += " " + var->Key;
      }
    }
    out.push_back(line);
  }
  return out;
}

using Lines = std::vector<std::string>;

TEST_F(Numio, ConstantFolding) {
  const struct {
    const char *text;
    Lines compiled;
  } rows[] = {
      {"2*3+_x", {"PUSHVAL 6.000000", "PUSHADDR x", "ADD"}},
      {"_x+2*3", {"PUSHADDR x", "PUSHVAL 6.000000", "ADD"}},
      {"_x*2+1", {"PUSHADDR x", "PUSHVAL 2.000000", "MUL", "PUSHVAL 1.000000", "ADD"}},
      {"1+2*sqrt(4)", {"PUSHVAL 5.000000"}},
      {"sin(_x)*(1+1)", {"PUSHADDR x", "SIN", "PUSHVAL 2.000000", "MUL"}},
      {"_x>0?2*2:_x",
       {"PUSHADDR x", "PUSHVAL 0.000000", "GT", "PUSHVAL 4.000000", "PUSHADDR x", "IF"}},
  };
  for (const auto &row : rows) {
    int err = -1;
    const char *tail = nullptr;
    NumProg *prog = num_str2prog("p", row.text, &tail, &err, 1, "x");
    ASSERT_NE(prog, nullptr) << row.text;
    EXPECT_EQ(err, NumSuccess);
    EXPECT_STREQ(tail, "");
    EXPECT_EQ(instructions(prog), row.compiled) << row.text;
    EXPECT_EQ(num_prog_instructions(prog, 1), 0);
  }
}

TEST_F(Numio, RunningPrograms) {
  int err = -1;
  NumProg *val = num_str2prog("val", "_x*2+1", nullptr, &err, 1, "x");
  ASSERT_NE(val, nullptr);
  EXPECT_EQ(num_runprog(val, &err, 3.0), 7);
  EXPECT_EQ(err, NumSuccess);
  EXPECT_EQ(num_runprog(val, &err, -0.5f), 0);
  EXPECT_EQ(err, NumSuccess);

  NumProg *only = num_str2prog("only", "_x", nullptr, &err, 1, "x");
  EXPECT_EQ(num_runprog(only, &err, 5), 5);

  // Two variables in definition order; a run-time fault spares later runs.
  NumProg *ratio = num_str2prog("ratio", "_a/_b", nullptr, &err, 2, "a", "b");
  EXPECT_EQ(num_runprog(ratio, &err, 6, 3), 2);
  EXPECT_EQ(num_runprog(ratio, &err, 6, 0), 0);
  EXPECT_EQ(err, NumDivByZero);
  EXPECT_EQ(num_runprog(ratio, &err, 1, 4), 0.25);
  EXPECT_EQ(err, NumSuccess);
  EXPECT_EQ(num_runprog(ratio, &err, 1.0), 0);
  EXPECT_EQ(err, NumVariableError);

  EXPECT_EQ(num_runprog(nullptr, &err, 1.0), 0);
  EXPECT_EQ(err, NumProgramError);
}

TEST_F(Numio, VariablesAndUseCounts) {
  int err = -1;
  const char *tail = nullptr;
  // The longest variable name wins, so both x and xy are reachable.
  NumProg *prog = num_str2prog("p", "_xy+_x+_xy", &tail, &err, 3, "x", "xy", "unused");
  ASSERT_NE(prog, nullptr);
  EXPECT_EQ(num_runprog(prog, &err, 1, 10, 100), 21);
  EXPECT_EQ(num_chkvar(prog, 1, &err), 1);
  EXPECT_EQ(num_chkvar(prog, 2, &err), 2);
  EXPECT_EQ(num_chkvar(prog, 3, &err), 0);
  EXPECT_EQ(err, NumSuccess);
  EXPECT_EQ(num_chkvar(prog, 4, &err), 0);
  EXPECT_EQ(err, NumNoVariable);
  EXPECT_EQ(num_chkvar(prog, 0, &err), 0);
  EXPECT_EQ(err, NumNoVariable);
  EXPECT_EQ(num_chkvar(nullptr, 1, &err), 0);
  EXPECT_EQ(err, NumProgramError);

  // A name that continues after the variable leaves the rest as tail.
  ASSERT_NE(num_str2prog("q", "_xz", &tail, &err, 2, "x", "xy"), nullptr);
  EXPECT_STREQ(tail, "z");
  // "_" binds a unit; "_x" inside a unit product reads the constant table.
  EXPECT_EQ(num_str2prog("r", "2_x", &tail, &err, 1, "x"), nullptr);
  EXPECT_EQ(err, NumNoFloatNumber);
  EXPECT_EQ(num_str2prog("r", "_y", &tail, &err, 1, "x"), nullptr);
  EXPECT_EQ(err, NumNoVariable);
}

TEST_F(Numio, FailedCompilationLeavesNoProgram) {
  const struct {
    const char *text;
    std::vector<const char *> names;
    int err;
  } rows[] = {
      {"1/0+_x", {"x"}, NumDivByZero},      {"log(-1)*_x", {"x"}, NumDomainError},
      {"(_x", {"x"}, NumBadParenthesis},    {"_x", {"1x"}, NumVariableError},
      {"_x", {"x", "x"}, NumVariableError}, {"_x", {"x-y"}, NumVariableError},
  };
  for (const auto &row : rows) {
    int err = -1;
    // An older program of the same name is replaced, even by a failure.
    ASSERT_NE(num_str2prog("p", "1", nullptr, &err, 0), nullptr);
    NumProg *prog = row.names.size() == 1
                        ? num_str2prog("p", row.text, nullptr, &err, 1, row.names[0])
                        : num_str2prog("p", row.text, nullptr, &err, 2, row.names[0], row.names[1]);
    EXPECT_EQ(prog, nullptr) << row.text;
    EXPECT_EQ(err, row.err) << row.text;
    EXPECT_EQ(num_searchprog("p", &err), nullptr) << row.text;
  }
  int err = -1;
  EXPECT_EQ(num_str2prog("p", "_x", nullptr, &err, 2, "x"), nullptr);
  EXPECT_EQ(err, NumVariableError);
  EXPECT_EQ(num_str2prog(nullptr, "1", nullptr, &err, 0), nullptr);
  EXPECT_EQ(err, NumProgramError);
  EXPECT_EQ(num_prog_size_all(), 0u);
}

TEST_F(Numio, Registry) {
  int err = -1;
  NumProg *b = num_str2prog("b", "1", nullptr, &err, 0);
  num_str2prog("a", "2", nullptr, &err, 0);
  NumProg *c = num_str2prog("c", "3", nullptr, &err, 0);
  NumProg *b2 = num_str2prog("b", "4", nullptr, &err, 0);
  ASSERT_NE(b2, nullptr);
  EXPECT_EQ(num_searchprog("b", &err), b2);
  (void)b; // replaced: must not be used any more
  EXPECT_EQ(num_runprog(b2, &err), 4);

  // Listed in descending name order, one program per name.
  const std::string all =
      test_support::capture_stdout([] { num_prog_print_list(stdout, nullptr, 1, false); });
  EXPECT_EQ(all, " Program             = 'c'\n Program             = 'b'\n"
                 " Program             = 'a'\n");
  EXPECT_EQ(num_prog_size_all(),
            num_prog_size(c) + num_prog_size(b2) + num_prog_size(num_searchprog("a", &err)));

  num_rmprog(c, &err);
  EXPECT_EQ(err, NumSuccess);
  EXPECT_EQ(num_searchprog("c", &err), nullptr);
  num_rmprog(c, &err);
  EXPECT_EQ(err, NumProgramError);
  NumProg loose;
  num_rmprog(&loose, &err);
  EXPECT_EQ(err, NumProgramError);

  // Evaluating never disturbs a registered program of the evaluator's name.
  NumProg *user = num_str2prog("str2double", "_x", nullptr, &err, 1, "x");
  EXPECT_EQ(num_str2double("(double)(long int)2.5*2", nullptr, &err), 4);
  EXPECT_EQ(num_searchprog("str2double", &err), user);
  EXPECT_EQ(num_runprog(user, &err, 9), 9);
}

TEST_F(Numio, CountsAndSize) {
  int err = -1;
  NumProg *prog = num_str2prog("val", "_x*2+1", nullptr, &err, 1, "x");
  ASSERT_NE(prog, nullptr);
  EXPECT_EQ(num_prog_variables(prog), 1);
  EXPECT_EQ(num_prog_instructions(prog, 0), 5);
  EXPECT_EQ(num_prog_instructions(prog, 2), 5);
  const long accumulators = num_prog_accumulators(prog);
  EXPECT_GE(accumulators, 2);
  // Runs reuse the accumulators they have.
  for (int i = 0; i < 10; ++i)
    num_runprog(prog, &err, i);
  EXPECT_EQ(num_prog_accumulators(prog), accumulators);
  EXPECT_EQ(num_prog_size(prog), sizeof(NumProg) + 4 + sizeof(NumVar) + 2 +
                                     accumulators * sizeof(NumAccu) + 5 * sizeof(NumInstr));
  EXPECT_EQ(num_prog_size(nullptr), 0u);
}

TEST_F(Numio, Listing) {
  int err = -1;
  NumProg *prog = num_str2prog("val", "_x*2+1", nullptr, &err, 1, "x");
  ASSERT_NE(prog, nullptr);
  num_runprog(prog, &err, 3.0);
  char addr[64];
  std::snprintf(addr, sizeof addr, "%p", static_cast<void *>(&prog->VariableList[0]->Value));
  char pushaddr[64];
  std::snprintf(pushaddr, sizeof pushaddr, "  %10s *%10p\n", "PUSHADDR",
                static_cast<void *>(&prog->VariableList[0]->Value));
  std::string expected = " Program             = 'val'\n"
                         "  'x' = 3 = *" +
                         std::string(addr) +
                         "\n"
                         "  InstructionList\n" +
                         pushaddr +
                         "     PUSHVAL           2\n"
                         "         MUL             (2 args)\n"
                         "     PUSHVAL           1\n"
                         "         ADD             (2 args)\n";
  for (const NumAccu &acc : prog->AccumulatorList) {
    expected += "  Accumulator #" + std::to_string(acc.Number) + " =";
    char value[32];
    std::snprintf(value, sizeof value, " %g\n", acc.Value);
    expected += value;
  }
  EXPECT_EQ(test_support::capture_stdout([&] { num_prog_print_list(stdout, prog, 2, false); }),
            expected);
  EXPECT_EQ(prog->AccumulatorList[0].Value, 7);

  const std::string verbose =
      test_support::capture_stdout([&] { num_prog_print_list(stdout, prog, 2, true); });
  EXPECT_NE(verbose.find("(no previous program)"), std::string::npos);
  EXPECT_NE(verbose.find("(no next variable)"), std::string::npos);
  EXPECT_NE(verbose.find("- - -"), std::string::npos);

  // Debug level 3 lists the program after every run.
  numio_debug(3);
  const std::string traced = test_support::capture_stdout([&] { num_runprog(prog, &err, 3.0); });
  EXPECT_EQ(traced, expected);
}

TEST_F(Numio, StackMachineFaults) {
  NumProg *prog = numprog_new("m");
  ASSERT_NE(prog, nullptr);
  int err = -1;
  EXPECT_EQ(dpprogram_run(prog, &err), 0);
  EXPECT_EQ(err, NumNoInstruction);
  dpprogram_compile(prog, &err);
  EXPECT_EQ(err, NumNoInstruction);

  // An operation short of operands; the listing goes to standard error.
  numprog_append_instruction(prog, 0, NUM_PUSHVAL, 0, 2, nullptr, nullptr);
  numprog_append_instruction(prog, 0, NUM_ADD, 2, 0, nullptr, nullptr);
  std::string listing =
      test_support::capture_stderr([&] { EXPECT_EQ(num_runprog(prog, &err), 0); });
  EXPECT_EQ(err, NumNoAccumulator);
  EXPECT_NE(listing.find(" Program             = 'm'\n"), std::string::npos);
  EXPECT_NE(listing.find("         ADD             (2 args)\n"), std::string::npos);

  // Unknown commands, including one with a wrong argument count.
  for (int command : {int{NUM_INVALID}, int{NUM_COMMANDS}, -7}) {
    numprog_free_instruction_list(prog, 0);
    numprog_append_instruction(prog, 0, NUM_PUSHVAL, 0, 2, nullptr, nullptr);
    numprog_append_instruction(prog, 0, command, 5, 0, nullptr, nullptr);
    listing = test_support::capture_stderr([&] { num_runprog(prog, &err); });
    EXPECT_EQ(err, NumNoInstruction) << command;
    EXPECT_NE(listing.find("Invalid"), std::string::npos);
  }

  // A domain error leaves the operand in its accumulator.
  numprog_free_instruction_list(prog, 0);
  numprog_append_instruction(prog, 0, NUM_PUSHVAL, 0, -4, nullptr, nullptr);
  numprog_append_instruction(prog, 0, NUM_SQRT, 1, 0, nullptr, nullptr);
  EXPECT_EQ(dpprogram_run(prog, &err), 0);
  EXPECT_EQ(err, NumDomainError);
  EXPECT_EQ(prog->AccumulatorList[0].Value, -4);

  // Push and pop by hand: accumulators stay and are numbered by depth.
  prog->CurrentAccumulator = 0;
  EXPECT_EQ(numprog_up_accumulator(prog, 1)->Number, 1);
  EXPECT_EQ(numprog_up_accumulator(prog, 2)->Number, 2);
  EXPECT_EQ(numprog_down_accumulator(prog)->Value, 1);
  EXPECT_EQ(numprog_down_accumulator(prog), nullptr);
  EXPECT_EQ(numprog_down_accumulator(prog), nullptr);
  EXPECT_EQ(num_prog_accumulators(prog), 2);

  dpprogram_step(nullptr, nullptr, &err);
  EXPECT_EQ(err, NumProgramError);
  dpprogram_step(prog, nullptr, &err);
  EXPECT_EQ(err, NumNoInstruction);
  EXPECT_EQ(dpprogram_run(nullptr, &err), 0);
  EXPECT_EQ(err, NumProgramError);
}

TEST_F(Numio, VariableNames) {
  const struct {
    const char *name;
    bool ok;
  } rows[] = {{"x", true},   {"i1val", true}, {"Ab9", true},  {"", true},
              {"1x", false}, {"x_y", false},  {"x y", false}, {nullptr, false}};
  for (const auto &row : rows) {
    EXPECT_EQ(numprog_checkvar(row.name), row.ok) << (row.name ? row.name : "(none)");
  }
  NumProg *prog = numprog_new("v");
  NumVar *var = nullptr;
  EXPECT_EQ(numprog_append_variable(prog, "ab", 2.5, &var), NumSuccess);
  EXPECT_EQ(numprog_search_variable(prog, "ab", &var, 0), 0);
  EXPECT_EQ(var->Value, 2.5);
  EXPECT_EQ(numprog_search_variable(prog, "abc", &var, 0), -1);
  EXPECT_EQ(numprog_search_variable(prog, "abc", &var, 1), 0);
  EXPECT_EQ(numprog_append_variable(prog, "ab", 1, &var), NumVariableError);
}

} // namespace
