// Times raster_normalization of a 2048 x 2048 float image in several
// orientations next to a plain memcpy of the same bytes.
#include "raster.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr long side = 2048;
constexpr std::size_t pixels = static_cast<std::size_t>(side) * side;
constexpr int repeats = 20;

// Best time of `repeats` runs of `fn`, in nanoseconds per pixel.
template <typename Fn> double best_ns_per_pixel(Fn &&fn) {
  double best = 1e300;
  for (int r = 0; r < repeats; ++r) {
    const auto start = std::chrono::steady_clock::now();
    fn();
    const double s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    best = std::min(best, s);
  }
  return best * 1e9 / static_cast<double>(pixels);
}

} // namespace

int main(int argc, char **argv) {
  std::vector<long> numbers;
  for (int i = 1; i < argc; ++i)
    numbers.push_back(std::strtol(argv[i], nullptr, 10));
  if (numbers.empty()) numbers = {1, 2, 5};

  std::vector<float> src(pixels);
  for (std::size_t i = 0; i < pixels; ++i)
    src[i] = static_cast<float>(i % 4093);
  std::vector<float> dest(pixels, 0.0f);
  const long data_dim[] = {2, side, side};

  const double memcpy_ns =
      best_ns_per_pixel([&] { std::memcpy(dest.data(), src.data(), pixels * sizeof(float)); });
  std::printf("image             : %ld x %ld float, best of %d runs\n", side, side, repeats);
  std::printf("memcpy            : %.3f ns per pixel\n", memcpy_ns);

  int failures = 0;
  for (long number : numbers) {
    int err = 0;
    const double ns = best_ns_per_pixel([&] {
      failures +=
          raster_normalization(dest.data(), src.data(), data_dim, number, sizeof(float), &err) != 0;
    });
    double check = 0;
    for (std::size_t i = 0; i < pixels; i += 4097)
      check += dest[i];
    std::printf("orientation %-5ld : %.3f ns per pixel, ratio to memcpy %.2f (check %.0f)\n",
                number, ns, ns / memcpy_ns, check);
  }
  return failures == 0 ? 0 : 1;
}
