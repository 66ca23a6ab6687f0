// Compiled expression programs: the process-wide registry, the accumulator
// stack machine, constant folding, and the program listings.
#include "gamma.h"
#include "numio.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <new>

namespace {

constexpr double pi = 3.141592653589793;

// Process-wide state of the module: the registry of programs, ordered by
// descending name, and the debug level. Built on first use.
struct NumState {
  std::map<std::string, std::unique_ptr<NumProg>, std::greater<>> registry;
  int debug = 0;
};

NumState &state() {
  static NumState s;
  return s;
}

struct CommandInfo {
  const char *name;
  int nargs;
};

// Name and number of operands of every command, indexed by command number.
constexpr CommandInfo commands[NUM_COMMANDS] = {
    {"Invalid", 0}, {"PUSHVAL", 0},   {"PUSHADDR", 0}, {"NEG", 1},    {"MUL", 2},
    {"NOT", 1},     {"EQU", 2},       {"NEQ", 2},      {"LE", 2},     {"LT", 2},
    {"GE", 2},      {"GT", 2},        {"AND", 2},      {"OR", 2},     {"IF", 3},
    {"DIV", 2},     {"FLOORDIV", 2},  {"REST", 2},     {"ADD", 2},    {"SUB", 2},
    {"RAD", 1},     {"DEG", 1},       {"PI", 0},       {"SIN", 1},    {"COS", 1},
    {"TAN", 1},     {"ASIN", 1},      {"ACOS", 1},     {"ATAN", 1},   {"ATAN2", 2},
    {"SINH", 1},    {"COSH", 1},      {"TANH", 1},     {"FLOOR", 1},  {"CEIL", 1},
    {"FABS", 1},    {"EXP", 1},       {"LOG", 1},      {"LOG10", 1},  {"POW", 2},
    {"SQRT", 1},    {"ROUND", 1},     {"GAMMA", 1},    {"FMIN", 2},   {"FMAX", 2},
    {"DEGC2K", 1},  {"K2DEGC", 1},    {"DEGF2K", 1},   {"K2DEGF", 1}, {"DEGK2K", 1},
    {"K2DEGK", 1},  {"DEGF2DEGC", 1}, {"DEGC2DEGF", 1}};

// Operands a command consumes; the machine trusts this table, not Nargs, so
// that a malformed instruction cannot reach outside the stack.
int arity(int command) {
  return command > NUM_INVALID && command < NUM_COMMANDS ? commands[command].nargs : 0;
}

double truth(bool b) {
  return b ? 1.0 : 0.0;
}

// a to the power b, defined for a < 0 only with integral b.
int power(double a, double b, double &result) {
  if (b == 0) {
    result = 1;
  } else if (a > 0 || (a < 0 && b == std::floor(b + 0.5))) {
    result = b > 0 ? std::pow(a, b) : 1 / std::pow(a, -b);
  } else if (a == 0) {
    if (b < 0) return NumDomainError;
    result = 0;
  } else if (a < 0) {
    return NumDomainError;
  } else {
    result = std::pow(a, b); // a is NaN
  }
  return NumSuccess;
}

// Computes command `cmd` on the operands a, b, c into `r`; returns an error
// value and leaves `r` alone on error.
inline int operate(int cmd, double a, double b, double c, double &r) {
  switch (cmd) {
  case NUM_NEG:
    r = -a;
    break;
  case NUM_MUL:
    r = a * b;
    break;
  case NUM_NOT:
    r = truth(a == 0);
    break;
  case NUM_EQU:
    r = truth(a == b);
    break;
  case NUM_NEQ:
    r = truth(a != b);
    break;
  case NUM_LE:
    r = truth(a <= b);
    break;
  case NUM_LT:
    r = truth(a < b);
    break;
  case NUM_GE:
    r = truth(a >= b);
    break;
  case NUM_GT:
    r = truth(a > b);
    break;
  case NUM_AND:
    r = truth(a != 0 && b != 0);
    break;
  case NUM_OR:
    r = truth(a != 0 || b != 0);
    break;
  case NUM_IF:
    r = a != 0 ? b : c;
    break;
  case NUM_DIV:
    if (b == 0) return NumDivByZero;
    r = a / b;
    break;
  case NUM_FLOORDIV:
    if (b == 0) return NumDivByZero;
    r = std::floor(a / b);
    break;
  case NUM_REST:
    if (b == 0) return NumDivByZero;
    r = a - b * std::floor(a / b);
    break;
  case NUM_ADD:
    r = a + b;
    break;
  case NUM_SUB:
    r = a - b;
    break;
  case NUM_RAD:
    r = a * pi / 180.0;
    break;
  case NUM_DEG:
    r = a * 180.0 / pi;
    break;
  case NUM_PI:
    r = pi;
    break;
  case NUM_SIN:
    r = std::sin(a);
    break;
  case NUM_COS:
    r = std::cos(a);
    break;
  case NUM_TAN:
    r = std::tan(a);
    break;
  case NUM_ASIN:
    if (std::fabs(a) > 1) return NumDomainError;
    r = std::asin(a);
    break;
  case NUM_ACOS:
    if (std::fabs(a) > 1) return NumDomainError;
    r = std::acos(a);
    break;
  case NUM_ATAN:
    r = std::atan(a);
    break;
  case NUM_ATAN2:
    r = std::atan2(a, b);
    break;
  case NUM_SINH:
    r = std::sinh(a);
    break;
  case NUM_COSH:
    r = std::cosh(a);
    break;
  case NUM_TANH:
    r = std::tanh(a);
    break;
  case NUM_FLOOR:
    r = std::floor(a);
    break;
  case NUM_CEIL:
    r = std::ceil(a);
    break;
  case NUM_FABS:
    r = std::fabs(a);
    break;
  case NUM_EXP:
    r = std::exp(a);
    break;
  case NUM_LOG:
    if (a <= 0) return NumDomainError;
    r = std::log(a);
    break;
  case NUM_LOG10:
    if (a <= 0) return NumDomainError;
    r = std::log10(a);
    break;
  case NUM_POW:
    return power(a, b, r);
  case NUM_SQRT:
    if (a < 0) return NumDomainError;
    r = std::sqrt(a);
    break;
  case NUM_ROUND:
    r = std::floor(a + 0.5);
    break;
  case NUM_GAMMA:
    r = gamma_function(a);
    break;
  case NUM_FMIN:
    r = a < b ? a : b;
    break;
  case NUM_FMAX:
    r = a > b ? a : b;
    break;
  case NUM_DEGC2K:
    r = a + 273.15;
    break;
  case NUM_K2DEGC:
    r = a - 273.15;
    break;
  case NUM_DEGF2K:
    r = (a - 32) * (5.0 / 9.0) + 273.15;
    break;
  case NUM_K2DEGF:
    r = (a - 273.15) * 1.8 + 32;
    break;
  case NUM_DEGK2K:
  case NUM_K2DEGK:
    r = a;
    break;
  case NUM_DEGF2DEGC:
    r = (a - 32) * (5.0 / 9.0);
    break;
  case NUM_DEGC2DEGF:
    r = a * 1.8 + 32;
    break;
  default:
    return NumNoInstruction;
  }
  return NumSuccess;
}

// Pushes `value`, reusing the accumulator above the top when there is one.
inline void push(NumProg &p, double value) {
  std::vector<NumAccu> &acc = p.AccumulatorList;
  const std::size_t d = p.CurrentAccumulator;
  if (d < acc.size()) {
    acc[d].Value = value;
  } else {
    acc.push_back(NumAccu{static_cast<long>(d + 1), value});
  }
  p.CurrentAccumulator = d + 1;
}

// Executes one instruction on the stack of `p`; returns an error value.
inline int execute(NumProg &p, const NumInstr &in) {
  const int cmd = in.Command;
  switch (cmd) {
  case NUM_PUSHVAL:
    push(p, in.Value);
    return NumSuccess;
  case NUM_PUSHADDR:
    if (!in.Address) return NumNoVariable;
    push(p, *in.Address);
    return NumSuccess;
  case NUM_PI:
    push(p, pi);
    return NumSuccess;
  default:
    break;
  }
  if (cmd <= NUM_INVALID || cmd >= NUM_COMMANDS) return NumNoInstruction;
  const std::size_t n = static_cast<std::size_t>(commands[cmd].nargs);
  const std::size_t d = p.CurrentAccumulator;
  if (d < n) return NumNoAccumulator;
  NumAccu *top = p.AccumulatorList.data() + d;
  NumAccu *first = top - n;
  const double a = first[0].Value;
  const double b = n > 1 ? first[1].Value : 0.0;
  const double c = n > 2 ? first[2].Value : 0.0;
  const int err = operate(cmd, a, b, c, first[0].Value);
  if (err == NumSuccess) p.CurrentAccumulator = d - n + 1;
  return err;
}

// Runs `list` from an empty stack, with the semantics of execute(). This loop
// runs once per pixel: the top of the stack is kept in a register and only
// written back to its accumulator when something is pushed above it or the
// run ends, and the frequent commands are written out.
int run_list(NumProg &p, const std::vector<NumInstr> &list) {
  std::vector<NumAccu> &acc = p.AccumulatorList;
  NumAccu *a = acc.data();
  std::size_t cap = acc.size();
  std::size_t d = 0; // depth; the value at depth d lives in `top`
  double top = 0;
  int err = NumSuccess;
  for (const NumInstr &in : list) {
    const int cmd = in.Command;
    if (cmd == NUM_PUSHVAL || cmd == NUM_PUSHADDR) {
      double v = in.Value;
      if (cmd == NUM_PUSHADDR) {
        if (!in.Address) {
          err = NumNoVariable;
          break;
        }
        v = *in.Address;
      }
      if (d == cap) [[unlikely]] {
        if (d > 0) a[d - 1].Value = top;
        p.CurrentAccumulator = d;
        push(p, v);
        a = acc.data();
        cap = acc.size();
      } else if (d > 0) {
        a[d - 1].Value = top;
      }
      top = v;
      ++d;
      continue;
    }
    if (d >= 2) {
      const double x = a[d - 2].Value;
      switch (cmd) {
      case NUM_ADD:
        top = x + top;
        --d;
        continue;
      case NUM_SUB:
        top = x - top;
        --d;
        continue;
      case NUM_MUL:
        top = x * top;
        --d;
        continue;
      case NUM_DIV:
        if (top != 0) {
          top = x / top;
          --d;
          continue;
        }
        break;
      default:
        break;
      }
    }
    // Everything else goes through the general step on the stored stack.
    if (d > 0) a[d - 1].Value = top;
    p.CurrentAccumulator = d;
    err = execute(p, in);
    a = acc.data();
    cap = acc.size();
    d = p.CurrentAccumulator;
    top = d > 0 ? a[d - 1].Value : 0;
    if (err != NumSuccess) break;
  }
  if (d > 0) a[d - 1].Value = top;
  p.CurrentAccumulator = d;
  return err;
}

void set(int *perrval, int errval) {
  if (perrval) *perrval = errval;
}

// The registry entry holding `program`, or end. Compares addresses only, so
// that a program already released is reported instead of being read.
auto find_registered(const NumProg *program) {
  auto &reg = state().registry;
  auto it = reg.begin();
  while (it != reg.end() && it->second.get() != program)
    ++it;
  return it;
}

// ------------------------------------------------------------------ listing

const char *const separator = "  - - - - - - - - - - - - - - - - - - - -\n";

void print_instruction(FILE *out, const NumInstr &in) {
  char line[128];
  const char *name = numprog_cmd2str(in.Command);
  if (in.Command == NUM_PUSHVAL) {
    std::snprintf(line, sizeof line, "%10s  %10g", name, in.Value);
  } else if (in.Command == NUM_PUSHADDR) {
    std::snprintf(line, sizeof line, "%10s *%10p", name, static_cast<void *>(in.Address));
  } else {
    std::snprintf(line, sizeof line, "%10s  %10s (%d args)", name, "", in.Nargs);
  }
  std::fprintf(out, "  %s\n", line);
}

// Neighbour line of a verbose listing: "(no previous variable)" or the name.
void print_link(FILE *out, const char *which, const char *what, const std::string *name) {
  if (name) {
    std::fprintf(out, "  %s %s = '%s'\n", which, what, name->c_str());
  } else {
    std::fprintf(out, "  (no %s %s)\n", which, what);
  }
}

void print_link(FILE *out, const char *which, const char *what, bool exists, long number) {
  if (exists) {
    std::fprintf(out, "  %s %s = #%ld\n", which, what, number);
  } else {
    std::fprintf(out, "  (no %s %s)\n", which, what);
  }
}

void print_instructions(FILE *out, const char *title, const std::vector<NumInstr> &list,
                        bool verbose) {
  std::fprintf(out, "  %s\n", title);
  for (std::size_t i = 0; i < list.size(); ++i) {
    print_instruction(out, list[i]);
    if (verbose) {
      print_link(out, "previous", "instruction", i > 0, static_cast<long>(i));
      print_link(out, "next", "instruction", i + 1 < list.size(), static_cast<long>(i + 2));
    }
  }
}

void print_program(FILE *out, const NumProg &p, int level, bool verbose, const std::string *prev,
                   const std::string *next) {
  std::fprintf(out, " Program             = '%s'\n", p.Name.c_str());
  if (verbose) {
    print_link(out, "previous", "program", prev);
    print_link(out, "next", "program", next);
  }
  if (level < 2) return;
  const auto &vars = p.VariableList;
  if (verbose) std::fputs(separator, out);
  for (std::size_t i = 0; i < vars.size(); ++i) {
    const NumVar &v = *vars[i];
    std::fprintf(out, "  '%s' = %lg = *%p\n", v.Key.c_str(), v.Value,
                 static_cast<const void *>(&v.Value));
    if (verbose) {
      print_link(out, "previous", "variable", i > 0 ? &vars[i - 1]->Key : nullptr);
      print_link(out, "next", "variable", i + 1 < vars.size() ? &vars[i + 1]->Key : nullptr);
    }
  }
  if (verbose) std::fputs(separator, out);
  print_instructions(out, "InstructionList", p.InstructionList, verbose);
  if (!p.CompiledList.empty()) {
    if (verbose) std::fputs(separator, out);
    print_instructions(out, "CompiledList", p.CompiledList, verbose);
  }
  if (verbose) std::fputs(separator, out);
  const auto &acc = p.AccumulatorList;
  for (std::size_t i = 0; i < acc.size(); ++i) {
    std::fprintf(out, "  Accumulator #%ld =", acc[i].Number);
    std::fprintf(out, " %lg\n", acc[i].Value);
    if (verbose) {
      print_link(out, "previous", "accumulator", i > 0, i > 0 ? acc[i - 1].Number : 0);
      print_link(out, "next", "accumulator", i + 1 < acc.size(),
                 i + 1 < acc.size() ? acc[i + 1].Number : 0);
    }
  }
  if (verbose) {
    if (p.CurrentAccumulator > 0) {
      std::fprintf(out, "  current accumulator = #%ld\n", acc[p.CurrentAccumulator - 1].Number);
    } else {
      std::fputs("  (no current accumulator)\n", out);
    }
  }
}

} // namespace

// ------------------------------------------------------------------- state

void numio_debug(int level) {
  state().debug = level;
}

int numio_debug_level() {
  return state().debug;
}

void numio_reset() {
  numprog_remove(nullptr);
  dpconstant_free();
  state().debug = 0;
}

// ------------------------------------------------------------ lower level

const char *numprog_cmd2str(int command) {
  return command >= 0 && command < NUM_COMMANDS ? commands[command].name : commands[0].name;
}

bool numprog_checkvar(const char *name) {
  if (!name) return false;
  if (!*name) return true;
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!letter(*name)) return false;
  for (const char *s = name + 1; *s; ++s) {
    if (!letter(*s) && !(*s >= '0' && *s <= '9')) return false;
  }
  return true;
}

NumProg *numprog_insert(std::unique_ptr<NumProg> program) {
  if (!program) return nullptr;
  try {
    auto [it, inserted] = state().registry.try_emplace(program->Name, nullptr);
    if (!inserted) return nullptr;
    it->second = std::move(program);
    return it->second.get();
  } catch (...) {
    return nullptr;
  }
}

NumProg *numprog_new(const char *Name) {
  if (!Name) return nullptr;
  try {
    numprog_remove(Name);
    auto program = std::make_unique<NumProg>();
    program->Name = Name;
    return numprog_insert(std::move(program));
  } catch (...) {
    return nullptr;
  }
}

NumProg *numprog_search(const char *Name) {
  if (!Name) return nullptr;
  auto &reg = state().registry;
  auto it = reg.find(std::string_view(Name));
  return it == reg.end() ? nullptr : it->second.get();
}

void numprog_free(NumProg *program) {
  if (!program) return;
  program->VariableList.clear();
  program->AccumulatorList.clear();
  program->CurrentAccumulator = 0;
  program->InstructionList.clear();
  program->CompiledList.clear();
}

int numprog_remove(const char *Name) {
  auto &reg = state().registry;
  if (!Name) {
    reg.clear();
    return 0;
  }
  auto it = reg.find(std::string_view(Name));
  if (it == reg.end()) return -1;
  reg.erase(it);
  return 0;
}

int numprog_append_variable(NumProg *program, const char *Key, double InitValue,
                            NumVar **pvariable) {
  if (pvariable) *pvariable = nullptr;
  if (!program) return NumProgramError;
  NumVar *existing = nullptr;
  if (!numprog_checkvar(Key) || numprog_search_variable(program, Key, &existing, 0) == 0) {
    return NumVariableError;
  }
  try {
    auto var = std::make_unique<NumVar>();
    var->Key = Key;
    var->Value = InitValue;
    program->VariableList.push_back(std::move(var));
  } catch (...) {
    return NumMemoryAllocationError;
  }
  if (pvariable) *pvariable = program->VariableList.back().get();
  return NumSuccess;
}

int numprog_search_variable(NumProg *program, const char *Key, NumVar **pvariable, int mode) {
  if (pvariable) *pvariable = nullptr;
  if (!program || !Key) return -1;
  NumVar *found = nullptr;
  for (const auto &var : program->VariableList) {
    const std::string &k = var->Key;
    if (mode == 0) {
      if (k == Key) {
        found = var.get();
        break;
      }
    } else if (std::strncmp(Key, k.c_str(), k.size()) == 0 &&
               (!found || k.size() > found->Key.size())) {
      found = var.get();
    }
  }
  if (!found) return -1;
  if (pvariable) *pvariable = found;
  return 0;
}

NumAccu *numprog_up_accumulator(NumProg *program, double Value) {
  if (!program) return nullptr;
  try {
    push(*program, Value);
  } catch (...) {
    return nullptr;
  }
  return &program->AccumulatorList[program->CurrentAccumulator - 1];
}

NumAccu *numprog_down_accumulator(NumProg *program) {
  if (!program || program->CurrentAccumulator == 0) return nullptr;
  --program->CurrentAccumulator;
  if (program->CurrentAccumulator == 0) return nullptr;
  return &program->AccumulatorList[program->CurrentAccumulator - 1];
}

int numprog_append_instruction(NumProg *program, int mode, int Command, int Nargs, double Value,
                               double *Address, NumInstr **pinstruction) {
  if (pinstruction) *pinstruction = nullptr;
  if (!program) return NumProgramError;
  std::vector<NumInstr> &list = mode == 0 ? program->InstructionList : program->CompiledList;
  try {
    list.push_back(NumInstr{Command, Nargs, Value, Address});
  } catch (...) {
    return NumMemoryAllocationError;
  }
  if (pinstruction) *pinstruction = &list.back();
  return NumSuccess;
}

int numprog_free_instruction_list(NumProg *program, int mode) {
  if (!program) return NumProgramError;
  (mode == 0 ? program->InstructionList : program->CompiledList).clear();
  return NumSuccess;
}

// ------------------------------------------------------------ the machine

void dpprogram_step(NumProg *program, const NumInstr *instruction, int *perrval) {
  if (!program) return set(perrval, NumProgramError);
  if (!instruction) return set(perrval, NumNoInstruction);
  try {
    set(perrval, execute(*program, *instruction));
  } catch (...) {
    set(perrval, NumNoAccumulator);
  }
}

double dpprogram_run(NumProg *program, int *perrval) {
  if (!program) {
    set(perrval, NumProgramError);
    return 0;
  }
  if (program->InstructionList.empty()) {
    set(perrval, NumNoInstruction);
    return 0;
  }
  int err;
  try {
    err = run_list(*program, program->InstructionList);
  } catch (...) {
    err = NumNoAccumulator;
  }
  if (err == NumSuccess && program->CurrentAccumulator == 0) err = NumNoAccumulator;
  set(perrval, err);
  return err == NumSuccess ? program->AccumulatorList[program->CurrentAccumulator - 1].Value : 0;
}

const NumInstr *dpprogram_optimize(NumProg *program, const NumInstr *firstinstruction,
                                   int *perrval) {
  set(perrval, NumSuccess);
  if (!program) {
    set(perrval, NumProgramError);
    return nullptr;
  }
  NumProg &p = *program;
  const NumInstr *end = p.InstructionList.data() + p.InstructionList.size();
  const NumInstr *in = firstinstruction;
  if (in && (in < p.InstructionList.data() || in >= end)) in = nullptr;
  try {
    // Accumulators up to depth w hold values that depend on variables.
    const std::size_t w = p.CurrentAccumulator;
    while (in && in->Command != NUM_PUSHADDR &&
           p.CurrentAccumulator + 1 > w + static_cast<std::size_t>(arity(in->Command))) {
      const int err = execute(p, *in);
      if (err != NumSuccess) {
        set(perrval, err);
        return in;
      }
      in = in + 1 < end ? in + 1 : nullptr;
    }
    for (std::size_t k = w; k < p.CurrentAccumulator; ++k) {
      p.CompiledList.push_back(NumInstr{NUM_PUSHVAL, 0, p.AccumulatorList[k].Value, nullptr});
    }
    if (!in) return nullptr;
    p.CompiledList.push_back(*in);
    if (in->Command == NUM_PUSHADDR) {
      push(p, in->Address ? *in->Address : 0.0);
    } else {
      const std::size_t n = static_cast<std::size_t>(arity(in->Command));
      if (n > p.CurrentAccumulator) {
        set(perrval, in->Command > NUM_INVALID && in->Command < NUM_COMMANDS ? NumNoAccumulator
                                                                             : NumNoInstruction);
        return in;
      }
      if (n == 0) {
        push(p, 0.0);
      } else {
        p.CurrentAccumulator -= n - 1;
      }
    }
  } catch (...) {
    set(perrval, NumMemoryAllocationError);
  }
  return in;
}

void dpprogram_compile(NumProg *program, int *perrval) {
  if (!program) return set(perrval, NumProgramError);
  NumProg &p = *program;
  if (p.InstructionList.empty()) return set(perrval, NumNoInstruction);
  p.CurrentAccumulator = 0;
  p.CompiledList.clear();
  const NumInstr *end = p.InstructionList.data() + p.InstructionList.size();
  const NumInstr *in = p.InstructionList.data();
  int err = NumSuccess;
  while (in) {
    const NumInstr *kept = dpprogram_optimize(program, in, &err);
    if (err != NumSuccess) break;
    in = kept && kept + 1 < end ? kept + 1 : nullptr;
    // A list that ends right after a kept instruction leaves nothing pending:
    // its result already sits at the depth that the compiled list will have.
  }
  if (err != NumSuccess) {
    p.CompiledList.clear();
    return set(perrval, err);
  }
  p.InstructionList.swap(p.CompiledList);
  p.CompiledList.clear();
  p.CompiledList.shrink_to_fit();
  set(perrval, NumSuccess);
}

// ---------------------------------------------------------------- programs

double num_runprog_values(NumProg *program, int *perrval, const double *values,
                          std::size_t nvalues) {
  if (!program) {
    set(perrval, NumProgramError);
    return 0;
  }
  auto &vars = program->VariableList;
  int err = NumSuccess;
  double result = 0;
  if (nvalues < vars.size()) {
    err = NumVariableError;
  } else {
    for (std::size_t i = 0; i < vars.size(); ++i)
      vars[i]->Value = values[i];
    result = dpprogram_run(program, &err);
  }
  if (err >= NumProgramError) {
    num_prog_print_list(stderr, program, 2, false);
  } else if (state().debug >= 3) {
    num_prog_print_list(stdout, program, 2, state().debug >= 4);
  }
  set(perrval, err);
  return result;
}

int num_chkvar(NumProg *program, int n, int *perrval) {
  if (!program) {
    set(perrval, NumProgramError);
    return 0;
  }
  if (n < 1 || static_cast<std::size_t>(n) > program->VariableList.size()) {
    set(perrval, NumNoVariable);
    return 0;
  }
  set(perrval, NumSuccess);
  return program->VariableList[static_cast<std::size_t>(n) - 1]->Used;
}

NumProg *num_searchprog(const char *name, int *perrval) {
  set(perrval, NumSuccess);
  return numprog_search(name);
}

void num_rmprog(NumProg *program, int *perrval) {
  auto it = find_registered(program);
  if (it == state().registry.end()) return set(perrval, NumProgramError);
  state().registry.erase(it);
  set(perrval, NumSuccess);
}

// ------------------------------------------------------ counting and listing

long num_prog_variables(const NumProg *program) {
  return program ? static_cast<long>(program->VariableList.size()) : 0;
}

long num_prog_accumulators(const NumProg *program) {
  return program ? static_cast<long>(program->AccumulatorList.size()) : 0;
}

long num_prog_instructions(const NumProg *program, int mode) {
  if (!program) return 0;
  const auto &list = mode == 1 || (mode == 2 && !program->CompiledList.empty())
                         ? program->CompiledList
                         : program->InstructionList;
  return static_cast<long>(list.size());
}

std::size_t num_prog_size(const NumProg *program) {
  if (!program) return 0;
  std::size_t size = sizeof(NumProg) + program->Name.size() + 1;
  for (const auto &var : program->VariableList)
    size += sizeof(NumVar) + var->Key.size() + 1;
  size += program->AccumulatorList.size() * sizeof(NumAccu);
  size += (program->InstructionList.size() + program->CompiledList.size()) * sizeof(NumInstr);
  return size;
}

std::size_t num_prog_size_all() {
  std::size_t size = 0;
  for (const auto &entry : state().registry)
    size += num_prog_size(entry.second.get());
  return size;
}

void num_prog_print_list(FILE *out, const NumProg *program, int level, bool verbose) {
  if (!out) return;
  if (program) {
    auto it = find_registered(program);
    auto &reg = state().registry;
    const std::string *prev = nullptr;
    const std::string *next = nullptr;
    if (it != reg.end()) {
      if (it != reg.begin()) prev = &std::prev(it)->first;
      if (std::next(it) != reg.end()) next = &std::next(it)->first;
    }
    print_program(out, *program, level, verbose, prev, next);
    return;
  }
  auto &reg = state().registry;
  if (reg.empty()) std::fputs(" (no programs)\n", out);
  for (auto it = reg.begin(); it != reg.end(); ++it) {
    const std::string *prev = it != reg.begin() ? &std::prev(it)->first : nullptr;
    const std::string *next = std::next(it) != reg.end() ? &std::next(it)->first : nullptr;
    if (verbose && it != reg.begin()) std::fputs(separator, out);
    print_program(out, *it->second, level, verbose, prev, next);
  }
}
