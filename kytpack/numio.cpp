// Numerical expressions: the constant and unit table, the floating-point and
// integer grammars, the translation into stack-machine instructions, and the
// writing of numbers into text.
#include "numio.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <string_view>

namespace {

constexpr const char *numio_version_text = "numio : V1.42 Marvane 2015-12-08";

constexpr double pi = 3.141592653589793;

// Nested primaries (parentheses, calls, casts) allowed before the text is
// refused, so that no input can exhaust the stack.
constexpr int max_nesting = 200;

// Largest number of significant digits that num_double2str writes.
constexpr int max_digits = 80;

const char *const error_messages[] = {
    "success",
    "memory allocation failed",
    "error scanning expression",
    "missing comma in expression",
    "bad parenthesis in expression",
    "expression is not a float number",
    "unknown float function in expression",
    "domain error",
    "expression is not an integer number",
    "integer overflow",
    "division by zero",
    "error writing value",
    "undefined variable",
    nullptr, // NumVariableError has no text of its own
    "error creating program",
    "unknown program instruction",
    "not enough program registers",
    "bad unit",
};
const char *const unknown_error = "unknown error value";

void set(int *perrval, int errval) {
  if (perrval) *perrval = errval;
}

bool is_white(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

const char *skip_white(const char *s) {
  while (is_white(*s))
    ++s;
  return s;
}

bool starts_with(const char *s, std::string_view prefix) {
  return std::strncmp(s, prefix.data(), prefix.size()) == 0;
}

// ---------------------------------------------------- constants and units

struct Constant {
  double value;
  std::string unit;     // SI unit of the value, for listings
  std::string quantity; // what it measures, for listings
};

// The table of named constants and units, built on first use.
struct ConstantTable {
  std::vector<std::string> order; // keys in insertion order, for the listing
  std::map<std::string, Constant, std::less<>> entries;
  std::size_t longest = 0;

  // A key inserted twice keeps the later value.
  void add(const std::string &key, double value, const char *unit, const char *quantity) {
    auto [it, inserted] = entries.insert_or_assign(key, Constant{value, unit, quantity});
    if (inserted) order.push_back(key);
    if (key.size() > longest) longest = key.size();
  }
};

std::unique_ptr<ConstantTable> constant_table;

struct Prefix {
  const char *text;
  double factor;
};

constexpr Prefix prefixes[] = {
    {"Y", 1e24}, {"Z", 1e21},  {"E", 1e18},  {"P", 1e15},  {"T", 1e12},  {"G", 1e9},  {"M", 1e6},
    {"k", 1e3},  {"h", 1e2},   {"", 1},      {"d", 1e-1},  {"c", 1e-2},  {"m", 1e-3}, {"u", 1e-6},
    {"n", 1e-9}, {"p", 1e-12}, {"f", 1e-15}, {"a", 1e-18}, {"z", 1e-21}, {"y", 1e-24}};

struct Unit {
  const char *key;
  double value;
  const char *unit;
  const char *quantity;
};

void fill_table(ConstantTable &t) {
  const Unit constants[] = {
      {"inf", DBL_MAX, "", "infinity"},
      {"gamma", 0.5772156649015329, "", "Euler-Mascheroni constant"},
      {"pi", pi, "", "pi"},
      {"e", 2.718281828459045, "", "Euler number"},
      {"k", 1.3806505e-23, "J/K", "Boltzmann constant"},
      {"me", 9.1093826e-31, "kg", "electron rest mass"},
      {"mp", 1.67262171e-27, "kg", "proton rest mass"},
      {"md", 3.34358335e-27, "kg", "deuteron rest mass"},
      {"mn", 1.67492728e-27, "kg", "neutron rest mass"},
      {"NA", 6.0221415e23, "1/mol", "Avogadro number"},
      {"re", 2.817940325e-15, "m", "classical electron radius"},
      {"c", 299792458, "m/s", "velocity of light"},
      {"ec", 1.60217653e-19, "C", "electron charge"},
      {"h", 6.6260693e-34, "J*s", "Planck constant"},
      {"gN", 6.6742e-11, "m3/kg/s2", "gravitational constant"},
      {"ga", 9.80665, "m/s2", "gravitational acceleration"},
      {"u0", 1.2566370614359173e-06, "H/m", "permeability of vacuum"},
      {"e0", 8.854187817620389e-12, "F/m", "permittivity of vacuum"},
  };
  for (const Unit &u : constants)
    t.add(u.key, u.value, u.unit, u.quantity);

  const double deg = pi / 180;
  const double gon = pi / 200;
  const Unit units[] = {
      {"rad", 1, "rad", "angle"},
      {"mrad", 0.001, "rad", "angle"},
      {"urad", 1e-6, "rad", "angle"},
      {"deg", deg, "rad", "angle"},
      {"mdeg", deg * 1e-3, "rad", "angle"},
      {"udeg", deg * 1e-6, "rad", "angle"},
      {"gon", gon, "rad", "angle"},
      {"mgon", gon * 1e-3, "rad", "angle"},
      {"ugon", gon * 1e-6, "rad", "angle"},
      {"arcmin", pi / 10800, "rad", "angle"},
      {"arcsec", pi / 648000, "rad", "angle"},
      {"sr", 1, "sr", "spherical angle"},
      {"min", 60, "s", "time"},
      {"hr", 3600, "s", "time"},
      {"d", 86400, "s", "time"},
      {"in", 0.0254, "m", "length"},
      {"ft", 0.3048, "m", "length"},
      {"yd", 0.9144, "m", "length"},
      {"mile", 1609.344, "m", "length"},
      {"sm", 1852, "m", "length"},
      {"nmi", 1852, "m", "length"},
      {"NM", 1852, "m", "length"},
      {"Ao", 1e-10, "m", "length"},
      {"kn", 1852.0 / 3600.0, "m/s", "speed"},
      {"b", 1e-28, "m2", "area"},
      {"a", 100, "m2", "area"},
      {"ha", 10000, "m2", "area"},
      {"lb", 0.45359237, "kg", "mass"},
      {"oz", 0.0283495, "kg", "mass"},
      {"amu", 1.66053886e-27, "kg", "mass"},
      {"erg", 1e-7, "J", "energy"},
      {"K", 1, "K", "temperature"},
      {"degK", 1, "K", "temperature"},
      {"degC", 1, "K", "temperature"},
      {"mK", 0.001, "K", "temperature"},
      {"uK", 1e-6, "K", "temperature"},
      {"degF", 5.0 / 9.0, "K", "temperature"},
      {"p", 0.00980665, "N", "force"},
      {"lbf", 4.4482216152605, "N", "force"},
      {"pdl", 0.138255, "N", "force"},
      {"dyn", 1e-5, "N", "force"},
      {"atm", 101325, "Pa", "pressure"},
      {"at", 98066.5, "Pa", "pressure"},
      {"psi", 6894.757293168361, "Pa", "pressure"},
      {"Torr", 133.3224, "Pa", "pressure"},
      {"Byte", 1, "Byte", "information"},
      {"B", 1, "Byte", "information"},
  };
  for (const Unit &u : units)
    t.add(u.key, u.value, u.unit, u.quantity);

  // Information units: decimal and binary multiples of the byte.
  const char *const decimal[] = {"k", "M", "G", "T", "P", "E", "Z", "Y"};
  const char *const binary[] = {"Ki", "Mi", "Gi", "Ti", "Pi", "Ei", "Zi", "Yi"};
  const double powers_of_ten[] = {1e3, 1e6, 1e9, 1e12, 1e15, 1e18, 1e21, 1e24};
  for (int i = 0; i < 8; ++i) {
    const double two_power = std::ldexp(1.0, 10 * (i + 1));
    for (const char *byte : {"Byte", "B"}) {
      t.add(std::string(decimal[i]) + byte, powers_of_ten[i], "Byte", "information");
      t.add(std::string(binary[i]) + byte, two_power, "Byte", "information");
    }
  }

  // Units that take every prefix.
  const Unit prefixed[] = {
      {"C", 1, "C", "electric charge"},
      {"V", 1, "V", "voltage"},
      {"F", 1, "F", "electric capacity"},
      {"Ohm", 1, "Ohm", "electric resistance"},
      {"S", 1, "S", "electric conductivity"},
      {"T", 1, "T", "magnetic induction"},
      {"G", 1e-4, "T", "magnetic induction"},
      {"Wb", 1, "Wb", "magnetic flux"},
      {"H", 1, "H", "magnetic inductivity"},
      {"A", 1, "A", "electric current"},
      {"s", 1, "s", "time"},
      {"Hz", 1, "Hz", "frequency"},
      {"m", 1, "m", "length"},
      {"l", 0.001, "m3", "volume"},
      {"g", 0.001, "kg", "mass"},
      {"mol", 1, "mol", "molecular amount"},
      {"J", 1, "J", "energy"},
      {"eV", 1.60217653e-19, "J", "energy"},
      {"cal", 4.1868, "J", "energy"},
      {"W", 1, "W", "power"},
      {"N", 1, "N", "force"},
      {"Pa", 1, "Pa", "pressure"},
      {"bar", 1e5, "Pa", "pressure"},
  };
  for (const Unit &u : prefixed) {
    for (const Prefix &p : prefixes) {
      t.add(std::string(p.text) + u.key, u.value * p.factor, u.unit, u.quantity);
    }
  }
  // Squared and cubed units.
  for (const Prefix &p : prefixes) {
    const double f2 = p.factor * p.factor;
    t.add(std::string(p.text) + "s2", f2, "s2", "time squared");
    t.add(std::string(p.text) + "m2", f2, "m2", "area");
    t.add(std::string(p.text) + "m3", f2 * p.factor, "m3", "volume");
  }
}

// The listing forms of a table entry: key, value, then unit and quantity as
// far as present.
void print_entry(const char *key, double value, const Constant &c, bool lookup) {
  const bool unit = !c.unit.empty();
  const bool quantity = !c.quantity.empty();
  if (lookup) {
    if (unit && quantity) {
      std::printf("  %s = %.15g %s (%s)\n", key, value, c.unit.c_str(), c.quantity.c_str());
    } else if (quantity) {
      std::printf("  %s = %.15g (%s)\n", key, value, c.quantity.c_str());
    } else if (unit) {
      std::printf("  %s = %.15g %s\n", key, value, c.unit.c_str());
    } else {
      std::printf("  %s = %.15g\n", key, value);
    }
  } else if (unit && quantity) {
    std::printf("   '%s' = %lg %s (%s)\n", key, value, c.unit.c_str(), c.quantity.c_str());
  } else if (quantity) {
    std::printf("   '%s' = %lg (%s)\n", key, value, c.quantity.c_str());
  } else if (unit) {
    std::printf("   '%s' = %lg %s\n", key, value, c.unit.c_str());
  } else {
    std::printf("   '%s' = %lg\n", key, value);
  }
}

const ConstantTable &table() {
  if (!constant_table) {
    auto t = std::make_unique<ConstantTable>();
    fill_table(*t);
    constant_table = std::move(t);
    if (numio_debug_level() >= 2) {
      for (const std::string &key : constant_table->order) {
        const Constant &c = constant_table->entries.find(key)->second;
        print_entry(key.c_str(), c.value, c, false);
      }
    }
  }
  return *constant_table;
}

// The longest key of the table that is a prefix of `s`: its length (0 when
// there is none) and value.
std::size_t lookup_constant(const char *s, double &value) {
  const ConstantTable &t = table();
  std::size_t avail = 0;
  while (avail < t.longest && s[avail])
    ++avail;
  for (std::size_t len = avail; len > 0; --len) {
    auto it = t.entries.find(std::string_view(s, len));
    if (it != t.entries.end()) {
      value = it->second.value;
      if (numio_debug_level() >= 1) print_entry(it->first.c_str(), value, it->second, true);
      return len;
    }
  }
  return 0;
}

// -------------------------------------------------------------- translation

struct Function {
  std::string_view name; // with its "("
  int command;
  int nargs;
};

// Tried in this order, each as a prefix of the text.
constexpr Function functions[] = {
    {"rad(", NUM_RAD, 1},
    {"deg(", NUM_DEG, 1},
    {"pi(", NUM_PI, 0},
    {"sin(", NUM_SIN, 1},
    {"cos(", NUM_COS, 1},
    {"tan(", NUM_TAN, 1},
    {"asin(", NUM_ASIN, 1},
    {"acos(", NUM_ACOS, 1},
    {"atan(", NUM_ATAN, 1},
    {"atan2(", NUM_ATAN2, 2},
    {"sinh(", NUM_SINH, 1},
    {"cosh(", NUM_COSH, 1},
    {"tanh(", NUM_TANH, 1},
    {"floor(", NUM_FLOOR, 1},
    {"ceil(", NUM_CEIL, 1},
    {"abs(", NUM_FABS, 1},
    {"exp(", NUM_EXP, 1},
    {"log(", NUM_LOG, 1},
    {"log10(", NUM_LOG10, 1},
    {"pow(", NUM_POW, 2},
    {"sqrt(", NUM_SQRT, 1},
    {"round(", NUM_ROUND, 1},
    {"gamma(", NUM_GAMMA, 1},
    {"min(", NUM_FMIN, 2},
    {"max(", NUM_FMAX, 2},
    {"degC2K(", NUM_DEGC2K, 1},
    {"K2degC(", NUM_K2DEGC, 1},
    {"degF2K(", NUM_DEGF2K, 1},
    {"K2degF(", NUM_K2DEGF, 1},
    {"degK2K(", NUM_DEGK2K, 1},
    {"K2degK(", NUM_K2DEGK, 1},
    {"degF2degC(", NUM_DEGF2DEGC, 1},
    {"degC2degF(", NUM_DEGC2DEGF, 1},
};

// Characters of a function name: "0" to "8", "A" to "Y", "a" to "y".
bool is_name_char(char c) {
  return (c >= '0' && c <= '8') || (c >= 'A' && c <= 'Y') || (c >= 'a' && c <= 'y');
}

// True when `s` starts a function call: a run of name characters directly
// followed by "(".
bool is_call(const char *s) {
  const char *e = s;
  while (is_name_char(*e))
    ++e;
  return e > s && *e == '(';
}

bool in_int_range(double v) {
  return v >= -2147483648.0 && v <= 2147483647.0;
}

// Prints the listing of a temporary program after an evaluation: on standard
// error after a program fault, at debug level 3 on standard output.
void report(const NumProg &prog, int err) {
  if (err >= NumProgramError) {
    num_prog_print_list(stderr, &prog, 2, false);
  } else if (numio_debug_level() >= 3) {
    num_prog_print_list(stdout, &prog, 2, numio_debug_level() >= 4);
  }
}

// Reads one expression text. The floating-point rules append instructions to
// `prog`; the integer rules compute their value directly. `s` is the parse
// position and stays where parsing stopped.
class Parser {
public:
  Parser(const char *text, NumProg *prog, int *nesting) : s(text), prog_(prog), nesting_(nesting) {}

  const char *s;

  // conditional := or [ "?" or ":" or ]
  int conditional(int level) {
    if (int err = logical_or(level)) return err;
    if (*s != '?') return NumSuccess;
    ++s;
    if (int err = logical_or(level)) return err;
    if (*s != ':') return NumScanError;
    ++s;
    if (int err = logical_or(level)) return err;
    return emit(NUM_IF, 3);
  }

  // integer expression := [ "+" | "-" ] iterm { ( "+" | "-" ) iterm }, ended by
  // the end of the text, ",", ";", ")" or white space
  int int_expression(int level, long long &v) {
    const char sign = *s;
    if (sign == '+' || sign == '-') ++s;
    if (int err = int_term(level, v)) return err;
    if (sign == '-') v = -v;
    if (!in_int_range(static_cast<double>(v))) return NumIntegerOverflow;
    while (*s == '+' || *s == '-') {
      const char op = *s++;
      long long w = 0;
      if (int err = int_term(level, w)) return err;
      v = op == '+' ? v + w : v - w;
      if (!in_int_range(static_cast<double>(v))) return NumIntegerOverflow;
    }
    const char c = *s;
    if (c == ')') return level == 0 ? NumBadParenthesis : NumSuccess;
    if (c == '\0' || c == ',' || c == ';' || is_white(c)) return NumSuccess;
    return NumScanError;
  }

private:
  NumProg *prog_;
  int *nesting_; // nested primaries of the whole evaluation

  int emit(int command, int nargs, double value = 0.0, double *address = nullptr) {
    return numprog_append_instruction(prog_, 0, command, nargs, value, address, nullptr);
  }

  // Guards one nested primary against unbounded recursion.
  struct Nest {
    explicit Nest(int *n) : n_(n) { ++*n_; }
    ~Nest() { --*n_; }
    Nest(const Nest &) = delete;
    Nest &operator=(const Nest &) = delete;
    bool too_deep() const { return *n_ > max_nesting; }
    int *n_;
  };

  // or := and { "||" and }
  int logical_or(int level) {
    if (int err = logical_and(level)) return err;
    while (s[0] == '|' && s[1] == '|') {
      s += 2;
      if (int err = logical_and(level)) return err;
      if (int err = emit(NUM_OR, 2)) return err;
    }
    return NumSuccess;
  }

  // and := equality { "&&" equality }
  int logical_and(int level) {
    if (int err = equality(level)) return err;
    while (s[0] == '&' && s[1] == '&') {
      s += 2;
      if (int err = equality(level)) return err;
      if (int err = emit(NUM_AND, 2)) return err;
    }
    return NumSuccess;
  }

  // equality := relational [ ( "==" | "!=" ) relational ]
  int equality(int level) {
    if (int err = relational(level)) return err;
    int command = NUM_INVALID;
    if (s[0] == '=' && s[1] == '=') command = NUM_EQU;
    if (s[0] == '!' && s[1] == '=') command = NUM_NEQ;
    if (command == NUM_INVALID) return NumSuccess;
    s += 2;
    if (int err = relational(level)) return err;
    return emit(command, 2);
  }

  // relational := additive [ ( "<=" | "<" | ">=" | ">" ) additive ]
  int relational(int level) {
    if (int err = additive(level)) return err;
    int command = NUM_INVALID;
    std::size_t len = 1;
    if (s[0] == '<') command = s[1] == '=' ? NUM_LE : NUM_LT;
    if (s[0] == '>') command = s[1] == '=' ? NUM_GE : NUM_GT;
    if (command == NUM_INVALID) return NumSuccess;
    if (s[1] == '=') len = 2;
    s += len;
    if (int err = additive(level)) return err;
    return emit(command, 2);
  }

  // additive := [ "+" | "-" ] term { ( "+" | "-" ) term }; the leading sign
  // applies to the whole first term
  int additive(int level) {
    const char sign = *s;
    if (sign == '+' || sign == '-') ++s;
    if (int err = term(level)) return err;
    if (sign == '-') {
      if (int err = emit(NUM_NEG, 1)) return err;
    }
    while (*s == '+' || *s == '-') {
      const int command = *s++ == '+' ? NUM_ADD : NUM_SUB;
      if (int err = term(level)) return err;
      if (int err = emit(command, 2)) return err;
    }
    if (*s == ')' && level == 0) return NumBadParenthesis;
    return NumSuccess;
  }

  // term := negation { ( "*" | "//" | "/" | "%" ) negation }
  int term(int level) {
    if (int err = negation(level)) return err;
    for (;;) {
      int command;
      if (s[0] == '*') {
        command = NUM_MUL;
        s += 1;
      } else if (s[0] == '/' && s[1] == '/') {
        command = NUM_FLOORDIV;
        s += 2;
      } else if (s[0] == '/') {
        command = NUM_DIV;
        s += 1;
      } else if (s[0] == '%') {
        command = NUM_REST;
        s += 1;
      } else {
        return NumSuccess;
      }
      if (int err = negation(level)) return err;
      if (int err = emit(command, 2)) return err;
    }
  }

  // negation := [ "!" ] unit_product
  int negation(int level) {
    if (*s != '!') return unit_product(level);
    ++s;
    if (int err = unit_product(level)) return err;
    return emit(NUM_NOT, 1);
  }

public:
  // unit_product := primary { "_" primary }
  int unit_product(int level) {
    if (int err = primary(level)) return err;
    while (*s == '_') {
      ++s;
      if (int err = primary(level)) return err;
      if (int err = emit(NUM_MUL, 2)) return err;
    }
    return NumSuccess;
  }

  // call := name "(" [ conditional { "," conditional } ] ")"
  int call(int level) {
    const Function *f = nullptr;
    for (const Function &candidate : functions) {
      if (starts_with(s, candidate.name)) {
        f = &candidate;
        break;
      }
    }
    if (!f) return NumNoFloatFunction;
    s += f->name.size();
    for (int i = 0; i < f->nargs; ++i) {
      if (i > 0) {
        if (*s != ',') return NumCommaExpected;
        ++s;
      }
      if (int err = conditional(level + 1)) return err;
    }
    if (*s != ')') return NumBadParenthesis;
    ++s;
    return emit(f->command, f->nargs);
  }

private:
  // primary := "(double)" int_factor | "(" conditional ")" | number | call
  //          | "_" variable | constant
  int primary(int level) {
    Nest nest(nesting_);
    if (nest.too_deep()) return NumScanError;
    const char c = *s;
    if (starts_with(s, "(double)")) {
      s += 8;
      long long v = 0;
      if (int err = int_factor(0, v)) return err;
      return emit(NUM_PUSHVAL, 0, static_cast<double>(v));
    }
    if (c == '(') {
      ++s;
      if (int err = conditional(level + 1)) return err;
      if (*s != ')') return NumBadParenthesis;
      ++s;
      return NumSuccess;
    }
    if ((c >= '0' && c <= '9') || c == '.') {
      char *end = nullptr;
      const double v = std::strtod(s, &end);
      if (end == s) return NumNoFloatNumber;
      s = end;
      return emit(NUM_PUSHVAL, 0, v);
    }
    if (is_call(s)) return call(level);
    if (c == '_') {
      NumVar *var = nullptr;
      if (numprog_search_variable(prog_, s + 1, &var, 1) != 0) return NumNoVariable;
      ++var->Used;
      s += 1 + var->Key.size();
      return emit(NUM_PUSHADDR, 0, 0.0, &var->Value);
    }
    double v = 0;
    const std::size_t len = lookup_constant(s, v);
    if (len == 0) return NumNoFloatNumber;
    s += len;
    return emit(NUM_PUSHVAL, 0, v);
  }

  // iterm := int_factor { ( "*" | "/" | "%" ) int_factor }
  int int_term(int level, long long &v) {
    if (int err = int_factor(level, v)) return err;
    while (*s == '*' || *s == '/' || *s == '%') {
      const char op = *s++;
      long long w = 0;
      if (int err = int_factor(level, w)) return err;
      if (op == '*') {
        v *= w;
      } else {
        if (w == 0) return NumDivByZero;
        v = op == '/' ? v / w : v % w;
      }
      if (!in_int_range(static_cast<double>(v))) return NumIntegerOverflow;
    }
    return NumSuccess;
  }

  enum class Rounding { truncate, nearest };

  // Translates one floating-point unit product (or call) into a temporary
  // program of its own, runs it and converts the value to an integer.
  int float_factor(bool call_only, Rounding rounding, long long &v) {
    NumProg tmp;
    tmp.Name = "lvfactor";
    Parser sub(s, &tmp, nesting_);
    int err = call_only ? sub.call(0) : sub.unit_product(0);
    s = sub.s;
    double x = 0;
    if (err == NumSuccess) x = dpprogram_run(&tmp, &err);
    report(tmp, err);
    if (err != NumSuccess) return err;
    return to_integer(x, rounding, v);
  }

  static int to_integer(double x, Rounding rounding, long long &v) {
    const double r = rounding == Rounding::truncate ? std::trunc(x) : std::floor(x + 0.5);
    if (!in_int_range(r)) return NumIntegerOverflow;
    v = static_cast<long long>(r);
    return NumSuccess;
  }

  // int_factor := "(long int)" unit_product | "(round)" unit_product
  //             | "(" int_expression ")" | digits | call | word | constant
  int int_factor(int level, long long &v) {
    Nest nest(nesting_);
    if (nest.too_deep()) return NumScanError;
    if (starts_with(s, "(long int)")) {
      s += 10;
      return float_factor(false, Rounding::truncate, v);
    }
    if (starts_with(s, "(round)")) {
      s += 7;
      return float_factor(false, Rounding::nearest, v);
    }
    const char c = *s;
    if (c == '(') {
      ++s;
      if (int err = int_expression(level + 1, v)) return err;
      if (*s != ')') return NumBadParenthesis;
      ++s;
      return NumSuccess;
    }
    if (c >= '0' && c <= '9') {
      char *end = nullptr;
      errno = 0;
      const long long n = std::strtoll(s, &end, 10);
      const bool overflow = errno == ERANGE;
      s = end;
      // 2147483648 itself is read so that a leading "-" can take it.
      if (overflow || n > 2147483648LL) return NumIntegerOverflow;
      v = n;
      return NumSuccess;
    }
    if (is_call(s)) return float_factor(true, Rounding::nearest, v);
    struct Word {
      std::string_view text;
      long long value;
    };
    constexpr Word words[] = {{"true", 1}, {"false", 0}, {"yes", 1}, {"no", 0}};
    for (const Word &word : words) {
      if (num_strncasecmp(s, word.text.data(), word.text.size()) == 0) {
        s += word.text.size();
        v = word.value;
        return NumSuccess;
      }
    }
    double x = 0;
    const std::size_t len = lookup_constant(s, x);
    if (len == 0) return NumNoIntegerNumber;
    s += len;
    return to_integer(x, Rounding::nearest, v);
  }
};

// Copies `text` into the caller's buffer, cut to buflen-1 characters; true
// when it fitted completely.
bool copy_out(char *buffer, std::size_t buflen, std::string_view text) {
  const std::size_t n = text.size() < buflen - 1 ? text.size() : buflen - 1;
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return n == text.size();
}

std::string format_number(double value, int ndigits) {
  char text[512];
  if (ndigits == 0) {
    std::snprintf(text, sizeof text, "%g", value);
  } else {
    const long long n = ndigits < 0 ? -static_cast<long long>(ndigits) : ndigits;
    const int digits = n > max_digits ? max_digits : static_cast<int>(n);
    std::snprintf(text, sizeof text, "%.*g", digits, value);
  }
  return text;
}

} // namespace

// ------------------------------------------------------------- evaluators

double num_str2double(const char *str, const char **tail, int *perrval) {
  const char *s = skip_white(str ? str : "");
  if (tail) *tail = s;
  int err = NumSuccess;
  double value = 0;
  try {
    // A private program: evaluating never disturbs a registered program.
    NumProg prog;
    prog.Name = "str2double";
    int nesting = 0;
    Parser parser(s, &prog, &nesting);
    err = parser.conditional(0);
    if (tail) *tail = parser.s;
    if (err == NumSuccess) value = dpprogram_run(&prog, &err);
    report(prog, err);
  } catch (...) {
    err = NumMemoryAllocationError;
  }
  set(perrval, err);
  return err == NumSuccess ? value : 0;
}

long num_str2long(const char *str, const char **tail, int *perrval) {
  const char *s = skip_white(str ? str : "");
  if (tail) *tail = s;
  int err = NumSuccess;
  long long value = 0;
  try {
    int nesting = 0;
    Parser parser(s, nullptr, &nesting);
    err = parser.int_expression(0, value);
    if (tail) *tail = parser.s;
  } catch (...) {
    err = NumMemoryAllocationError;
  }
  set(perrval, err);
  return err == NumSuccess ? static_cast<long>(value) : 0;
}

NumProg *num_str2prog_names(const char *name, const char *str, const char **tail, int *perrval,
                            int nvar, const char *const *names) {
  const char *s = skip_white(str ? str : "");
  if (tail) *tail = s;
  if (!name) {
    set(perrval, NumProgramError);
    return nullptr;
  }
  NumProg *prog = nullptr;
  int err = NumSuccess;
  try {
    prog = numprog_new(name);
    if (!prog) {
      set(perrval, NumProgramError);
      return nullptr;
    }
    for (int i = 0; i < nvar && err == NumSuccess; ++i) {
      if (!names || numprog_append_variable(prog, names[i], 1.0, nullptr) != NumSuccess) {
        err = NumVariableError;
      }
    }
    if (err == NumSuccess) {
      int nesting = 0;
      Parser parser(s, prog, &nesting);
      err = parser.conditional(0);
      if (tail) *tail = parser.s;
    }
    if (err == NumSuccess) dpprogram_compile(prog, &err);
    report(*prog, err);
  } catch (...) {
    err = NumMemoryAllocationError;
  }
  if (err != NumSuccess) {
    int ignored = 0;
    if (prog) num_rmprog(prog, &ignored);
    set(perrval, err);
    return nullptr;
  }
  set(perrval, NumSuccess);
  return prog;
}

// ------------------------------------------------------------- formatting

char *num_errval2str(char *buffer, std::size_t buflen, int errval) {
  if (!buffer || buflen == 0) return nullptr;
  const char *text = unknown_error;
  if (errval >= 0 && errval < static_cast<int>(std::size(error_messages)) &&
      error_messages[errval]) {
    text = error_messages[errval];
  }
  copy_out(buffer, buflen, text);
  return buffer;
}

char *num_double2str(char *buffer, std::size_t buflen, double value, const char *unit, int ndigits,
                     int *perrval) {
  if (!buffer || buflen == 0) {
    set(perrval, NumWriteError);
    return nullptr;
  }
  buffer[0] = '\0';
  try {
    std::string text;
    if (!unit || !*unit) {
      text = format_number(value, ndigits);
    } else {
      int err = NumSuccess;
      const char *rest = nullptr;
      const double factor = num_str2double(unit, &rest, &err);
      if (err == NumSuccess && *skip_white(rest) != '\0') err = NumBadUnit;
      if (err == NumSuccess && factor == 0) err = NumDivByZero;
      if (err != NumSuccess) {
        set(perrval, err);
        return nullptr;
      }
      // A unit that is more than a factor (it gives something for 0, or
      // cannot stand after "0_") is written in parentheses.
      int offset_err = NumSuccess;
      const std::string zero = std::string("0_") + skip_white(unit);
      const double offset = num_str2double(zero.c_str(), nullptr, &offset_err);
      const bool parens = offset_err != NumSuccess || offset != 0;
      text = format_number(value / factor, ndigits) + (parens ? "_(" : "_") + unit +
             (parens ? ")" : "");
    }
    if (text.size() >= buflen) {
      set(perrval, NumWriteError);
      return nullptr;
    }
    copy_out(buffer, buflen, text);
  } catch (...) {
    set(perrval, NumMemoryAllocationError);
    return nullptr;
  }
  set(perrval, NumSuccess);
  return buffer;
}

namespace {

// Writes an integer text made by `format` into the caller's buffer; a cut text
// is written but reported as NumWriteError.
template <typename T>
char *write_integer(char *buffer, std::size_t buflen, const char *format, T value, int *perrval) {
  if (!buffer || buflen == 0) {
    set(perrval, NumWriteError);
    return nullptr;
  }
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  set(perrval, copy_out(buffer, buflen, text) ? NumSuccess : NumWriteError);
  return buffer;
}

} // namespace

char *num_long2str(char *buffer, std::size_t buflen, long value, int *perrval) {
  return write_integer(buffer, buflen, "%ld", value, perrval);
}

char *num_long2hex(char *buffer, std::size_t buflen, long value, int *perrval) {
  return write_integer(buffer, buflen, "0x%lx", static_cast<unsigned long>(value), perrval);
}

char *num_double2hex(char *buffer, std::size_t buflen, double value, int ndigits, int *perrval) {
  if (!buffer || buflen == 0) {
    set(perrval, NumWriteError);
    return nullptr;
  }
  buffer[0] = '\0';
  const bool negative = value < 0;
  if (!std::isfinite(value) || buflen < (negative ? 5u : 4u)) {
    set(perrval, NumWriteError);
    return nullptr;
  }
  double v = std::fabs(value);
  // Highest power of 16 not above v, at least 16^0.
  int top = 0;
  while (top < 256 && v >= std::ldexp(1.0, 4 * (top + 1)))
    ++top;
  const long long n = ndigits < 0 ? -static_cast<long long>(ndigits) : ndigits;
  const long long lowest = std::min(0LL, top - n + 1);
  std::size_t len = 0;
  const std::size_t room = buflen - 1;
  bool complete = true;
  auto put = [&](char c) {
    if (len < room) {
      buffer[len++] = c;
    } else {
      complete = false;
    }
  };
  if (negative) put('-');
  put('0');
  put('x');
  double scaled = std::ldexp(v, -4 * top); // in [0, 16)
  for (long long weight = top; weight >= lowest && complete; --weight) {
    if (weight == -1) put('.');
    int digit = static_cast<int>(std::floor(scaled));
    if (digit > 15) digit = 15;
    put("0123456789abcdef"[digit]);
    scaled = (scaled - digit) * 16;
  }
  buffer[len] = '\0';
  set(perrval, complete ? NumSuccess : NumWriteError);
  return buffer;
}

int num_strncasecmp(const char *s1, const char *s2, std::size_t n) {
  if (!s1) s1 = "";
  if (!s2) s2 = "";
  for (std::size_t i = 0; i < n; ++i) {
    const int c1 = std::tolower(static_cast<unsigned char>(s1[i]));
    const int c2 = std::tolower(static_cast<unsigned char>(s2[i]));
    if (c1 != c2) return c1 - c2;
    if (c1 == 0) break;
  }
  return 0;
}

const char *numio_version() {
  return numio_version_text;
}

void dpconstant_free() {
  constant_table.reset();
}
