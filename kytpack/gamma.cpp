// The gamma function: recurrence towards [2, 3), a polynomial fit there, and
// the Stirling series for large arguments.
#include "gamma.h"

#include <cfloat>
#include <cmath>

namespace {

constexpr double largest = DBL_MAX;
constexpr double two_pi = 6.283185307179586;
constexpr double near_two = 1e-6;
constexpr double near_zero = 1e-30;

// Polynomial fit of Gamma(2 + t) for t in [0, 1).
double poly(double t) {
  return ((((((0.0016063118 * t + 0.0051589951) * t + 0.00445114) * t + 0.0721101567) * t +
            0.0821117404) *
               t +
           0.4117741955) *
              t +
          0.4227874605) *
             t +
         0.9999999758;
}

// The sign that r = 0 takes after the remaining divisions by x, x+1, ... up
// to 2: one flip per negative divisor. Only called for non-integral x.
double zero_after_divisions(double r, double x) {
  if (x >= 0) return r;
  const double negatives = std::ceil(-x);
  return std::fmod(negatives, 2.0) == 0.0 ? r : -r;
}

} // namespace

double _loggamma(double x) {
  if (x <= 2) return 1;
  const double z = x - 1;
  const double z2 = z * z;
  const double z3 = z2 * z;
  const double z5 = z3 * z2;
  const double z7 = z5 * z2;
  return (z + 0.5) * std::log(z) - z + 0.5 * std::log(two_pi) + 1 / (12 * z) - 1 / (360 * z3) +
         1 / (1260 * z5) - 1 / (1680 * z7);
}

double gamma_function(double x) {
  double r = 1;
  while (std::fabs(x - 2) >= near_two) {
    if (std::fabs(x) < near_zero) return largest;
    if (x < 2) {
      // The upward recurrence would take -x steps; a pole (a non-positive
      // integer, also any x beyond 2^53) ends at 0, and once r has underflowed
      // it stays zero. Both are decided here so that no argument loops long.
      if (x <= 0 && std::floor(x) == x) return largest;
      if (r == 0) return zero_after_divisions(r, x);
      r /= x;
      x += 1;
    } else if (x >= 20) {
      return r * std::exp(_loggamma(x));
    } else if (x < 3) {
      return r * poly(x - 2);
    } else {
      x -= 1;
      r *= x;
    }
  }
  return r;
}

double loggamma(double x) {
  double r = 0;
  while (std::fabs(x - 2) >= near_two) {
    if (x < near_zero) return largest;
    if (x < 2) {
      r -= std::log(x);
      x += 1;
    } else if (x >= 20) {
      return r + _loggamma(x);
    } else if (x < 3) {
      return r + std::log(poly(x - 2));
    } else {
      x -= 1;
      r += std::log(x);
    }
  }
  return r;
}
