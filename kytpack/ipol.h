// Interpolation and area integration over float images.
//
// This header currently carries the process-wide interpolation settings; the
// interpolation and area-sum routines sit on top of them.
#pragma once

// Interpolation modes.
inline constexpr int IPOL_NORMAL = 1;
inline constexpr int IPOL_ANTIALIASED = 2;
// Variance weighting methods.
inline constexpr int IPOL_EQUAL = 4;
inline constexpr int IPOL_WEIGHTED = 8;

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
