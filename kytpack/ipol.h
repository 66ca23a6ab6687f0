// Interpolation and area integration over float images.
//
// Images are Dim_1 x Dim_2 float arrays stored row after row; pixel (i_1, i_2)
// is element i_1 + i_2 * Dim_1, has its centre at (i_1, i_2) and covers half a
// pixel to either side. Invalid pixels (dummies) are skipped, partly covered
// pixels are weighted by their covered fraction, and every routine reports a
// count of contributing terms: 0 means "no result", and the caller then treats
// the output pixel as a dummy. The routines never print and never stop the
// program; bad arguments (null arrays, empty images, NaN or far-away positions)
// give a count of 0.
#pragma once

// Interpolation modes.
inline constexpr int IPOL_NORMAL = 1;
inline constexpr int IPOL_ANTIALIASED = 2;
// Variance weighting methods.
inline constexpr int IPOL_EQUAL = 4;
inline constexpr int IPOL_WEIGHTED = 8;

// Smallest tolerance of a dummy value; dummies of smaller magnitude are off.
inline constexpr float MinDDummy = 0.1f;
// Relative tolerance of a dummy value (see DDSET).
inline constexpr float AccDummy = 1e-5f;
// Marks an unknown variance or variance sum.
inline constexpr float VarDummy = -1.0f;
// A fractional position below this counts as exactly on a pixel centre.
inline constexpr float IPOLEPS = 1e-4f;

namespace ipol_detail {
// |v| without <cmath>, usable in constant expressions; NaN stays NaN.
constexpr float abs_value(float v) {
  return v < 0.0f ? -v : v;
}
// The larger of a and b; a NaN `a` gives b.
constexpr float larger(float a, float b) {
  return a > b ? a : b;
}
} // namespace ipol_detail

// Default tolerance for dummy value D: max(MinDDummy, |D| * AccDummy).
constexpr float DDSET(float D) {
  return ipol_detail::larger(ipol_detail::abs_value(D) * AccDummy, MinDDummy);
}

// True when dummies are in use at all: |D| > max(DD, MinDDummy).
constexpr bool DUMMYDEFINED(float D, float DD) {
  return ipol_detail::abs_value(D) > ipol_detail::larger(DD, MinDDummy);
}

// True when V is a dummy: within DD of D while dummies are in use.
constexpr bool DUMMY(float V, float D, float DD) {
  return ipol_detail::abs_value(V - D) <= DD && DUMMYDEFINED(D, DD);
}

// True when V is a valid value: farther than DD from D, or dummies not in use.
// A NaN V is neither DUMMY nor NODUMMY while dummies are in use, so the area
// sums skip it then.
constexpr bool NODUMMY(float V, float D, float DD) {
  return ipol_detail::abs_value(V - D) > DD || !DUMMYDEFINED(D, DD);
}

// Accumulates V into a cell that may still hold the dummy: a dummy cell takes
// V, any other cell adds V.
constexpr void UPDATE(float &DE, float V, float D, float DD) {
  if (DUMMY(DE, D, DD))
    DE = V;
  else
    DE = DE + V;
}

// Sets the interpolation mode when `mode` is IPOL_NORMAL or IPOL_ANTIALIASED;
// any other value only queries. Returns the mode in force.
int Ipolmode(int mode);
// "normal", "antialiased", otherwise "undefined".
const char *Ipolmode2str(int mode);

// Sets the variance weighting when `method` is IPOL_EQUAL or IPOL_WEIGHTED;
// any other value only queries. Returns the weighting in force.
int Ipolweight(int method);
// "equal", "weighted", otherwise "undefined".
const char *Ipolweight2str(int method);

// Sets the minimum valid fraction when `minimum` >= 0; a negative value (or
// NaN) only queries. Returns the fraction in force.
float Ipolmin(float minimum);

// Restores the start-up settings (normal, equal, 0.5). For tests.
void ipol_reset();

// Bilinear interpolation at (f_1, f_2) over the valid neighbours: writes the
// unnormalised weighted sum and the sum of weights and returns the number of
// neighbours used, or 0 when the weight is below the minimum valid fraction.
int Ipol2ldw(float *Data, int Dim_1, int Dim_2, float Dummy, float DDummy, float f_1, float f_2,
             float *sum, float *weight);

// Interpolated value at (f_1, f_2): sum / weight of Ipol2ldw when its count is
// not 0; with a count of 0 *value holds the raw sum and is not to be used.
int Ipol2ld(float *Data, int Dim_1, int Dim_2, float Dummy, float DDummy, float f_1, float f_2,
            float *value);
// Same as Ipol2ld.
int Ipol2d(float *Data, int Dim_1, int Dim_2, float Dummy, float DDummy, float f_1, float f_2,
           float *value);

// Bilinear interpolation without dummies. Neighbours outside the array are
// skipped and the rest renormalised; with none inside *value is left as is.
void Ipol2(float *Data, int Dim_1, int Dim_2, float f_1, float f_2, float *value);

// Integral over the rectangle from (f1_1, f1_2) to (f3_1, f3_2): writes the
// covered-fraction weighted sum of valid pixels and the valid area, both
// signed by the orientation of the rectangle, and returns the number of terms,
// or 0 when the valid area is below the minimum fraction of the requested one.
int Isum2ldw(float *Data, int Dim_1, int Dim_2, float Dummy, float DDummy, float f1_1, float f1_2,
             float f3_1, float f3_2, float *sum, float *weight);

// Isum2ldw with variance propagation, by the weighting in force: equal
// (Isum2ldwEe) or inverse-variance (Isum2ldwEw). With any other weighting it
// returns 0 and leaves the outputs untouched. VarDat may be null.
int Isum2ldwE(float *Data, float *VarDat, int Dim_1, int Dim_2, float Dummy, float DDummy,
              float f1_1, float f1_2, float f3_1, float f3_2, float *sum, float *weight,
              float *varsum, float *varweight);

// Area integral with equal weighting; *varsum is the covered-fraction
// weighted sum of variances, or VarDummy when a used pixel has none.
int Isum2ldwEe(float *Data, float *VarDat, int Dim_1, int Dim_2, float Dummy, float DDummy,
               float f1_1, float f1_2, float f3_1, float f3_2, float *sum, float *weight,
               float *varsum, float *varweight);

// Area integral weighted by inverse variances; pixels of variance 0, when
// present, take precedence, and pixels of unknown variance are left out.
int Isum2ldwEw(float *Data, float *VarDat, int Dim_1, int Dim_2, float Dummy, float DDummy,
               float f1_1, float f1_2, float f3_1, float f3_2, float *sum, float *weight,
               float *varsum, float *varweight);

// Rebins by Bin_1 x Bin_2 blocks (incomplete blocks at the high ends are
// dropped), summing or averaging the valid values; a block without valid
// value gives Dummy. DataOut may equal Data. The output dimensions are written
// where pointers are given.
void IpolRebin2(float *Data, int Dim_1, int Dim_2, float *DataOut, int *pOutDim_1, int *pOutDim_2,
                float Dummy, float DDummy, int Bin_1, int Bin_2, int Average);
