// Raster orientation: how the axes of a stored n-dimensional array map onto
// the normal arrangement, as an order array or as one raster number.
//
// Order array: `order[0]` = N, the number of dimensions; `order[j]` = +k or -k
// (j = 1..N) says that stored axis j (axis 1 varies fastest in memory) becomes
// axis k of the normal arrangement, running backwards when negative. A valid
// order is a signed permutation of 1..N. Raster number 1 is the normal
// arrangement; a negative number is the inverse of the positive one. For two
// dimensions the numbers 1 to 8 are the eight image orientations; for N > 9
// only the first nine axes may move (axes 10..N stay in place).
//
// Dimension array: `data_dim[0]` = N, `data_dim[1..N]` the lengths of the axes
// of the normal arrangement.
//
// Buffer forms write into the caller's `buffer` of `nelem` elements and return
// it; a null buffer is a failure (no allocation). The overloads without a
// buffer return a new array, empty on failure. No routine throws, ends the
// process, or reads or writes outside the arrays described by its arguments.
// Orders and dimension arrays of more than `RASTER_MAX_AXES` axes are refused,
// so that a corrupted count never drives an allocation.
//
// Messages of failures go to standard error; with `raster_debug` on, the
// routines trace their BEGIN/END lines and arrays on standard output.
#pragma once

#include <cstddef>
#include <cstdio>
#include <vector>

// Highest number of dimensions whose arrangements are numbered.
inline constexpr long MAX_RASTER_NUMBER_DIMENSION = 9;
// Highest number of axes any routine accepts.
inline constexpr long RASTER_MAX_AXES = 1024;

// 2^n * n!, the number of arrangements of n axes, for 0 <= n <= 9; else 0.
long raster_numbers(long n);

// The order of raster number `raster_number` in n dimensions. None when the
// buffer is missing or too short (nelem <= n, "dimension mismatch" on
// standard error), n < 0, or the number is 0 or beyond raster_numbers(min(n, 9)).
long *raster_number2order(long *buffer, std::size_t nelem, long n, long raster_number);
std::vector<long> raster_number2order(long n, long raster_number);

// The raster number of `order`; 0 for no order or an invalid one (an axis
// missing or given twice, or axes above 9 out of place).
long raster_order2number(const long *order);

// The product y = a x: y[i] = x[a[i]], negated where a[i] < 0, and 0 where
// |a[i]| is 0 or exceeds x[0]. y has a[0] dimensions. None for missing orders,
// negative counts, x with fewer dimensions than a, or a buffer too short
// (nelem <= a[0]). `buffer` may be one of the operands.
long *raster_order_multiplication(long *buffer, std::size_t nelem, const long *a_order,
                                  const long *x_order);
std::vector<long> raster_order_multiplication(const long *a_order, const long *x_order);

// The product of two raster numbers, taken with 9-dimensional orders; 0 when
// either is not a raster number.
long raster_multiplication(long a, long x);

// The inverse order: p[|x[i]|] = sign(x[i]) * i; entries of magnitude 0 or
// above N leave their slot 0. None for a missing order or a buffer too short
// (nelem <= N). `buffer` may be `x_order` itself.
long *raster_order_inversion(long *buffer, std::size_t nelem, const long *x_order);
std::vector<long> raster_order_inversion(const long *x_order);

// The inverse raster number (9-dimensional orders); 0 when x is not one.
long raster_inversion(long x);

// +1 or -1, the determinant of the order's matrix; 0 for a missing or invalid
// order (a repeated axis makes the matrix singular).
long raster_order_determinante(const long *order);

// The dimension array of the normal arrangement: dest[0] = N and
// dest[|src_order[j]|] = src_dim[j]. Errors (none returned, buffer untouched):
// 1 missing array, 2 order shorter than src_dim, 3 allocation failure,
// 4 buffer missing or too short (nelem <= N), 5 an axis given twice, 6 an
// axis out of range (or N out of range).
long *raster_order_dimension(long *buffer, std::size_t nelem, const long *src_dim,
                             const long *src_order, int *perrval);

// Copy an array of `item`-byte elements stored in an arrangement into the
// normal arrangement with lengths `data_dim`. dest and src may be the same
// array or overlap (the source then goes through a temporary copy). Return 0,
// or -1 with an error value and nothing written to dest: 1 no dimensions or a
// length <= 0; 2 a raster number without order, or an order that is not a
// signed permutation of data_dim[0] axes; 3 out of memory; 4 item 0, too
// many axes, or a byte count beyond the address range; 5 a missing pointer.
int raster_normalization(void *dest, const void *src, const long *data_dim, long raster_number,
                         std::size_t item, int *perrval);
int raster_order_normalization(void *dest, const void *src, const long *data_dim, const long *order,
                               std::size_t item, int *perrval);

// Parse an arrangement of n axes: either one raster number, or n signed axes
// separated by white space and an optional comma, each an integer expression.
// Errors (none returned, *tail = str): 1 no memory for the order, 2 no memory
// for the work array, 3 an axis given twice, 4 a value 0 or beyond n that is
// no usable raster number, 5 the text ends early where the missing position's
// own axis is already used, 6 fewer than n entries, 7 text left after the last
// entry, 8 a raster number out of range for n (or n < 0), 9 buffer missing or
// too short, 1000 + e the integer reader's error e. On success *tail points to
// the end of the text.
long *raster_str2order(long *buffer, std::size_t nelem, long n, const char *str, const char **tail,
                       int *perrval);
// The raster number of the parsed arrangement, or 0 with the error value
// (8 also when the parsed order has no raster number).
long raster_str2number(long n, const char *str, const char **tail, int *perrval);

// The entries of `order` as "%ld" for the first and ",%ld" for each further
// one. Errors: 2 buffer missing or nelem 0 (none returned); 3 the text was cut
// to nelem-1 characters (buffer returned); 4 missing order or N < 0 (none).
char *raster_order2str(char *buffer, std::size_t nelem, const long *order, int *perrval);

// The N x N matrix of `order`, column after column: column l holds
// sign(order[l]) in row |order[l]|. None for a missing order, a buffer
// missing or too short (nelem < N * N), or an axis 0 or beyond N.
double *raster_order2matrix(double *buffer, std::size_t nelem, const long *order);
std::vector<double> raster_order2matrix(const long *order);

// The product A B of the N x M matrix A and the M x L matrix B (N x L), all
// column after column. None for missing matrices, sizes <= 0, or a buffer
// missing or too short (nelem < N * L). `buffer` may be A or B.
double *raster_matrix_product(double *buffer, std::size_t nelem, double *A, double *B, int L, int M,
                              int N);

// Prints the label as "%14s \n", each row as "%14g " per element and a
// newline, then an empty line, on `out` (standard output when none). Returns 0,
// or -1 for a missing matrix or a write error.
int raster_fprint_matrix(FILE *out, std::size_t nrows, std::size_t ncols, double *M,
                         const char *label);

// Switches the trace on standard output on (non-zero) or off; raster_debug(0)
// restores the start-up state, the module's only process-wide state.
void raster_debug(int debug);
const char *raster_version();
