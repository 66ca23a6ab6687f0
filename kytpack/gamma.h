// The gamma function and its logarithm, computed with the module's own
// recurrence, polynomial and Stirling series in double precision.
#pragma once

// Gamma(x). Arguments within 1e-30 of a pole (0 and the negative integers)
// give the largest double, 1.7976931348623157e308.
double gamma_function(double x);

// ln Gamma(x) by the same recurrence as sums of logarithms. Any x below
// 1e-30, negative values included, gives the largest double.
double loggamma(double x);

// ln Gamma(x) by the Stirling series alone, meant for x >= 20; returns 1 for
// x <= 2.
double _loggamma(double x);
