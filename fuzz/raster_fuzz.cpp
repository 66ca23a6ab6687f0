// Fuzz target for raster texts: the arrangement parser on arbitrary bytes,
// into an order buffer of exactly the chosen length, and the data copy with
// every order it accepts. The first byte chooses the number of axes and the
// buffer length, the second the array lengths.
#include "raster.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

bool known_error(int errval) {
  return (errval >= 0 && errval <= 9) || errval > 1000;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < 2) return 0;
  const long n = data[0] % 12 - 1;                                       // -1 .. 10
  const std::size_t nelem = static_cast<std::size_t>(data[0] / 12 % 13); // 0 .. 12
  const std::uint8_t lengths = data[1];
  const std::string text(reinterpret_cast<const char *>(data + 2), size - 2);
  const char *s = text.c_str();
  const char *end = s + std::strlen(s);

  // A heap buffer of exactly nelem longs: the sanitizers catch any write past it.
  std::vector<long> buffer(nelem ? nelem : 1, -77);
  long *out = nelem ? buffer.data() : nullptr;
  const char *tail = nullptr;
  int err = -1;
  long *order = raster_str2order(out, nelem, n, s, &tail, &err);
  require(known_error(err));
  require((err == 0) == (order != nullptr));
  require(tail >= s && tail <= end);

  int number_err = -1;
  const char *number_tail = nullptr;
  const long number = raster_str2number(n, s, &number_tail, &number_err);
  require(known_error(number_err));
  require((number_err == 0) == (number != 0));
  require(number_tail >= s && number_tail <= end);

  if (order) {
    require(order[0] == n && tail == end);
    const long determinant = raster_order_determinante(order);
    require(determinant == 1 || determinant == -1);
    if (n <= MAX_RASTER_NUMBER_DIMENSION) require(raster_order2number(order) == number);
    const std::vector<long> inverse = raster_order_inversion(order);
    const std::vector<long> identity = raster_order_multiplication(order, inverse.data());
    require(raster_order2number(identity.data()) == 1);

    // Copy a small array in the parsed arrangement, in place and out of place.
    if (n >= 1 && n <= 4) {
      std::vector<long> dim(static_cast<std::size_t>(n) + 1);
      dim[0] = n;
      std::size_t count = 1;
      for (long k = 1; k <= n; ++k) {
        dim[static_cast<std::size_t>(k)] = 1 + (lengths >> (2 * (k - 1))) % 4;
        count *= static_cast<std::size_t>(dim[static_cast<std::size_t>(k)]);
      }
      std::vector<std::uint16_t> src(count);
      for (std::size_t i = 0; i < count; ++i)
        src[i] = static_cast<std::uint16_t>(i);
      std::vector<std::uint16_t> dest(count, 0xFFFF);
      require(raster_order_normalization(dest.data(), src.data(), dim.data(), order, 2, &err) == 0);
      // Every element arrives exactly once.
      std::vector<int> seen(count, 0);
      for (std::uint16_t v : dest) {
        require(v < count);
        ++seen[v];
      }
      for (int c : seen)
        require(c == 1);
      require(raster_order_normalization(src.data(), src.data(), dim.data(), order, 2, &err) == 0);
      require(src == dest);
    }
  }
  return 0;
}
