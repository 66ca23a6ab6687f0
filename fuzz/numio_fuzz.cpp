// Fuzz target for the expression readers: the floating-point and integer
// evaluators, program compilation and runs, and units in number writing.
// Every failure must come back as an error value with the value 0.
#include "numio.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// The tail must point into the text (its terminator included).
void require_tail(const std::string &text, const char *tail) {
  require(tail >= text.c_str() && tail <= text.c_str() + std::strlen(text.c_str()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  const char *tail = nullptr;
  int err = -1;

  const double d = num_str2double(text.c_str(), &tail, &err);
  require(err >= NumSuccess && err <= NumBadUnit);
  require(err == NumSuccess || d == 0);
  require_tail(text, tail);

  err = -1;
  const long l = num_str2long(text.c_str(), &tail, &err);
  require(err >= NumSuccess && err <= NumBadUnit);
  require(err == NumSuccess || l == 0);
  require(l >= -2147483647L - 1 && l <= 2147483647L);
  require_tail(text, tail);

  err = -1;
  NumProg *prog = num_str2prog("fuzz", text.c_str(), &tail, &err, 3, "x", "xy", "i1val");
  require_tail(text, tail);
  if (prog) {
    require(err == NumSuccess);
    require(num_searchprog("fuzz", &err) == prog);
    for (double x : {0.0, 1.0, -2.5, 1e308}) {
      const double r = num_runprog(prog, &err, x, x * 0.5, -x);
      require(err == NumSuccess || r == 0);
    }
    num_chkvar(prog, 2, &err);
    num_rmprog(prog, &err);
    require(err == NumSuccess);
  } else {
    require(err != NumSuccess);
  }
  require(num_searchprog("fuzz", &err) == nullptr);

  char buffer[64];
  err = -1;
  const char *written = num_double2str(buffer, sizeof buffer, 1.5, text.c_str(), 7, &err);
  require((written != nullptr) == (err == NumSuccess));
  if (written) require(std::strlen(buffer) < sizeof buffer);
  return 0;
}
