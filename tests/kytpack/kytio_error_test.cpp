#include "kytio.h"

#include <gtest/gtest.h>

namespace {

TEST(KytReportDataError, Texts) {
  const struct {
    int value;
    const char *text;
  } cases[] = {
      {RoutineFailed, "\nRoutineFailed\n"},
      {RoutineSucceeded, "\nRoutineSucceeded\n"},
      {CouldNotOpenFile, "\nCouldNotOpenFile\n"},
      {CouldNotFindSymbol, "\nCouldNotFindSymbol\n"},
      {11, "\nUnknownErrorValue : 11\n"},
      {BadDataBlock, "\nBadDataBlock\n"},
      {NotKytDataFile, "\nNotKUTADataFile\n"},
      {BlockIdDuplication, "\nBlockIDDuplicaton\n"},
      {GeneralBlockNotFirst, "\nGeneralBlockNotFirst\n"},
      {NoKeyGiven, "\nNoKeyGiven\n"},
      {56, "\nUnknownErrorValue : 56\n"},
      {-2, "\nUnknownErrorValue : -2\n"},
      {-2147483647 - 1, "\nUnknownErrorValue : -2147483648\n"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(kyt_report_data_error(c.value), c.text) << c.value;
}

TEST(KytReportDataError, EveryUsedValueHasAName) {
  for (int value = RoutineFailed; value <= NoKeyGiven; ++value) {
    const std::string text = kyt_report_data_error(value);
    if (value == 11)
      EXPECT_EQ(text, "\nUnknownErrorValue : 11\n");
    else
      EXPECT_EQ(text.find("Unknown"), std::string::npos) << value;
  }
}

TEST(KytVersions, Texts) {
  EXPECT_STREQ(kytio_version(), "kytio : V2.55 Marvane 2016-03-30 (K2.268a_linux)");
  EXPECT_STREQ(kyt_libversion(), "K2.268a_linux");
  EXPECT_STREQ(kyt_dataformat_version(), "2.42");
}

} // namespace
