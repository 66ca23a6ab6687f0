// Times a compiled one-variable program run once per value, as the image
// framework does per pixel, next to the same formula written in C++.
#include "numio.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr std::size_t count = 4000000;
constexpr int passes = 5;

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char **argv) {
  const char *expression = argc > 1 ? argv[1] : "_x*2+1";
  int err = NumSuccess;
  NumProg *prog = num_str2prog("bench", expression, nullptr, &err, 1, "x");
  if (!prog) {
    char message[64];
    std::fprintf(stderr, "cannot compile %s: %s\n", expression,
                 num_errval2str(message, sizeof message, err));
    return 1;
  }
  std::vector<double> input(count);
  for (std::size_t i = 0; i < count; ++i)
    input[i] = static_cast<double>(i % 1000) * 0.25;
  std::vector<double> output(count);

  // One warm-up run sizes the accumulator stack; later runs do not allocate.
  num_runprog(prog, &err, 1.0);

  // Best of a few passes, so that other load on the machine counts less.
  int failures = 0;
  double program_ns = 1e30;
  double native_ns = 1e30;
  double check = 0;
  double native_check = 0;
  for (int pass = 0; pass < passes; ++pass) {
    auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < count; ++i) {
      output[i] = num_runprog(prog, &err, input[i]);
      failures += err != NumSuccess;
    }
    program_ns = std::min(program_ns, seconds_since(start) * 1e9 / count);
    check = 0;
    for (double v : output)
      check += v;

    start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < count; ++i)
      output[i] = input[i] * 2 + 1;
    native_ns = std::min(native_ns, seconds_since(start) * 1e9 / count);
    native_check = 0;
    for (double v : output)
      native_check += v;
  }

  std::printf("expression        : %s (%ld instructions)\n", expression,
              num_prog_instructions(prog, 0));
  std::printf("runs              : %zu (best of %d passes)\n", count, passes);
  std::printf("compiled program  : %.2f ns per run\n", program_ns);
  std::printf("plain C++ (x*2+1) : %.2f ns per value\n", native_ns);
  std::printf("ratio             : %.1f\n", program_ns / native_ns);
  std::printf("checksums         : %.6g %.6g, failures %d\n", check, native_check, failures);
  int ignored = 0;
  num_rmprog(prog, &ignored);
  return 0;
}
