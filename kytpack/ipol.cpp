#include "ipol.h"

namespace {

constexpr int default_mode = IPOL_NORMAL;
constexpr int default_weight = IPOL_EQUAL;
constexpr float default_min = 0.5f;

struct IpolSettings {
  int mode = default_mode;
  int weight = default_weight;
  float min = default_min;
};

IpolSettings settings;

} // namespace

int Ipolmode(int mode) {
  if (mode == IPOL_NORMAL || mode == IPOL_ANTIALIASED) settings.mode = mode;
  return settings.mode;
}

const char *Ipolmode2str(int mode) {
  switch (mode) {
  case IPOL_NORMAL:
    return "normal";
  case IPOL_ANTIALIASED:
    return "antialiased";
  default:
    return "undefined";
  }
}

int Ipolweight(int method) {
  if (method == IPOL_EQUAL || method == IPOL_WEIGHTED) settings.weight = method;
  return settings.weight;
}

const char *Ipolweight2str(int method) {
  switch (method) {
  case IPOL_EQUAL:
    return "equal";
  case IPOL_WEIGHTED:
    return "weighted";
  default:
    return "undefined";
  }
}

float Ipolmin(float minimum) {
  // NaN fails the comparison and only queries, like a negative value.
  if (minimum >= 0.0f) settings.min = minimum;
  return settings.min;
}

void ipol_reset() {
  settings = IpolSettings{};
}
