// Raster orientation: raster numbers and order arrays, their composition,
// inversion, determinant, matrices and text forms, and the copy of a data
// array from any arrangement into the normal one.
#include "raster.h"

#include "numio.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr const char *raster_version_text = "raster : V1.8 Marvane 2015-12-08";
constexpr const char *dimension_mismatch = "dimension mismatch";
constexpr const char *cannot_allocate = "cannot allocate memory";
constexpr const char *no_dimension = "no or zero dimension";
constexpr const char *size_out_of_range = "array size out of range";
constexpr const char *normalization_prefix = "ERROR: raster_normalization:";
constexpr const char *order_normalization_prefix = "ERROR: raster_order_normalization:";
constexpr const char *order_dimension_prefix = "ERROR: raster_order_dimension:";
constexpr const char *order2matrix_prefix = "ERROR: raster_order2matrix:";
constexpr const char *data_dim_missing = "SEVERE %s Data dimension pointer missing!\n";

// The module's only process-wide state; raster_debug(0) restores it.
struct RasterState {
  bool debug = false;
};
RasterState state;

// Prints "<name> BEGIN" now and "<name> END" when the routine leaves, only
// while debugging is on; costs one flag test otherwise.
class Trace {
public:
  explicit Trace(const char *name) : name_(state.debug ? name : nullptr) {
    if (name_) std::printf("%s BEGIN\n", name_);
  }
  ~Trace() {
    if (name_) std::printf("%s END\n", name_);
  }
  Trace(const Trace &) = delete;
  Trace &operator=(const Trace &) = delete;

private:
  const char *name_;
};

// Stores an error value where the caller asked for one.
void set_errval(int *perrval, int value) {
  if (perrval) *perrval = value;
}

// |v| without overflow for the most negative long.
unsigned long magnitude(long v) {
  return v < 0 ? 0UL - static_cast<unsigned long>(v) : static_cast<unsigned long>(v);
}

// True when `n` is a usable number of axes (0..RASTER_MAX_AXES).
bool axes_in_range(long n) {
  return n >= 0 && n <= RASTER_MAX_AXES;
}

// The entries of an order (or dimension array) as "%ld" and ",%ld" text.
std::string order_text(const long *order) {
  std::string text;
  char number[32];
  for (long j = 1; j <= order[0]; ++j) {
    std::snprintf(number, sizeof number, j == 1 ? "%ld" : ",%ld", order[j]);
    text += number;
  }
  return text;
}

// Prints "  <label> = <entries>" while debugging; the array must be in range.
void trace_array(const char *label, const long *array) {
  if (!state.debug || !array || !axes_in_range(array[0])) return;
  std::printf("  %s = %s\n", label, order_text(array).c_str());
}

// Whether the byte ranges [a, a+na) and [b, b+nb) share a byte.
bool ovlpchk(const void *a, std::size_t na, const void *b, std::size_t nb) {
  const auto pa = reinterpret_cast<std::uintptr_t>(a);
  const auto pb = reinterpret_cast<std::uintptr_t>(b);
  return na > 0 && nb > 0 && pa < pb + nb && pb < pa + na;
}

// True when `order` is a signed permutation of 1..order[0] with an accepted
// number of axes. Never reads past order[order[0]].
bool valid_order(const long *order) {
  if (!order || !axes_in_range(order[0])) return false;
  const long n = order[0];
  std::vector<unsigned char> seen(static_cast<std::size_t>(n) + 1, 0);
  for (long j = 1; j <= n; ++j) {
    const unsigned long m = magnitude(order[j]);
    if (m == 0 || m > static_cast<unsigned long>(n) || seen[m]) return false;
    seen[m] = 1;
  }
  return true;
}

// True when every stored axis is already its normal axis (a plain copy).
bool is_normal_order(const long *order) {
  for (long j = 1; j <= order[0]; ++j)
    if (order[j] != j) return false;
  return true;
}

// Writes the order of raster number `number` (> 0) for n axes into
// order[0..n]; false, with order untouched, when the number is out of range.
bool value2order(long *order, long n, long number) {
  long a = std::min(n, MAX_RASTER_NUMBER_DIMENSION);
  if (number <= 0 || number > raster_numbers(a)) return false;
  long slots[MAX_RASTER_NUMBER_DIMENSION + 1] = {};
  long d = number;
  long an = raster_numbers(a);
  const long moving = a;
  while (a > 0) {
    an /= 2 * a;
    const long b = (d - 1) / (2 * an);
    d -= 2 * an * b;
    const long entry = d > an ? -a : a;
    // The (a - b)-th still empty slot; exactly a slots are empty here.
    long k = a - b;
    for (long i = 1; i <= moving; ++i) {
      if (slots[i] == 0 && --k == 0) {
        slots[i] = entry;
        break;
      }
    }
    if (entry < 0) d -= an;
    --a;
  }
  order[0] = n;
  for (long i = 1; i <= n; ++i)
    order[i] = i <= moving ? slots[i] : i;
  return true;
}

// Inverts the first `moving` entries of a valid order in place (the others
// stay in place and are their own inverse).
void invert_leading(long *order, long moving) {
  long inverse[MAX_RASTER_NUMBER_DIMENSION + 1] = {};
  for (long i = 1; i <= moving; ++i) {
    const long v = order[i];
    inverse[v < 0 ? -v : v] = v < 0 ? -i : i;
  }
  for (long i = 1; i <= moving; ++i)
    order[i] = inverse[i];
}

// Writes the order of any raster number (negative: the inverse arrangement).
bool number_to_order(long *order, long n, long number) {
  if (n < 0 || number == 0 || number == std::numeric_limits<long>::min()) return false;
  if (!value2order(order, n, number < 0 ? -number : number)) return false;
  if (number < 0) invert_leading(order, std::min(n, MAX_RASTER_NUMBER_DIMENSION));
  return true;
}

// y = a x into `y` (a[0] + 1 entries); false for missing or mismatching orders.
bool multiply_orders(std::vector<long> &y, const long *a, const long *x) {
  if (!a || !x || !axes_in_range(a[0]) || !axes_in_range(x[0]) || x[0] < a[0]) return false;
  const long n = a[0];
  y.assign(static_cast<std::size_t>(n) + 1, 0);
  y[0] = n;
  for (long i = 1; i <= n; ++i) {
    const unsigned long m = magnitude(a[i]);
    if (m == 0 || m > static_cast<unsigned long>(x[0])) continue;
    y[i] = a[i] < 0 ? -x[m] : x[m];
  }
  return true;
}

// The inverse of x into `p`; false for a missing order or a count out of range.
bool invert_order(std::vector<long> &p, const long *x) {
  if (!x || !axes_in_range(x[0])) return false;
  const long n = x[0];
  p.assign(static_cast<std::size_t>(n) + 1, 0);
  p[0] = n;
  for (long i = 1; i <= n; ++i) {
    const unsigned long m = magnitude(x[i]);
    if (m == 0 || m > static_cast<unsigned long>(n)) continue;
    p[m] = x[i] < 0 ? -i : i;
  }
  return true;
}

// Copies `values` into the caller's buffer (which holds at least that many).
template <typename T> T *copy_out(T *buffer, const std::vector<T> &values) {
  std::copy(values.begin(), values.end(), buffer);
  return buffer;
}

// ------------------------------------------------------------ data copies

// One stored axis of the copy: its length and the byte steps of one index
// step in the source and in the destination.
struct Axis {
  long count;
  std::ptrdiff_t src_step;
  std::ptrdiff_t dest_step;
};

// Copies one element of S bytes (S = 0: `item` bytes); compiles to one move.
template <std::size_t S>
inline void put(unsigned char *dest, const unsigned char *src, std::size_t item) {
  if constexpr (S == 0)
    std::memcpy(dest, src, item);
  else
    std::memcpy(dest, src, S);
}

// Copies a contiguous source row of n elements to destination offsets
// doff, doff + dstep, ...
template <std::size_t S>
void copy_row(unsigned char *dest, const unsigned char *src, std::ptrdiff_t doff,
              std::ptrdiff_t soff, long n, std::ptrdiff_t dstep, std::size_t item) {
  const auto istep = static_cast<std::ptrdiff_t>(item);
  if (dstep == istep) {
    std::memcpy(dest + doff, src + soff, static_cast<std::size_t>(n) * item);
    return;
  }
  for (long i = 0; i < n; ++i, doff += dstep, soff += istep)
    put<S>(dest + doff, src + soff, item);
}

// Copies an n0 x n1 block whose source runs contiguously along axis 0 and
// whose destination runs contiguously along axis 1 (the transposing
// orientations), in small tiles written along the destination so that both
// sides stay in cache.
template <std::size_t S>
void copy_tiled(unsigned char *dest, const unsigned char *src, std::ptrdiff_t doff,
                std::ptrdiff_t soff, const Axis &a0, const Axis &a1, std::size_t item) {
  constexpr long tile = 16;
  const auto istep = static_cast<std::ptrdiff_t>(item);
  for (long b1 = 0; b1 < a1.count; b1 += tile) {
    const long e1 = std::min(a1.count, b1 + tile);
    for (long b0 = 0; b0 < a0.count; b0 += tile) {
      const long e0 = std::min(a0.count, b0 + tile);
      for (long i0 = b0; i0 < e0; ++i0) {
        std::ptrdiff_t s = soff + i0 * istep + b1 * a1.src_step;
        std::ptrdiff_t d = doff + i0 * a0.dest_step + b1 * a1.dest_step;
        for (long i1 = b1; i1 < e1; ++i1, s += a1.src_step, d += a1.dest_step)
          put<S>(dest + d, src + s, item);
      }
    }
  }
}

// Walks the source in storage order and puts every element at its normal
// position. `axes` holds the stored axes longer than 1, fastest first (its
// first source step is `item`); `base` is the destination offset of the
// first source element. Offsets only ever name bytes inside the arrays.
template <std::size_t S>
void reorder_raster(unsigned char *dest, const unsigned char *src, const std::vector<Axis> &axes,
                    std::ptrdiff_t base, std::size_t item) {
  if (axes.empty()) {
    put<S>(dest + base, src, item);
    return;
  }
  const auto istep = static_cast<std::ptrdiff_t>(item);
  // The stored axis that runs along normal axis 1 (contiguous in dest).
  std::size_t t = 0;
  while (t < axes.size() && axes[t].dest_step != istep && axes[t].dest_step != -istep)
    ++t;
  if (t == axes.size()) t = 0; // unreachable for a valid order; keeps the walk total
  std::vector<Axis> outer;
  outer.reserve(axes.size());
  for (std::size_t j = 1; j < axes.size(); ++j)
    if (j != t) outer.push_back(axes[j]);
  std::vector<long> index(outer.size(), 0);
  std::ptrdiff_t soff = 0;
  std::ptrdiff_t doff = base;
  for (;;) {
    if (t == 0)
      copy_row<S>(dest, src, doff, soff, axes[0].count, axes[0].dest_step, item);
    else
      copy_tiled<S>(dest, src, doff, soff, axes[0], axes[t], item);
    std::size_t k = 0;
    for (; k < outer.size(); ++k) {
      soff += outer[k].src_step;
      doff += outer[k].dest_step;
      if (++index[k] < outer[k].count) break;
      soff -= outer[k].src_step * outer[k].count;
      doff -= outer[k].dest_step * outer[k].count;
      index[k] = 0;
    }
    if (k == outer.size()) return;
  }
}

// Chooses the element mover for the item size.
void dispatch_reorder(unsigned char *dest, const unsigned char *src, const std::vector<Axis> &axes,
                      std::ptrdiff_t base, std::size_t item) {
  switch (item) {
  case 1:
    reorder_raster<1>(dest, src, axes, base, item);
    break;
  case 2:
    reorder_raster<2>(dest, src, axes, base, item);
    break;
  case 4:
    reorder_raster<4>(dest, src, axes, base, item);
    break;
  case 8:
    reorder_raster<8>(dest, src, axes, base, item);
    break;
  default:
    reorder_raster<0>(dest, src, axes, base, item);
    break;
  }
}

// The byte count of an array of `data_dim` lengths and `item`-byte elements,
// with every multiply checked; 0 with the error value when it has none.
std::size_t checked_bytes(const long *data_dim, std::size_t item, int &errval) {
  const long n = data_dim[0];
  if (n <= 0) {
    errval = 1;
    return 0;
  }
  if (n > RASTER_MAX_AXES || item == 0) {
    errval = 4;
    return 0;
  }
  std::size_t bytes = item;
  for (long k = 1; k <= n; ++k) {
    if (data_dim[k] <= 0) {
      errval = 1;
      return 0;
    }
    if (__builtin_mul_overflow(bytes, static_cast<std::size_t>(data_dim[k]), &bytes)) {
      errval = 4;
      return 0;
    }
  }
  if (bytes > static_cast<std::size_t>(PTRDIFF_MAX)) {
    errval = 4;
    return 0;
  }
  errval = 0;
  return bytes;
}

// The copy proper, after every argument has been checked.
void normalize_checked(void *dest, const void *src, const long *data_dim, const long *order,
                       std::size_t item, std::size_t bytes) {
  const long n = data_dim[0];
  // Byte stride of each normal axis: item * product of the lengths before it.
  std::vector<std::ptrdiff_t> wrap(static_cast<std::size_t>(n) + 1);
  wrap[1] = static_cast<std::ptrdiff_t>(item);
  for (long k = 2; k <= n; ++k)
    wrap[k] = wrap[k - 1] * data_dim[k - 1];
  std::vector<Axis> axes;
  axes.reserve(static_cast<std::size_t>(n));
  std::ptrdiff_t src_step = static_cast<std::ptrdiff_t>(item);
  std::ptrdiff_t base = 0;
  for (long j = 1; j <= n; ++j) {
    const long k = order[j] < 0 ? -order[j] : order[j];
    const long count = data_dim[k];
    if (count > 1) {
      const std::ptrdiff_t step = order[j] < 0 ? -wrap[k] : wrap[k];
      if (order[j] < 0) base += wrap[k] * (count - 1);
      axes.push_back({count, src_step, step});
    }
    src_step *= count;
  }
  auto *out = static_cast<unsigned char *>(dest);
  const auto *in = static_cast<const unsigned char *>(src);
  std::vector<unsigned char> copy;
  if (ovlpchk(dest, bytes, src, bytes)) {
    copy.assign(in, in + bytes);
    in = copy.data();
  }
  dispatch_reorder(out, in, axes, base, item);
}

// ------------------------------------------------------------------ text

// white := blank | tab | newline | carriage return | form feed | vertical tab
bool is_white(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Skips white*; the text stays where it is.
const char *skip_white(const char *s) {
  while (is_white(*s))
    ++s;
  return s;
}

// separator := white* [ "," ] white*
const char *skip_separator(const char *s) {
  s = skip_white(s);
  if (*s == ',') s = skip_white(s + 1);
  return s;
}

// order_text := white* ( raster_number | axis { separator axis } ) white*
// with exactly n axes; each number is an integer expression. Writes order[0..n]
// and returns 0 with *end at the end of the text, or the error value.
int parse_order(std::vector<long> &order, long n, const char *str, const char **end) {
  int e = NumSuccess;
  const char *after = nullptr;
  const long first = num_str2long(str, &after, &e);
  if (e != NumSuccess) return 1000 + e;
  const char *rest = skip_white(after);
  const bool is_axis = first != 0 && magnitude(first) <= static_cast<unsigned long>(n);
  const bool single = *rest == '\0';

  // One number that is not an axis, or alone in the text, is a raster
  // number; for one axis a lone -1 is the reversed axis itself.
  if (!(n == 1 && is_axis) && (single || !is_axis)) {
    if (first == 0 || (n == 1 && first < 0)) return 4;
    if (!number_to_order(order.data(), n, first)) return 8;
    if (!single) return 7;
    *end = rest;
    return 0;
  }

  std::vector<unsigned char> used;
  try {
    used.assign(static_cast<std::size_t>(n) + 1, 0);
  } catch (...) {
    return 2;
  }
  order[0] = n;
  order[1] = first;
  used[magnitude(first)] = 1;
  const char *p = after;
  for (long k = 2; k <= n; ++k) {
    const char *q = skip_separator(p);
    if (*q == '\0') return used[static_cast<std::size_t>(k)] ? 5 : 6;
    const long axis = num_str2long(q, &p, &e);
    if (e != NumSuccess) return 1000 + e;
    const unsigned long m = magnitude(axis);
    if (m == 0 || m > static_cast<unsigned long>(n)) return 4;
    if (used[m]) return 3;
    used[m] = 1;
    order[static_cast<std::size_t>(k)] = axis;
  }
  rest = skip_white(p);
  if (*rest != '\0') return 7;
  *end = rest;
  return 0;
}

// order_text (as parse_order), into a new order of n + 1 entries; the error
// value or 0, with *tail at the end of the text or, on failure, at `str`.
int parse_new_order(std::vector<long> &order, long n, const char *str, const char **tail) {
  const char *text = str ? str : "";
  if (tail) *tail = str;
  if (n < 0 || n > RASTER_MAX_AXES) return 8;
  try {
    order.assign(static_cast<std::size_t>(n) + 1, 0);
  } catch (...) {
    return 1;
  }
  const char *end = text;
  const int errval = parse_order(order, n, text, &end);
  if (errval == 0 && tail) *tail = end;
  return errval;
}

} // namespace

// ------------------------------------------------------- numbers and orders

long raster_numbers(long n) {
  if (n < 0 || n > MAX_RASTER_NUMBER_DIMENSION) return 0;
  long count = 1;
  for (long i = 1; i <= n; ++i)
    count *= 2 * i;
  return count;
}

long *raster_number2order(long *buffer, std::size_t nelem, long n, long raster_number) {
  Trace trace("raster_number2order");
  if (!buffer || n < 0) return nullptr;
  if (nelem <= static_cast<unsigned long>(n)) {
    std::fprintf(stderr, "%s %s\n", "ERROR: raster_number2order:", dimension_mismatch);
    return nullptr;
  }
  if (!number_to_order(buffer, n, raster_number)) return nullptr;
  trace_array("order", buffer);
  return buffer;
}

std::vector<long> raster_number2order(long n, long raster_number) {
  try {
    if (!axes_in_range(n)) return {};
    std::vector<long> order(static_cast<std::size_t>(n) + 1);
    if (!raster_number2order(order.data(), order.size(), n, raster_number)) return {};
    return order;
  } catch (...) {
    return {};
  }
}

long raster_order2number(const long *order) {
  Trace trace("raster_order2number");
  if (!order || !axes_in_range(order[0])) return 0;
  const long n = order[0];
  for (long i = MAX_RASTER_NUMBER_DIMENSION + 1; i <= n; ++i)
    if (order[i] != i) return 0;
  const long moving = std::min(n, MAX_RASTER_NUMBER_DIMENSION);
  long number = 1;
  for (long i = 1; i <= moving; ++i) {
    // Position of +-i among the entries of magnitude at most i.
    long position = 0;
    long negative = -1;
    for (long j = 1; j <= moving; ++j) {
      const unsigned long m = magnitude(order[j]);
      if (m > static_cast<unsigned long>(i)) continue;
      ++position;
      if (m == static_cast<unsigned long>(i)) {
        negative = order[j] < 0 ? 1 : 0;
        break;
      }
    }
    if (negative < 0) return 0;
    number += raster_numbers(i - 1) * (2 * (i - position) + negative);
  }
  trace_array("order", order);
  if (state.debug) std::printf("  raster_number = %ld\n", number);
  return number;
}

long *raster_order_multiplication(long *buffer, std::size_t nelem, const long *a_order,
                                  const long *x_order) {
  Trace trace("raster_order_multiplication");
  try {
    std::vector<long> y;
    if (!multiply_orders(y, a_order, x_order) || !buffer) return nullptr;
    if (nelem < y.size()) {
      std::fprintf(stderr, "%s %s\n", "ERROR: raster_order_multiplication:", dimension_mismatch);
      return nullptr;
    }
    trace_array("a_order", a_order);
    trace_array("x_order", x_order);
    trace_array("product", y.data());
    return copy_out(buffer, y);
  } catch (...) {
    return nullptr;
  }
}

std::vector<long> raster_order_multiplication(const long *a_order, const long *x_order) {
  try {
    std::vector<long> y;
    if (!multiply_orders(y, a_order, x_order)) return {};
    return y;
  } catch (...) {
    return {};
  }
}

long raster_multiplication(long a, long x) {
  long ao[MAX_RASTER_NUMBER_DIMENSION + 1];
  long xo[MAX_RASTER_NUMBER_DIMENSION + 1];
  if (!number_to_order(ao, MAX_RASTER_NUMBER_DIMENSION, a) ||
      !number_to_order(xo, MAX_RASTER_NUMBER_DIMENSION, x))
    return 0;
  long y[MAX_RASTER_NUMBER_DIMENSION + 1];
  y[0] = MAX_RASTER_NUMBER_DIMENSION;
  for (long i = 1; i <= MAX_RASTER_NUMBER_DIMENSION; ++i)
    y[i] = ao[i] < 0 ? -xo[-ao[i]] : xo[ao[i]];
  return raster_order2number(y);
}

long *raster_order_inversion(long *buffer, std::size_t nelem, const long *x_order) {
  Trace trace("raster_order_inversion");
  try {
    std::vector<long> p;
    if (!invert_order(p, x_order) || !buffer) return nullptr;
    if (nelem < p.size()) {
      std::fprintf(stderr, "%s %s\n", "ERROR: raster_order_inversion:", dimension_mismatch);
      return nullptr;
    }
    trace_array("inverse", p.data());
    return copy_out(buffer, p);
  } catch (...) {
    return nullptr;
  }
}

std::vector<long> raster_order_inversion(const long *x_order) {
  try {
    std::vector<long> p;
    if (!invert_order(p, x_order)) return {};
    return p;
  } catch (...) {
    return {};
  }
}

long raster_inversion(long x) {
  if (x == std::numeric_limits<long>::min()) return 0;
  long order[MAX_RASTER_NUMBER_DIMENSION + 1];
  if (!number_to_order(order, MAX_RASTER_NUMBER_DIMENSION, -x)) return 0;
  return raster_order2number(order);
}

long raster_order_determinante(const long *order) {
  Trace trace("raster_order_determinante");
  try {
    if (!valid_order(order)) return 0;
    // Sign of the entries times the parity of the permutation, (-1)^(N - cycles).
    const long n = order[0];
    std::vector<unsigned char> visited(static_cast<std::size_t>(n) + 1, 0);
    long determinant = 1;
    long cycles = 0;
    for (long j = 1; j <= n; ++j) {
      if (order[j] < 0) determinant = -determinant;
      if (visited[j]) continue;
      ++cycles;
      for (long k = j; !visited[k]; k = order[k] < 0 ? -order[k] : order[k])
        visited[k] = 1;
    }
    if ((n - cycles) % 2 != 0) determinant = -determinant;
    if (state.debug) std::printf("  determinant = %ld\n", determinant);
    return determinant;
  } catch (...) {
    return 0;
  }
}

long *raster_order_dimension(long *buffer, std::size_t nelem, const long *src_dim,
                             const long *src_order, int *perrval) {
  Trace trace("raster_order_dimension");
  const char *prefix = order_dimension_prefix;
  if (!src_dim || !src_order) {
    std::fprintf(stderr, "%s src_dim or src_order is NULL\n", prefix);
    set_errval(perrval, 1);
    return nullptr;
  }
  const long n = src_dim[0];
  if (!axes_in_range(n)) {
    std::fprintf(stderr, "%s index %ld is out of range\n", prefix, n);
    set_errval(perrval, 6);
    return nullptr;
  }
  if (src_order[0] < n) {
    std::fprintf(stderr, "%s source order array is too short (%ld<%ld)\n", prefix, src_order[0], n);
    set_errval(perrval, 2);
    return nullptr;
  }
  if (!buffer || nelem <= static_cast<std::size_t>(n)) {
    std::fprintf(stderr, "%s supplied buffer too small\n", prefix);
    set_errval(perrval, 4);
    return nullptr;
  }
  try {
    std::vector<long> dest(static_cast<std::size_t>(n) + 1, 0);
    std::vector<unsigned char> defined(static_cast<std::size_t>(n) + 1, 0);
    dest[0] = n;
    for (long j = 1; j <= n; ++j) {
      const unsigned long m = magnitude(src_order[j]);
      if (m == 0 || m > static_cast<unsigned long>(n)) {
        std::fprintf(stderr, "%s index %ld is out of range\n", prefix, src_order[j]);
        set_errval(perrval, 6);
        return nullptr;
      }
      if (defined[m]) {
        std::fprintf(stderr, "%s index %ld is already defined\n", prefix, src_order[j]);
        set_errval(perrval, 5);
        return nullptr;
      }
      defined[m] = 1;
      dest[m] = src_dim[j];
    }
    trace_array("dimension", dest.data());
    set_errval(perrval, 0);
    return copy_out(buffer, dest);
  } catch (...) {
    std::fprintf(stderr, "%s buffer allocation error\n", prefix);
    set_errval(perrval, 3);
    return nullptr;
  }
}

// ------------------------------------------------------------ data copies

int raster_order_normalization(void *dest, const void *src, const long *data_dim, const long *order,
                               std::size_t item, int *perrval) {
  Trace trace("raster_order_normalization");
  const char *prefix = order_normalization_prefix;
  const char *missing = !data_dim ? data_dim_missing
                        : !order  ? "SEVERE %s Order array  pointer missing!\n"
                        : !dest   ? "SEVERE %s Destination pointer missing!\n"
                        : !src    ? "SEVERE %s Source pointer missing!\n"
                                  : nullptr;
  if (missing) {
    std::fprintf(stderr, missing, prefix);
    set_errval(perrval, 5);
    return -1;
  }
  int errval = 0;
  const std::size_t bytes = checked_bytes(data_dim, item, errval);
  if (errval != 0) {
    std::fprintf(stderr, "%s data_dim %s\n", prefix,
                 errval == 1 ? no_dimension : size_out_of_range);
    set_errval(perrval, errval);
    return -1;
  }
  try {
    if (order[0] != data_dim[0] || !valid_order(order)) {
      std::fprintf(stderr, "%s order %s\n", prefix, "is not a permutation of the axes");
      set_errval(perrval, 2);
      return -1;
    }
    trace_array("data_dim", data_dim);
    trace_array("order", order);
    set_errval(perrval, 0);
    if (is_normal_order(order)) {
      if (dest != src) std::memmove(dest, src, bytes);
      return 0;
    }
    normalize_checked(dest, src, data_dim, order, item, bytes);
    return 0;
  } catch (...) {
    std::fprintf(stderr, "%s %s\n", prefix, cannot_allocate);
    set_errval(perrval, 3);
    return -1;
  }
}

int raster_normalization(void *dest, const void *src, const long *data_dim, long raster_number,
                         std::size_t item, int *perrval) {
  Trace trace("raster_normalization");
  const char *prefix = normalization_prefix;
  if (!data_dim) {
    std::fprintf(stderr, data_dim_missing, prefix);
    set_errval(perrval, 5);
    return -1;
  }
  if (data_dim[0] <= 0) {
    std::fprintf(stderr, "%s data_dim %s\n", prefix, no_dimension);
    set_errval(perrval, 1);
    return -1;
  }
  if (data_dim[0] > RASTER_MAX_AXES) {
    std::fprintf(stderr, "%s data_dim %s\n", prefix, size_out_of_range);
    set_errval(perrval, 4);
    return -1;
  }
  std::vector<long> order;
  try {
    order.resize(static_cast<std::size_t>(data_dim[0]) + 1);
  } catch (...) {
    std::fprintf(stderr, "%s %s\n", prefix, cannot_allocate);
    set_errval(perrval, 3);
    return -1;
  }
  if (!number_to_order(order.data(), data_dim[0], raster_number)) {
    std::fprintf(stderr, "%s raster_number=%ld %s\n", prefix, raster_number,
                 "bad raster configuration");
    set_errval(perrval, 2);
    return -1;
  }
  return raster_order_normalization(dest, src, data_dim, order.data(), item, perrval);
}

// --------------------------------------------------------------------- text

long *raster_str2order(long *buffer, std::size_t nelem, long n, const char *str, const char **tail,
                       int *perrval) {
  Trace trace("raster_str2order");
  if (tail) *tail = str;
  if (n < 0 || n > RASTER_MAX_AXES) {
    set_errval(perrval, 8);
    return nullptr;
  }
  if (!buffer || nelem <= static_cast<std::size_t>(n)) {
    set_errval(perrval, 9);
    return nullptr;
  }
  std::vector<long> order;
  const int errval = parse_new_order(order, n, str, tail);
  set_errval(perrval, errval);
  if (errval != 0) return nullptr;
  trace_array("order", order.data());
  return copy_out(buffer, order);
}

long raster_str2number(long n, const char *str, const char **tail, int *perrval) {
  Trace trace("raster_str2number");
  std::vector<long> order;
  int errval = parse_new_order(order, n, str, tail);
  long number = 0;
  if (errval == 0) {
    number = raster_order2number(order.data());
    if (number == 0) {
      errval = 8;
      if (tail) *tail = str;
    }
  }
  set_errval(perrval, errval);
  return number;
}

char *raster_order2str(char *buffer, std::size_t nelem, const long *order, int *perrval) {
  if (!buffer || nelem == 0) {
    set_errval(perrval, 2);
    return nullptr;
  }
  if (!order || !axes_in_range(order[0])) {
    buffer[0] = '\0';
    set_errval(perrval, 4);
    return nullptr;
  }
  try {
    const std::string text = order_text(order);
    const std::size_t n = std::min(text.size(), nelem - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    set_errval(perrval, n < text.size() ? 3 : 0);
    return buffer;
  } catch (...) {
    buffer[0] = '\0';
    set_errval(perrval, 1);
    return nullptr;
  }
}

// ----------------------------------------------------------------- matrices

double *raster_order2matrix(double *buffer, std::size_t nelem, const long *order) {
  Trace trace("raster_order2matrix");
  const char *prefix = order2matrix_prefix;
  if (!order) {
    std::fprintf(stderr, "%s %s\n", prefix, "order is NULL pointer:");
    return nullptr;
  }
  const long n = order[0];
  if (!axes_in_range(n)) {
    std::fprintf(stderr, "%s %s\n", prefix, "order index out of bounds");
    return nullptr;
  }
  const auto rows = static_cast<std::size_t>(n);
  if (!buffer) return nullptr;
  if (nelem < rows * rows) {
    std::fprintf(stderr, "%s %s\n", prefix, dimension_mismatch);
    return nullptr;
  }
  for (long l = 1; l <= n; ++l) {
    const unsigned long m = magnitude(order[l]);
    if (m == 0 || m > rows) {
      std::fprintf(stderr, "%s %s\n", prefix, "order index out of bounds");
      return nullptr;
    }
  }
  std::fill(buffer, buffer + rows * rows, 0.0);
  for (long l = 1; l <= n; ++l) {
    const std::size_t row = magnitude(order[l]) - 1;
    const auto column = static_cast<std::size_t>(l - 1);
    buffer[row + rows * column] = order[l] < 0 ? -1.0 : 1.0;
  }
  if (state.debug) raster_fprint_matrix(stdout, rows, rows, buffer, "matrix");
  return buffer;
}

std::vector<double> raster_order2matrix(const long *order) {
  try {
    if (!order || !axes_in_range(order[0])) {
      raster_order2matrix(nullptr, 0, order); // same message as the buffer form
      return {};
    }
    const auto rows = static_cast<std::size_t>(order[0]);
    if (rows == 0) return {}; // the 0 x 0 matrix
    std::vector<double> matrix(rows * rows);
    if (!raster_order2matrix(matrix.data(), matrix.size(), order)) return {};
    return matrix;
  } catch (...) {
    return {};
  }
}

double *raster_matrix_product(double *buffer, std::size_t nelem, double *A, double *B, int L, int M,
                              int N) {
  Trace trace("raster_matrix_product");
  if (!A || !B || L <= 0 || M <= 0 || N <= 0 || !buffer) return nullptr;
  const auto l = static_cast<std::size_t>(L);
  const auto m = static_cast<std::size_t>(M);
  const auto n = static_cast<std::size_t>(N);
  if (nelem < n * l) {
    std::fprintf(stderr, "%s %s\n", "ERROR: raster_matrix_product:", dimension_mismatch);
    return nullptr;
  }
  try {
    std::vector<double> product(n * l, 0.0);
    for (std::size_t c = 0; c < l; ++c)
      for (std::size_t k = 0; k < m; ++k) {
        const double b = B[k + m * c];
        for (std::size_t r = 0; r < n; ++r)
          product[r + n * c] += A[r + n * k] * b;
      }
    copy_out(buffer, product);
    if (state.debug) raster_fprint_matrix(stdout, n, l, buffer, "product");
    return buffer;
  } catch (...) {
    return nullptr;
  }
}

int raster_fprint_matrix(FILE *out, std::size_t nrows, std::size_t ncols, double *M,
                         const char *label) {
  if (!M) return -1;
  std::size_t total = 0;
  if (__builtin_mul_overflow(nrows, ncols, &total)) return -1;
  FILE *stream = out ? out : stdout;
  bool ok = std::fprintf(stream, "%14s \n", label ? label : "") >= 0;
  for (std::size_t r = 0; r < nrows && ok; ++r) {
    for (std::size_t c = 0; c < ncols && ok; ++c)
      ok = std::fprintf(stream, "%14g ", M[r + nrows * c]) >= 0;
    ok = ok && std::fputc('\n', stream) != EOF;
  }
  ok = ok && std::fputc('\n', stream) != EOF;
  return ok ? 0 : -1;
}

// ----------------------------------------------------------------- state

void raster_debug(int debug) {
  state.debug = debug != 0;
}

const char *raster_version() {
  return raster_version_text;
}
