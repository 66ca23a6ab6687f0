// Times the area integrals as the programs use them: one rectangle per output
// pixel of a 2048 x 2048 image, centred on the pixel, for unit, 2 x 2 and
// fractional footprints. Reports nanoseconds per output pixel.
#include "ipol.h"

#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int dim = 2048;
constexpr float dummy = -1.0f;
constexpr float ddummy = 0.1f;

struct Footprint {
  const char *name;
  float width, height, shift; // shift moves the rectangle off the pixel grid
};

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs `integrate` for every output pixel; returns ns per output pixel and
// adds the valid sums to `check` so that the work cannot be dropped.
template <class Integrate>
double time_per_pixel(const Footprint &f, Integrate &&integrate, double &check) {
  const auto start = std::chrono::steady_clock::now();
  double total = 0;
  for (int j = 0; j < dim; ++j) {
    const float y1 = static_cast<float>(j) - f.height / 2 + f.shift;
    for (int i = 0; i < dim; ++i) {
      const float x1 = static_cast<float>(i) - f.width / 2 + f.shift;
      float sum = 0;
      if (integrate(x1, y1, x1 + f.width, y1 + f.height, sum)) total += sum;
    }
  }
  const double ns = seconds_since(start) * 1e9 / (static_cast<double>(dim) * dim);
  check += total;
  return ns;
}

} // namespace

int main() {
  std::vector<float> data(static_cast<std::size_t>(dim) * dim);
  std::vector<float> var(data.size());
  for (std::size_t k = 0; k < data.size(); ++k) {
    data[k] = static_cast<float>(k % 977) * 0.5f + 1.0f;
    var[k] = static_cast<float>(k % 13) + 1.0f;
    if (k % 101 == 0) data[k] = dummy; // about one pixel in a hundred is a dummy
  }
  float *d = data.data();
  float *v = var.data();

  const Footprint footprints[] = {
      {"unit 1 x 1", 1.0f, 1.0f, 0.0f},
      {"2 x 2", 2.0f, 2.0f, 0.0f},
      {"fractional 1.37 x 0.73", 1.37f, 0.73f, 0.21f},
  };

  double check = 0;
  std::printf("ns per output pixel, %d x %d output pixels\n", dim, dim);
  std::printf("%-24s %-12s %10s %10s %10s\n", "footprint", "mode", "Isum2ldw", "E equal",
              "E weighted");
  for (int mode : {IPOL_NORMAL, IPOL_ANTIALIASED}) {
    Ipolmode(mode);
    for (const auto &f : footprints) {
      const double plain = time_per_pixel(
          f,
          [&](float x1, float y1, float x3, float y3, float &sum) {
            float weight = 0;
            return Isum2ldw(d, dim, dim, dummy, ddummy, x1, y1, x3, y3, &sum, &weight);
          },
          check);
      double with_var[2] = {0, 0};
      int k = 0;
      for (int method : {IPOL_EQUAL, IPOL_WEIGHTED}) {
        Ipolweight(method);
        with_var[k++] = time_per_pixel(
            f,
            [&](float x1, float y1, float x3, float y3, float &sum) {
              float weight = 0, varsum = 0, varweight = 0;
              return Isum2ldwE(d, v, dim, dim, dummy, ddummy, x1, y1, x3, y3, &sum, &weight,
                               &varsum, &varweight);
            },
            check);
      }
      std::printf("%-24s %-12s %10.2f %10.2f %10.2f\n", f.name, Ipolmode2str(mode), plain,
                  with_var[0], with_var[1]);
    }
  }
  std::printf("checksum %.6g\n", check);
  return 0;
}
