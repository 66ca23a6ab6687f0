#include "ipol.h"

#include <climits>
#include <cmath>
#include <cstddef>

namespace {

constexpr int default_mode = IPOL_NORMAL;
constexpr int default_weight = IPOL_EQUAL;
constexpr float default_min = 0.5f;

// A weight below this is no result, whatever the minimum valid fraction.
constexpr float weight_floor = 1e-32f;

struct IpolSettings {
  int mode = default_mode;
  int weight = default_weight;
  float min = default_min;
};

IpolSettings settings;

// The dummy test with DUMMYDEFINED taken out of the per-pixel loop; valid()
// agrees with NODUMMY for every value.
struct DummyRule {
  float dummy;
  float ddummy;
  bool defined;
  DummyRule(float Dummy, float DDummy)
      : dummy(Dummy), ddummy(DDummy), defined(DUMMYDEFINED(Dummy, DDummy)) {}
  bool valid(float v) const { return !defined || std::fabs(v - dummy) > ddummy; }
};

// Counts are kept wide inside and saturated on return, so that huge images
// cannot overflow the int result.
int count_result(long count) {
  return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

// Position on one axis for bilinear interpolation: the lower neighbour and the
// fraction towards the upper one. False when no neighbour can lie inside
// 0..dim-1 (also for NaN), checked before the floor is converted to int.
bool ipol_axis(float f, int dim, int &i, float &r) {
  if (!(f >= -1.0f) || !(static_cast<double>(f) < static_cast<double>(dim))) return false;
  const float fl = std::floor(f);
  i = static_cast<int>(fl);
  r = f - fl;
  return true;
}

// Bilinear weights of the up to four neighbours P1 (i_1, i_2), P2 (i_1 + 1,
// i_2), P3 (i_1, i_2 + 1), P4 (i_1 + 1, i_2 + 1), in that order; neighbours
// whose fraction is below IPOLEPS are left out. Calls term(i_1, i_2, w).
template <class Term> void bilinear_terms(int i_1, int i_2, float r_1, float r_2, Term &&term) {
  const bool on_1 = r_1 < IPOLEPS;
  const bool on_2 = r_2 < IPOLEPS;
  if (on_1 && on_2) {
    term(i_1, i_2, 1.0f);
  } else if (on_1) {
    term(i_1, i_2, 1.0f - r_2);
    term(i_1, i_2 + 1, r_2);
  } else if (on_2) {
    term(i_1, i_2, 1.0f - r_1);
    term(i_1 + 1, i_2, r_1);
  } else {
    term(i_1, i_2, (1.0f - r_1) * (1.0f - r_2));
    term(i_1 + 1, i_2, r_1 * (1.0f - r_2));
    term(i_1, i_2 + 1, (1.0f - r_1) * r_2);
    term(i_1 + 1, i_2 + 1, r_1 * r_2);
  }
}

// A rectangle with f1 <= f3 on both axes (NaN aside) and the sign s of its
// requested orientation.
struct Rect {
  float f1_1, f1_2, f3_1, f3_2;
  float Df_1, Df_2;
  float s;
};

// Puts the borders of each axis in increasing order; each exchange negates s.
Rect orient(float f1_1, float f1_2, float f3_1, float f3_2, float Df_1, float Df_2) {
  Rect r{f1_1, f1_2, f3_1, f3_2, Df_1, Df_2, 1.0f};
  if (r.Df_1 < 0.0f) {
    r.f1_1 = f3_1;
    r.f3_1 = f1_1;
    r.Df_1 = -r.Df_1;
    r.s = -r.s;
  }
  if (r.Df_2 < 0.0f) {
    r.f1_2 = f3_2;
    r.f3_2 = f1_2;
    r.Df_2 = -r.Df_2;
    r.s = -r.s;
  }
  return r;
}

// Antialiased mode: an axis no longer than one pixel is widened to one pixel
// around its centre. Returns the widened area DfA_1 * DfA_2.
float widen(Rect &r) {
  float DfA_1 = r.Df_1;
  float DfA_2 = r.Df_2;
  if (r.Df_1 <= 1.0f) {
    const float centre = (r.f1_1 + r.f3_1) / 2.0f;
    r.f1_1 = centre - 0.5f;
    r.f3_1 = centre + 0.5f;
    DfA_1 = 1.0f;
  }
  if (r.Df_2 <= 1.0f) {
    const float centre = (r.f1_2 + r.f3_2) / 2.0f;
    r.f1_2 = centre - 0.5f;
    r.f3_2 = centre + 0.5f;
    DfA_2 = 1.0f;
  }
  return DfA_1 * DfA_2;
}

// Pixels covered on one axis: first pixel i1 with weight w1, end i3 (one past
// the last pixel) with the end correction w3 (between -1 and 0).
struct Span {
  int i1;
  float w1;
  int i3;
  float w3;
};

// Clamps the borders f1 <= f3 (already shifted so that pixel k spans k to
// k + 1) to 0..dim. False when nothing is covered, also for NaN borders;
// every float is range-checked before it is converted to int.
bool axis_span(float f1, float f3, int dim, Span &a) {
  if (std::isnan(f1) || std::isnan(f3)) return false;
  const double d = dim;
  if (f1 < 0.0f) {
    a.i1 = 0;
    a.w1 = 1.0f;
  } else {
    if (static_cast<double>(f1) >= d) return false;
    const float fl = std::floor(f1);
    a.i1 = static_cast<int>(fl);
    a.w1 = 1.0f - (f1 - fl);
  }
  if (static_cast<double>(f3) > d) {
    a.i3 = dim;
    a.w3 = 0.0f;
  } else {
    // ceil(f3) <= 0 either lies left of the image or equals i1 = 0.
    if (!(f3 > 0.0f)) return false;
    const float cl = std::ceil(f3);
    a.i3 = static_cast<int>(cl);
    a.w3 = f3 - cl;
  }
  return a.i3 != a.i1;
}

// Visits every term of the area sum in sweep order: first row, middle rows,
// last row again with its end correction; within a row first column, middle
// columns, last column again. Calls term(index, wx * wy).
template <class Term> void sweep(int Dim_1, const Span &x, const Span &y, Term &&term) {
  auto row_pass = [&](int row, float wy) {
    const std::ptrdiff_t base = static_cast<std::ptrdiff_t>(row) * Dim_1;
    term(base + x.i1, x.w1 * wy);
    for (int c = x.i1 + 1; c < x.i3; ++c)
      term(base + c, wy);
    term(base + x.i3 - 1, x.w3 * wy);
  };
  row_pass(y.i1, y.w1);
  for (int row = y.i1 + 1; row < y.i3; ++row)
    row_pass(row, 1.0f);
  row_pass(y.i3 - 1, y.w3);
}

// The validity rule of the area sums; a NaN weight is no result either.
bool enough_area(float weight, float A) {
  const float w = std::fabs(weight);
  return w >= weight_floor && !(w < settings.min * std::fabs(A));
}

// Everything the variance forms share before the sweep: the oriented (and in
// antialiased mode widened) rectangle, the factors s and v, and the spans.
struct Prepared {
  float A;
  float s;
  float v;
  Span x, y;
};

// Resets the outputs as for "no result" and prepares the sweep. False when
// there is nothing to sweep; the outputs then stay at their reset values.
bool prepare_variance_sum(float *Data, int Dim_1, int Dim_2, float f1_1, float f1_2, float f3_1,
                          float f3_2, float *sum, float *weight, float *varsum, float *varweight,
                          Prepared &p) {
  const float Df_1 = f3_1 - f1_1;
  const float Df_2 = f3_2 - f1_2;
  p.A = Df_1 * Df_2;
  Rect r = orient(f1_1, f1_2, f3_1, f3_2, Df_1, Df_2);
  *sum = 0.0f;
  *weight = 0.0f;
  *varweight = 0.0f;
  *varsum = VarDummy;
  if (!Data || Dim_1 <= 0 || Dim_2 <= 0) return false;
  p.s = r.s;
  p.v = 1.0f;
  if (settings.mode == IPOL_ANTIALIASED) {
    const float DfA = widen(r);
    if (DfA == 0.0f) return false;
    p.s = p.s * p.A / DfA;
    p.v = std::fabs(p.A) / DfA;
  }
  if (!axis_span(r.f1_1 + 0.5f, r.f3_1 + 0.5f, Dim_1, p.x)) return false;
  if (!axis_span(r.f1_2 + 0.5f, r.f3_2 + 0.5f, Dim_2, p.y)) return false;
  *varsum = 0.0f;
  return true;
}

// Applies s and v, the unknown-variance rule and the validity rule, and writes
// the outputs of a variance form.
int finish_variance_sum(const Prepared &p, long count, long varcount, float sum, float weight,
                        float varsum, float *psum, float *pweight, float *pvarsum,
                        float *pvarweight) {
  sum *= p.s;
  weight *= p.s;
  varsum = varcount != count ? VarDummy : varsum * p.v;
  *psum = sum;
  *pweight = weight;
  *pvarsum = varsum;
  *pvarweight = std::fabs(weight);
  return enough_area(weight, p.A) ? count_result(count) : 0;
}

} // namespace

int Ipolmode(int mode) {
  if (mode == IPOL_NORMAL || mode == IPOL_ANTIALIASED) settings.mode = mode;
  return settings.mode;
}

const char *Ipolmode2str(int mode) {
  switch (mode) {
  case IPOL_NORMAL:
    return "normal";
  case IPOL_ANTIALIASED:
    return "antialiased";
  default:
    return "undefined";
  }
}

int Ipolweight(int method) {
  if (method == IPOL_EQUAL || method == IPOL_WEIGHTED) settings.weight = method;
  return settings.weight;
}

const char *Ipolweight2str(int method) {
  switch (method) {
  case IPOL_EQUAL:
    return "equal";
  case IPOL_WEIGHTED:
    return "weighted";
  default:
    return "undefined";
  }
}

float Ipolmin(float minimum) {
  // NaN fails the comparison and only queries, like a negative value.
  if (minimum >= 0.0f) settings.min = minimum;
  return settings.min;
}

void ipol_reset() {
  settings = IpolSettings{};
}

int Ipol2ldw(float *Data, int Dim_1, int Dim_2, float Dummy, float DDummy, float f_1, float f_2,
             float *sum, float *weight) {
  if (!sum || !weight) return 0;
  *sum = 0.0f;
  *weight = 0.0f;
  if (!Data || Dim_1 <= 0 || Dim_2 <= 0) return 0;
  int i_1 = 0, i_2 = 0;
  float r_1 = 0.0f, r_2 = 0.0f;
  if (!ipol_axis(f_1, Dim_1, i_1, r_1) || !ipol_axis(f_2, Dim_2, i_2, r_2)) return 0;

  const DummyRule rule(Dummy, DDummy);
  int count = 0;
  float s = 0.0f, w = 0.0f;
  bilinear_terms(i_1, i_2, r_1, r_2, [&](int j_1, int j_2, float wt) {
    if (j_1 < 0 || j_1 >= Dim_1 || j_2 < 0 || j_2 >= Dim_2) return;
    const float v = Data[j_1 + static_cast<std::ptrdiff_t>(j_2) * Dim_1];
    if (!rule.valid(v)) return;
    ++count;
    w += wt;
    s += wt * v;
  });
  *sum = s;
  *weight = w;
  if (settings.min > std::fabs(w)) count = 0;
  return count;
}

int Ipol2ld(float *Data, int Dim_1, int Dim_2, float Dummy, float DDummy, float f_1, float f_2,
            float *value) {
  if (!value) return 0;
  float sum = 0.0f, weight = 0.0f;
  const int count = Ipol2ldw(Data, Dim_1, Dim_2, Dummy, DDummy, f_1, f_2, &sum, &weight);
  *value = count ? sum / weight : sum;
  return count;
}

int Ipol2d(float *Data, int Dim_1, int Dim_2, float Dummy, float DDummy, float f_1, float f_2,
           float *value) {
  return Ipol2ld(Data, Dim_1, Dim_2, Dummy, DDummy, f_1, f_2, value);
}

void Ipol2(float *Data, int Dim_1, int Dim_2, float f_1, float f_2, float *value) {
  if (!Data || !value || Dim_1 <= 0 || Dim_2 <= 0) return;
  int i_1 = 0, i_2 = 0;
  float r_1 = 0.0f, r_2 = 0.0f;
  if (!ipol_axis(f_1, Dim_1, i_1, r_1) || !ipol_axis(f_2, Dim_2, i_2, r_2)) return;
  int used = 0;
  float s = 0.0f, w = 0.0f;
  bilinear_terms(i_1, i_2, r_1, r_2, [&](int j_1, int j_2, float wt) {
    if (j_1 < 0 || j_1 >= Dim_1 || j_2 < 0 || j_2 >= Dim_2) return;
    ++used;
    w += wt;
    s += wt * Data[j_1 + static_cast<std::ptrdiff_t>(j_2) * Dim_1];
  });
  if (used) *value = s / w;
}

int Isum2ldw(float *Data, int Dim_1, int Dim_2, float Dummy, float DDummy, float f1_1, float f1_2,
             float f3_1, float f3_2, float *sum, float *weight) {
  if (!sum || !weight) return 0;
  const float Df_1 = f3_1 - f1_1;
  const float Df_2 = f3_2 - f1_2;
  const float A = Df_1 * Df_2;
  // A unit square is the bilinear interpolation at its centre.
  if (Df_1 == 1.0f && Df_2 == 1.0f)
    return Ipol2ldw(Data, Dim_1, Dim_2, Dummy, DDummy, f1_1 + 0.5f, f1_2 + 0.5f, sum, weight);

  Rect r = orient(f1_1, f1_2, f3_1, f3_2, Df_1, Df_2);
  *sum = 0.0f;
  *weight = 0.0f;
  if (!Data || Dim_1 <= 0 || Dim_2 <= 0) return 0;
  float s = r.s;
  if (settings.mode == IPOL_ANTIALIASED) {
    const float DfA = widen(r);
    if (DfA == 0.0f) return 0;
    s = s * A / DfA;
  }
  Span x{}, y{};
  if (!axis_span(r.f1_1 + 0.5f, r.f3_1 + 0.5f, Dim_1, x)) return 0;
  if (!axis_span(r.f1_2 + 0.5f, r.f3_2 + 0.5f, Dim_2, y)) return 0;

  const DummyRule rule(Dummy, DDummy);
  long count = 0;
  float ssum = 0.0f, wsum = 0.0f;
  sweep(Dim_1, x, y, [&](std::ptrdiff_t index, float w) {
    const float v = Data[index];
    if (!rule.valid(v)) return;
    ++count;
    wsum += w;
    ssum += w * v;
  });
  ssum *= s;
  wsum *= s;
  *sum = ssum;
  *weight = wsum;
  return enough_area(wsum, A) ? count_result(count) : 0;
}

int Isum2ldwE(float *Data, float *VarDat, int Dim_1, int Dim_2, float Dummy, float DDummy,
              float f1_1, float f1_2, float f3_1, float f3_2, float *sum, float *weight,
              float *varsum, float *varweight) {
  switch (settings.weight) {
  case IPOL_EQUAL:
    return Isum2ldwEe(Data, VarDat, Dim_1, Dim_2, Dummy, DDummy, f1_1, f1_2, f3_1, f3_2, sum,
                      weight, varsum, varweight);
  case IPOL_WEIGHTED:
    return Isum2ldwEw(Data, VarDat, Dim_1, Dim_2, Dummy, DDummy, f1_1, f1_2, f3_1, f3_2, sum,
                      weight, varsum, varweight);
  default:
    return 0;
  }
}

int Isum2ldwEe(float *Data, float *VarDat, int Dim_1, int Dim_2, float Dummy, float DDummy,
               float f1_1, float f1_2, float f3_1, float f3_2, float *sum, float *weight,
               float *varsum, float *varweight) {
  if (!sum || !weight || !varsum || !varweight) return 0;
  Prepared p{};
  if (!prepare_variance_sum(Data, Dim_1, Dim_2, f1_1, f1_2, f3_1, f3_2, sum, weight, varsum,
                            varweight, p))
    return 0;

  const DummyRule rule(Dummy, DDummy);
  long count = 0, varcount = 0;
  float ssum = 0.0f, wsum = 0.0f, vsum = 0.0f;
  sweep(Dim_1, p.x, p.y, [&](std::ptrdiff_t index, float w) {
    const float v = Data[index];
    if (!rule.valid(v)) return;
    ++count;
    wsum += w;
    ssum += w * v;
    const float var = VarDat ? VarDat[index] : VarDummy;
    if (var >= 0.0f) {
      vsum += w * var;
      ++varcount;
    }
  });
  return finish_variance_sum(p, count, varcount, ssum, wsum, vsum, sum, weight, varsum, varweight);
}

int Isum2ldwEw(float *Data, float *VarDat, int Dim_1, int Dim_2, float Dummy, float DDummy,
               float f1_1, float f1_2, float f3_1, float f3_2, float *sum, float *weight,
               float *varsum, float *varweight) {
  if (!sum || !weight || !varsum || !varweight) return 0;
  Prepared p{};
  if (!prepare_variance_sum(Data, Dim_1, Dim_2, f1_1, f1_2, f3_1, f3_2, sum, weight, varsum,
                            varweight, p))
    return 0;

  const DummyRule rule(Dummy, DDummy);
  // Terms of variance 0, which take precedence once one is seen.
  long count = 0, varcount = 0;
  float ssum = 0.0f, wsum = 0.0f;
  // Terms of positive variance, weighted by 1 / variance.
  long wcount = 0, wvarcount = 0;
  float weightv = 0.0f, sumv = 0.0f, suminvvar = 0.0f, varsumv = 0.0f;
  bool all_positive = true;
  sweep(Dim_1, p.x, p.y, [&](std::ptrdiff_t index, float w) {
    const float v = Data[index];
    if (!rule.valid(v)) return;
    const float var = VarDat ? VarDat[index] : VarDummy;
    if (var == 0.0f) {
      ++count;
      wsum += w;
      ssum += w * v;
      ++varcount;
      all_positive = false;
    } else if (var > 0.0f && all_positive) {
      const float iv = 1.0f / var;
      const float wd = w * iv;
      ++wcount;
      weightv += wd;
      sumv += wd * v;
      suminvvar += iv;
      varsumv += w;
      ++wvarcount;
    }
  });
  float vsum = 0.0f;
  // Without any weighted term there is no mean inverse variance to divide by:
  // the empty plain sums stand and the count stays 0.
  if (all_positive && wcount > 0) {
    const float mean = suminvvar / static_cast<float>(wcount);
    count = wcount;
    varcount = wvarcount;
    ssum = sumv / mean;
    wsum = weightv / mean;
    vsum = varsumv / mean;
  }
  return finish_variance_sum(p, count, varcount, ssum, wsum, vsum, sum, weight, varsum, varweight);
}

void IpolRebin2(float *Data, int Dim_1, int Dim_2, float *DataOut, int *pOutDim_1, int *pOutDim_2,
                float Dummy, float DDummy, int Bin_1, int Bin_2, int Average) {
  if (pOutDim_1) *pOutDim_1 = Dim_1;
  if (pOutDim_2) *pOutDim_2 = Dim_2;
  if (Bin_1 < 1) Bin_1 = 1;
  if (Bin_2 < 1) Bin_2 = 1;
  if (!(Bin_1 > 1 || Bin_2 > 1 || DataOut != Data) || !DataOut) return;
  if (!Data || Dim_1 <= 0 || Dim_2 <= 0) return;

  const DummyRule rule(Dummy, DDummy);
  const int out_1 = Dim_1 / Bin_1;
  const int out_2 = Dim_2 / Bin_2;
  float *out = DataOut;
  // Output pixel k is written after its block is read and no later block
  // starts before element k, so rebinning in place is safe.
  for (int b_2 = 0; b_2 < out_2; ++b_2) {
    const std::ptrdiff_t row0 = static_cast<std::ptrdiff_t>(b_2) * Bin_2;
    for (int b_1 = 0; b_1 < out_1; ++b_1) {
      const std::ptrdiff_t col0 = static_cast<std::ptrdiff_t>(b_1) * Bin_1;
      float sum = 0.0f;
      long n = 0;
      for (std::ptrdiff_t j_2 = row0; j_2 < row0 + Bin_2; ++j_2) {
        const float *row = Data + j_2 * Dim_1;
        for (std::ptrdiff_t j_1 = col0; j_1 < col0 + Bin_1; ++j_1) {
          const float v = row[j_1];
          if (rule.valid(v)) {
            sum += v;
            ++n;
          }
        }
      }
      *out++ = n == 0 ? Dummy : (Average ? sum / static_cast<float>(n) : sum);
    }
  }
  if (pOutDim_1) *pOutDim_1 = out_1;
  if (pOutDim_2) *pOutDim_2 = out_2;
}
