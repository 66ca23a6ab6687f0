// Numerical expressions: every number the user gives, and every header value
// read back, is an expression with constants, units and functions.
//
// The floating-point evaluator translates a text into instructions for a small
// accumulator stack machine and runs them; the same translation, kept with
// named variables and with every variable-free part folded into constants,
// forms the compiled programs that are run once per pixel. The integer
// evaluator reads 32-bit integer arithmetic whose factors may call into the
// floating-point side. The module also writes numbers back into text.
//
// Every public function reports through an error value (`NumSuccess` or one
// of the values below), never by exception, and never ends the process.
// Texts in are `const char *` (none counts as the empty text); texts out go
// into a caller's buffer of `buflen` bytes.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

// Error values; `num_errval2str` gives their messages.
enum NumErrorValue : int {
  NumSuccess = 0,
  NumMemoryAllocationError = 1,
  NumScanError = 2,
  NumCommaExpected = 3,
  NumBadParenthesis = 4,
  NumNoFloatNumber = 5,
  NumNoFloatFunction = 6,
  NumDomainError = 7,
  NumNoIntegerNumber = 8,
  NumIntegerOverflow = 9,
  NumDivByZero = 10,
  NumWriteError = 11,
  NumNoVariable = 12,
  NumVariableError = 13,
  NumProgramError = 14,
  NumNoInstruction = 15,
  NumNoAccumulator = 16,
  NumBadUnit = 17,
};

// Commands of the stack machine. a, b, c are the first, second and third
// operand; an operation leaves its result in the deepest of its operands.
enum NumCommand : int {
  NUM_INVALID = 0, // error NumNoInstruction
  NUM_PUSHVAL,     // push Value
  NUM_PUSHADDR,    // push the current content of *Address
  NUM_NEG,         // flip the sign bit of a
  NUM_MUL,
  NUM_NOT,
  NUM_EQU,
  NUM_NEQ,
  NUM_LE,
  NUM_LT,
  NUM_GE,
  NUM_GT,
  NUM_AND,
  NUM_OR,
  NUM_IF, // b if a != 0, else c
  NUM_DIV,
  NUM_FLOORDIV,
  NUM_REST, // a - b*floor(a/b)
  NUM_ADD,
  NUM_SUB,
  NUM_RAD,
  NUM_DEG,
  NUM_PI,
  NUM_SIN,
  NUM_COS,
  NUM_TAN,
  NUM_ASIN,
  NUM_ACOS,
  NUM_ATAN,
  NUM_ATAN2,
  NUM_SINH,
  NUM_COSH,
  NUM_TANH,
  NUM_FLOOR,
  NUM_CEIL,
  NUM_FABS,
  NUM_EXP,
  NUM_LOG,
  NUM_LOG10,
  NUM_POW,
  NUM_SQRT,
  NUM_ROUND,
  NUM_GAMMA,
  NUM_FMIN,
  NUM_FMAX,
  NUM_DEGC2K,
  NUM_K2DEGC,
  NUM_DEGF2K,
  NUM_K2DEGF,
  NUM_DEGK2K,
  NUM_K2DEGK,
  NUM_DEGF2DEGC,
  NUM_DEGC2DEGF,
  NUM_COMMANDS // first number that is not a command
};

// One instruction: command, number of accumulators it consumes, the operand
// of PUSHVAL and the operand of PUSHADDR.
struct Num_Instr {
  int Command = NUM_INVALID;
  int Nargs = 0;
  double Value = 0.0;
  double *Address = nullptr;
};
using NumInstr = Num_Instr;

// One accumulator of the stack: its depth (1 at the bottom) and value.
struct Num_Accu {
  long Number = 0;
  double Value = 0.0;
};
using NumAccu = Num_Accu;

// A named variable; `Used` counts the references the expression made to it.
struct Num_Var {
  std::string Key;
  double Value = 1.0;
  int Used = 0;
};
using NumVar = Num_Var;

// A named program. Variables keep their place in memory while the program
// lives (instructions refer to them by address). Accumulators are never
// released while the program lives: a pop only lowers CurrentAccumulator and
// a later push reuses the accumulator above it. Change the lists only through
// the numprog_ functions.
struct Num_Prog {
  std::string Name;
  std::vector<std::unique_ptr<NumVar>> VariableList; // definition order
  std::vector<NumAccu> AccumulatorList;              // bottom first
  std::size_t CurrentAccumulator = 0;                // depth of the top of the stack, 0 when empty
  std::vector<NumInstr> InstructionList;             // the program (after compilation: compiled)
  std::vector<NumInstr> CompiledList;                // output while compiling, empty otherwise
};
using NumProg = Num_Prog;

// ---------------------------------------------------------------- evaluators

// Evaluates the floating-point expression at the start of `str` after leading
// white space; `*tail` (when given) receives where parsing stopped. Returns 0
// on error.
double num_str2double(const char *str, const char **tail, int *perrval);

// Evaluates the integer expression at the start of `str` (32-bit range; a
// result outside it gives NumIntegerOverflow). Same conventions.
long num_str2long(const char *str, const char **tail, int *perrval);

// ---------------------------------------------------------------- formatting

// Copies the message of `errval` (at most buflen-1 characters); none when
// there is no buffer or buflen is 0.
char *num_errval2str(char *buffer, std::size_t buflen, int errval);

// Writes `value` with |ndigits| significant digits (at most 80; 0: "%lg"),
// optionally in `unit` ("%s_%s", or "%s_(%s)" when the unit is more than a
// factor). Returns the buffer, or none with NumWriteError when the text does
// not fit; a unit that cannot be used gives its error, NumBadUnit (text left
// over) or NumDivByZero (unit of value 0).
char *num_double2str(char *buffer, std::size_t buflen, double value, const char *unit, int ndigits,
                     int *perrval);

// Writes `value` as "%ld" ("0x%lx" for num_long2hex). A text longer than
// buflen-1 characters is cut there and reported as NumWriteError.
char *num_long2str(char *buffer, std::size_t buflen, long value, int *perrval);
char *num_long2hex(char *buffer, std::size_t buflen, long value, int *perrval);

// Writes `value` in hexadecimal fixed point ("-0x1f.8"), from the highest
// power of 16 not above |value| (at least 16^0) down to |ndigits| significant
// digits, but at least down to 16^0. A buffer under 4 characters (5 for a
// negative value) or a value that is not finite gives NumWriteError and none;
// digits that do not fit are cut and reported as NumWriteError.
char *num_double2hex(char *buffer, std::size_t buflen, double value, int ndigits, int *perrval);

// Compares the first `n` characters of both texts without regard to case.
int num_strncasecmp(const char *s1, const char *s2, std::size_t n);

const char *numio_version();

// Sets the module's debug level: 1 traces constant lookups, 2 lists the
// constant table when it is built, 3 lists every program after each call.
void numio_debug(int level);
int numio_debug_level();

// Removes every program and resets the debug level; for tests.
void numio_reset();

// Releases the constant and unit table; the next lookup builds it again.
void dpconstant_free();

// --------------------------------------------------------- compiled programs

// Compiles `str` into program `name` (replacing any program of that name)
// with the variables `names[0..nvar-1]`, each starting at 1.0. Returns the
// registered program, or none with the error value; a failed compilation
// leaves no program behind.
NumProg *num_str2prog_names(const char *name, const char *str, const char **tail, int *perrval,
                            int nvar, const char *const *names);

// num_str2prog(name, str, tail, perrval, nvar, "var1", "var2", ...): as above
// with the variable names as arguments. Fewer names than `nvar` give
// NumVariableError.
template <typename... Names>
NumProg *num_str2prog(const char *name, const char *str, const char **tail, int *perrval, int nvar,
                      Names... names) {
  static_assert((std::is_convertible_v<Names, const char *> && ...),
                "variable names must be texts");
  if (nvar < 0 || static_cast<std::size_t>(nvar) > sizeof...(names)) {
    if (perrval) *perrval = NumVariableError;
    return nullptr;
  }
  if constexpr (sizeof...(names) == 0) {
    return num_str2prog_names(name, str, tail, perrval, nvar, nullptr);
  } else {
    const char *const list[] = {static_cast<const char *>(names)...};
    return num_str2prog_names(name, str, tail, perrval, nvar, list);
  }
}

// Assigns `values[0..nvalues-1]` to the variables in definition order, runs
// the program from an empty stack and returns the top accumulator (0 on
// error). Fewer values than variables give NumVariableError. Runs without
// allocating once the program has been run before.
double num_runprog_values(NumProg *program, int *perrval, const double *values,
                          std::size_t nvalues);

// num_runprog(program, perrval, v1, v2, ...): one value per variable.
template <typename... Values> double num_runprog(NumProg *program, int *perrval, Values... values) {
  static_assert((std::is_arithmetic_v<Values> && ...), "program inputs must be numbers");
  if constexpr (sizeof...(values) == 0) {
    return num_runprog_values(program, perrval, nullptr, 0);
  } else {
    const double list[] = {static_cast<double>(values)...};
    return num_runprog_values(program, perrval, list, sizeof...(values));
  }
}

// How often the expression refers to variable `n` (counted from 1); 0 and
// NumNoVariable when there is no such variable.
int num_chkvar(NumProg *program, int n, int *perrval);

// The registered program of that name, or none.
NumProg *num_searchprog(const char *name, int *perrval);

// Removes the program from the registry and releases it; NumProgramError when
// it is not registered. The program must not be used afterwards.
void num_rmprog(NumProg *program, int *perrval);

// ------------------------------------------------------------ lower level

// Text of a command number ("Invalid" for anything unknown).
const char *numprog_cmd2str(int command);

// True for a valid variable name: a letter followed by letters or digits, or
// the empty name.
bool numprog_checkvar(const char *name);

// Removes any program of that name, then registers a new empty one.
NumProg *numprog_new(const char *Name);
// Registers `program`; none when its name is already taken.
NumProg *numprog_insert(std::unique_ptr<NumProg> program);
NumProg *numprog_search(const char *Name);
// Empties every list of the program; the record itself stays.
void numprog_free(NumProg *program);
// Removes and releases the program of that name (none: every program).
// Returns 0, or -1 when no program of that name is registered.
int numprog_remove(const char *Name);

// Appends a variable; NumVariableError for an invalid or duplicate name.
int numprog_append_variable(NumProg *program, const char *Key, double InitValue,
                            NumVar **pvariable);
// Finds a variable: mode 0 by exact name, mode 1 the longest name that is a
// prefix of `Key`. Returns 0 when found, -1 otherwise.
int numprog_search_variable(NumProg *program, const char *Key, NumVar **pvariable, int mode);

// Pushes `Value`; returns the new top, none without program.
NumAccu *numprog_up_accumulator(NumProg *program, double Value);
// Pops; returns the new top, none when the stack is empty.
NumAccu *numprog_down_accumulator(NumProg *program);

// Appends an instruction to InstructionList (mode 0) or CompiledList (mode 1).
int numprog_append_instruction(NumProg *program, int mode, int Command, int Nargs, double Value,
                               double *Address, NumInstr **pinstruction);
// Empties InstructionList (mode 0) or CompiledList (mode 1).
int numprog_free_instruction_list(NumProg *program, int mode);

// Executes one instruction on the program's stack.
void dpprogram_step(NumProg *program, const NumInstr *instruction, int *perrval);
// Runs the instruction list from an empty stack; returns the top accumulator.
double dpprogram_run(NumProg *program, int *perrval);
// Folds every variable-free part of the instruction list into constants and
// makes the result the program's instruction list.
void dpprogram_compile(NumProg *program, int *perrval);
// One folding step from `firstinstruction`; returns the instruction that had
// to be kept (none at the end of the list).
const NumInstr *dpprogram_optimize(NumProg *program, const NumInstr *firstinstruction,
                                   int *perrval);

// ------------------------------------------------------ counting and listing

long num_prog_variables(const NumProg *program);
long num_prog_accumulators(const NumProg *program);
// mode 0: InstructionList, 1: CompiledList, 2: the compiled list if not empty,
// else the instruction list.
long num_prog_instructions(const NumProg *program, int mode);
// Bytes held by the program: record, name and every list member.
std::size_t num_prog_size(const NumProg *program);
std::size_t num_prog_size_all();
// Prints one program (all registered programs for none): level 1 the name,
// level 2 and more also variables, instructions and accumulators; verbose
// adds the neighbours of every list member.
void num_prog_print_list(FILE *out, const NumProg *program, int level, bool verbose);
