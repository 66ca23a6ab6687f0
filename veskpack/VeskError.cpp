#include "VeskError.h"

#include "kytio.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <new>

VeskErrBlk VeskErrorBlock;

namespace {

constexpr const char *version_text = "VeskError V1.55 Marvane 2015-10-03";

bool block_initialised = false;

// Messages of the status codes 0 .. NoAccumulator, indexed by code.
constexpr std::array<const char *, NoAccumulator + 1> status_messages = {
    "Success: Normal successful operation",
    "Abort: Input aborted",
    "SkipInput: Input skipped",
    "ScanError: Input conversion error",
    "ScanEmpty: Unexpected end of argument list",
    "NoDefault: No default possible",
    "NoOption: Unknown option",
    "NoFloatNumber: This is not a float number",
    "NoIntegerNumber: This is not an integer number",
    "InvalidOrientation: Invalid orientation",
    "BadParenthesis: Wrong number of parentheses",
    "DivByZero: Division by zero",
    "NoFlag: No flag (true|false|yes|no)",
    "CommaExpected",
    "FloatingPointError",
    "DomainError",
    "IntegerOverflow",
    "UnknownFloatFunction",
    "UnknownIntegerFunction",
    "WrongImageNumber",
    "NotEnoughBlocks",
    "NotEnoughMemoryAvailable",
    "FileNotFound",
    "ImageProtected",
    "FileProtected",
    "FileOpeningError",
    "FileAlreadyOpen",
    "FileMustBeOpen",
    "HeaderNotInitialized",
    "FilePositioningError",
    "FileReadError",
    "FileClosingError",
    "KeywordMissing",
    "UnknownDataType",
    "UnsupportedDataType",
    "UnknownUnit",
    "SizeMismatch",
    "FileWriteError",
    "OutOfRange",
    "TypeConversionFailed",
    "StoppedAfterHelp",
    "CannotFindHeader",
    "FileNameError",
    "NotWaxsProjection",
    "NotNormalReference",
    "NotVeskReference",
    "ReferenceNotSupported",
    "ExpressionWriteError",
    "NoVariable",
    "VariableError",
    "ProgramError",
    "NoInstruction",
    "NoAccumulator",
};

const char *status_message(int status) {
  if (status >= Success && status <= NoAccumulator) return status_messages[status];
  if (status == ExternalErrorReport) return "ExternalErrorReport";
  if (status == Failed) return "Failed: Routine failed";
  return "...";
}

void ensure_initialised() {
  if (!block_initialised) VeskError_init();
}

// Prints a stored text with `format` and releases it.
void print_and_release(const char *format, std::optional<std::string> &text) {
  if (!text) return;
  std::fprintf(stderr, format, text->c_str());
  text.reset();
}

} // namespace

void VeskError_init() {
  VeskErrorBlock = VeskErrBlk{};
  block_initialised = true;
}

std::optional<std::string> VeskError_newstr(const char *string) {
  if (!string) return std::nullopt;
  try {
    return std::string(string);
  } catch (const std::bad_alloc &) {
    return std::nullopt;
  }
}

const char *VeskErrorVersion() {
  return version_text;
}

void SetVeskError(const char *ModuleName, const char *RoutineName, const char *Message) {
  ensure_initialised();
  VeskErrorBlock.ModuleName = VeskError_newstr(ModuleName);
  VeskErrorBlock.RoutineName = VeskError_newstr(RoutineName);
  SetVeskErrorMessage(Message);
  SetVeskErrorExternal(0, nullptr);
}

void SetVeskErrorMessage(const char *Message) {
  ensure_initialised();
  VeskErrorBlock.Message = VeskError_newstr(Message);
}

void SetVeskErrorExternal(int ExternalError, VeskErrorReporter ReportError) {
  ensure_initialised();
  VeskErrorBlock.ExternalError = ExternalError;
  VeskErrorBlock.ReportError = ReportError;
}

int ReportVeskStatus(int Status, int ExitFlag) {
  ensure_initialised();
  if (Status == Success) return Success;

  std::fputc('\n', stderr);
  if (Status != StoppedAfterHelp) {
    print_and_release("MODULE   : %s\n", VeskErrorBlock.ModuleName);
    print_and_release("ROUTINE  : %s\n", VeskErrorBlock.RoutineName);
    print_and_release("%s\n", VeskErrorBlock.Message);
  }
  if (Status == ExternalErrorReport) {
    VeskErrorReporter report =
        VeskErrorBlock.ReportError ? VeskErrorBlock.ReportError : kyt_report_data_error;
    try {
      std::fprintf(stderr, "%s\n", report(VeskErrorBlock.ExternalError).c_str());
    } catch (...) {
      // Reporting never fails: a reporter that cannot word its error is skipped.
    }
  }
  VeskError_init();
  return ReportInputStatus(Status, ExitFlag);
}

int ReportInputStatus(int Status, int ExitFlag) {
  std::fprintf(stderr, "Status = %d -- %s\n", Status, status_message(Status));
  if (ExitFlag && Status != Success) std::exit(Status);
  return Status;
}
