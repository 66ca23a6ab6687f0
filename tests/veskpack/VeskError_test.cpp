#include "VeskError.h"

#include "capture.h"
#include "kytio.h"

#include <cstdlib>
#include <gtest/gtest.h>

using test_support::capture_stderr;

namespace {

class VeskErrorTest : public ::testing::Test {
protected:
  void SetUp() override { VeskError_init(); }
};

std::string report(int status, int *result = nullptr) {
  return capture_stderr([&] {
    const int r = ReportVeskStatus(status, 0);
    if (result) *result = r;
  });
}

TEST_F(VeskErrorTest, SuccessPrintsNothingAndKeepsContext) {
  SetVeskError("VeskOption", "ReadOptions", "arg");
  int result = -99;
  EXPECT_EQ(report(Success, &result), "");
  EXPECT_EQ(result, Success);
  // The context stays for a later failure.
  EXPECT_EQ(VeskErrorBlock.RoutineName.value_or(""), "ReadOptions");
}

TEST_F(VeskErrorTest, FailurePrintsContextThenStatusAndEmptiesIt) {
  SetVeskError("VeskImage", "ReadImage", "input.kyt");
  int result = 0;
  EXPECT_EQ(report(FileNotFound, &result), "\nMODULE   : VeskImage\nROUTINE  : ReadImage\n"
                                           "input.kyt\nStatus = 22 -- FileNotFound\n");
  EXPECT_EQ(result, FileNotFound);
  EXPECT_FALSE(VeskErrorBlock.ModuleName);
  EXPECT_FALSE(VeskErrorBlock.RoutineName);
  EXPECT_FALSE(VeskErrorBlock.Message);
  // A second report has nothing left to print but the status line.
  EXPECT_EQ(report(FileNotFound), "\nStatus = 22 -- FileNotFound\n");
}

TEST_F(VeskErrorTest, HelpStopHidesContextButClearsIt) {
  SetVeskError("VeskOption", "ReadOptions", "    -h ... ");
  EXPECT_EQ(report(StoppedAfterHelp), "\nStatus = 40 -- StoppedAfterHelp\n");
  EXPECT_FALSE(VeskErrorBlock.ModuleName);
  EXPECT_FALSE(VeskErrorBlock.Message);
}

TEST_F(VeskErrorTest, ExternalErrorUsesDataFileTextWithoutReporter) {
  SetVeskError("VeskImage", "OpenImageFile", nullptr);
  SetVeskErrorExternal(CouldNotOpenFile, nullptr);
  EXPECT_EQ(report(ExternalErrorReport), "\nMODULE   : VeskImage\nROUTINE  : OpenImageFile\n"
                                         "\nCouldNotOpenFile\n\n"
                                         "Status = 100 -- ExternalErrorReport\n");
}

TEST_F(VeskErrorTest, ExternalErrorUsesStoredReporter) {
  SetVeskErrorExternal(7, [](int e) { return "reported " + std::to_string(e); });
  EXPECT_EQ(report(ExternalErrorReport), "\nreported 7\nStatus = 100 -- ExternalErrorReport\n");
}

TEST_F(VeskErrorTest, SetVeskErrorResetsExternalPartAndReplacesTexts) {
  SetVeskError("A", "a", "first");
  SetVeskErrorExternal(9, kyt_report_data_error);
  SetVeskError("B", "b", nullptr);
  EXPECT_EQ(VeskErrorBlock.ModuleName.value_or(""), "B");
  EXPECT_EQ(VeskErrorBlock.RoutineName.value_or(""), "b");
  EXPECT_FALSE(VeskErrorBlock.Message);
  EXPECT_EQ(VeskErrorBlock.ExternalError, 0);
  EXPECT_EQ(VeskErrorBlock.ReportError, nullptr);
  SetVeskErrorMessage("later");
  EXPECT_EQ(VeskErrorBlock.Message.value_or(""), "later");
}

TEST_F(VeskErrorTest, StatusLines) {
  const struct {
    int status;
    const char *line;
  } cases[] = {
      {Success, "Status = 0 -- Success: Normal successful operation\n"},
      {Abort, "Status = 1 -- Abort: Input aborted\n"},
      {ScanEmpty, "Status = 4 -- ScanEmpty: Unexpected end of argument list\n"},
      {NoFlag, "Status = 12 -- NoFlag: No flag (true|false|yes|no)\n"},
      {CommaExpected, "Status = 13 -- CommaExpected\n"},
      {NoAccumulator, "Status = 52 -- NoAccumulator\n"},
      {53, "Status = 53 -- ...\n"},
      {77, "Status = 77 -- ...\n"},
      {99, "Status = 99 -- ...\n"},
      {ExternalErrorReport, "Status = 100 -- ExternalErrorReport\n"},
      {101, "Status = 101 -- ...\n"},
      {Failed, "Status = -1 -- Failed: Routine failed\n"},
      {-2, "Status = -2 -- ...\n"},
  };
  for (const auto &c : cases) {
    int result = -99;
    EXPECT_EQ(capture_stderr([&] { result = ReportInputStatus(c.status, 0); }), c.line);
    EXPECT_EQ(result, c.status);
  }
}

TEST_F(VeskErrorTest, UnassignedCodeInFinalReport) {
  SetVeskError("prog", "main", nullptr);
  EXPECT_EQ(report(77), "\nMODULE   : prog\nROUTINE  : main\nStatus = 77 -- ...\n");
}

TEST_F(VeskErrorTest, ExitFlagWithSuccessReturns) {
  EXPECT_EQ(capture_stderr([] { EXPECT_EQ(ReportVeskStatus(Success, 1), Success); }), "");
  EXPECT_EQ(capture_stderr([] { EXPECT_EQ(ReportInputStatus(Success, 1), Success); }),
            "Status = 0 -- Success: Normal successful operation\n");
}

TEST_F(VeskErrorTest, NewstrCopies) {
  EXPECT_FALSE(VeskError_newstr(nullptr));
  EXPECT_EQ(VeskError_newstr("abc").value_or("?"), "abc");
  EXPECT_EQ(VeskError_newstr("").value_or("?"), "");
}

using VeskErrorDeathTest = VeskErrorTest;

TEST_F(VeskErrorDeathTest, FailedStatusFromMainGivesExitStatus255) {
  EXPECT_EXIT(std::exit(ReportVeskStatus(Failed, 0)), ::testing::ExitedWithCode(255),
              "Status = -1 -- Failed: Routine failed");
  EXPECT_EXIT(std::exit(ReportVeskStatus(StoppedAfterHelp, 0)), ::testing::ExitedWithCode(40),
              "StoppedAfterHelp");
}

TEST_F(VeskErrorDeathTest, ExitFlagEndsProcessWithStatus) {
  EXPECT_EXIT(ReportVeskStatus(ScanError, 1), ::testing::ExitedWithCode(ScanError),
              "Status = 3 -- ScanError");
  EXPECT_EXIT(ReportInputStatus(FileNotFound, 1), ::testing::ExitedWithCode(FileNotFound),
              "Status = 22 -- FileNotFound");
}

TEST(VeskErrorVersion, Text) {
  EXPECT_STREQ(VeskErrorVersion(), "VeskError V1.55 Marvane 2015-10-03");
}

} // namespace
