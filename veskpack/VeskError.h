// Status codes of the image-sequence framework and the process-wide error
// context that is printed once, at the end of a program.
#pragma once

#include <optional>
#include <string>

// Status codes. Every framework routine takes `int *pstatus` last and sets it
// to one of these. Codes 53 to 99 are not assigned.
enum VeskStatus : int {
  Failed = -1,
  Success = 0,
  Abort = 1,
  SkipInput = 2,
  ScanError = 3,
  ScanEmpty = 4,
  NoDefault = 5,
  NoOption = 6,
  NoFloatNumber = 7,
  NoIntegerNumber = 8,
  InvalidOrientation = 9,
  BadParenthesis = 10,
  DivByZero = 11,
  NoFlag = 12,
  CommaExpected = 13,
  FloatingPointError = 14,
  DomainError = 15,
  IntegerOverflow = 16,
  UnknownFloatFunction = 17,
  UnknownIntegerFunction = 18,
  WrongImageNumber = 19,
  NotEnoughBlocks = 20,
  NotEnoughMemoryAvailable = 21,
  FileNotFound = 22,
  ImageProtected = 23,
  FileProtected = 24,
  FileOpeningError = 25,
  FileAlreadyOpen = 26,
  FileMustBeOpen = 27,
  HeaderNotInitialized = 28,
  FilePositioningError = 29,
  FileReadError = 30,
  FileClosingError = 31,
  KeywordMissing = 32,
  UnknownDataType = 33,
  UnsupportedDataType = 34,
  UnknownUnit = 35,
  SizeMismatch = 36,
  FileWriteError = 37,
  OutOfRange = 38,
  TypeConversionFailed = 39,
  StoppedAfterHelp = 40,
  CannotFindHeader = 41,
  FileNameError = 42,
  NotWaxsProjection = 43,
  NotNormalReference = 44,
  NotVeskReference = 45,
  ReferenceNotSupported = 46,
  ExpressionWriteError = 47,
  NoVariable = 48,
  VariableError = 49,
  ProgramError = 50,
  NoInstruction = 51,
  NoAccumulator = 52,
  ExternalErrorReport = 100,
};

// Turns the error number of an outside layer into a message.
using VeskErrorReporter = std::string (*)(int);

// Where the last error arose. The texts are the block's own copies.
struct VE_Block {
  std::optional<std::string> ModuleName;
  std::optional<std::string> RoutineName;
  std::optional<std::string> Message;
  int ExternalError = 0;
  VeskErrorReporter ReportError = nullptr;
};
typedef VE_Block VeskErrBlk;

// The one error context of the process.
extern VeskErrBlk VeskErrorBlock;

// Clears all fields and marks the block initialised.
void VeskError_init();
// A copy of `string`; none for none or when memory is exhausted.
std::optional<std::string> VeskError_newstr(const char *string);
// "VeskError V1.55 Marvane 2015-10-03"
const char *VeskErrorVersion();

// Attributes later failures to this routine: stores module and routine name,
// sets the message and clears the external error.
void SetVeskError(const char *ModuleName, const char *RoutineName, const char *Message);
// Replaces the message; none removes it.
void SetVeskErrorMessage(const char *Message);
// Stores the error number of an outside layer and the function that words it.
void SetVeskErrorExternal(int ExternalError, VeskErrorReporter ReportError);

// End-of-program report on standard error. Prints nothing for Success;
// otherwise the stored context (not after help) and the status line, then
// empties the context. Returns the status (exits with it when ExitFlag is set
// and the status is not Success).
int ReportVeskStatus(int Status, int ExitFlag);
// Prints "Status = <code> -- <message>" on standard error; exits with the
// status when ExitFlag is set and the status is not Success, else returns it.
int ReportInputStatus(int Status, int ExitFlag);
