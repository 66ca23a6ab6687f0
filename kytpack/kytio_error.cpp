// Error values and version texts of the kyt data-file library.
#include "kytio.h"

#include <array>
#include <cstdio>

namespace {

constexpr const char *kytio_version_text = "kytio : V2.55 Marvane 2016-03-30 (K2.268a_linux)";
constexpr const char *kyt_libversion_text = "K2.268a_linux";
constexpr const char *kyt_dataformat_version_text = "2.42";

// Names of the error values -1 .. 55, indexed by value + 1; value 11 is unused.
constexpr std::array<const char *, 57> error_names = {
    "RoutineFailed",
    "RoutineSucceeded",
    "CouldNotMallocMemory",
    "CouldNotFreeHeaders",
    "CouldNotGetBinaryArray",
    "NoMoreStreamsAvailable",
    "InvalidStream",
    "CouldNotOpenFile",
    "EndOfFileDetected",
    "CompressionError",
    "CouldNotFindHeader",
    "CouldNotFindSymbol",
    nullptr, // 11
    "BadDataBlock",
    "CouldNotFindKeyword",
    "WriteDataError",
    "ReadDataError",
    "NoFileOpen",
    "NotKUTADataFile",
    "NoDataBlocksFound",
    "BlockIDDuplicaton",
    "ExternalData",
    "FileIsNotWritable",
    "FileIsNotOpened",
    "IncompatibleOpeningModes",
    "CouldNotCloseFile",
    "CouldNotCloseBlock",
    "CouldNotInsertChain",
    "CouldNotInsertBlock",
    "CouldNotInsertSymbol",
    "MissingKeyDefinition",
    "GeneralBlockNotFirst",
    "ErrorCreatingGeneralBlock",
    "ErrorReadingGeneralBlock",
    "ErrorLocatingBlocks",
    "CouldNotSetBuffer",
    "NumberConversionFailed",
    "DataConversionFailed",
    "DataBufferTooSmall",
    "MissingArrayDimensions",
    "NotNdData",
    "Not2dData",
    "CouldNotWriteDimension",
    "CouldNotReadDimension",
    "CouldNotWriteBinary",
    "CannotReOpenGeneralBlock",
    "CannotOpenAsBslFile",
    "CouldNotInsertElement",
    "CouldNotDeleteString",
    "CouldNotFindHeaderKey",
    "CouldNotCreateHeader",
    "CouldNotReadGeneralHeader",
    "CouldNotReadHeader",
    "CouldNotFindStatParamKey",
    "CouldNotUpdateChainInfo",
    "CouldNotUpdateFileInfo",
    "NoKeyGiven",
};

constexpr std::size_t max_report_len = 512;

} // namespace

std::string kyt_report_data_error(int ErrorValue) {
  const char *name = nullptr;
  if (ErrorValue >= RoutineFailed && ErrorValue <= NoKeyGiven)
    name = error_names[static_cast<std::size_t>(ErrorValue + 1)];
  char text[max_report_len];
  if (name)
    std::snprintf(text, sizeof text, "\n%s\n", name);
  else
    std::snprintf(text, sizeof text, "\n%s : %d\n", "UnknownErrorValue", ErrorValue);
  return text;
}

const char *kytio_version() {
  return kytio_version_text;
}
const char *kyt_libversion() {
  return kyt_libversion_text;
}
const char *kyt_dataformat_version() {
  return kyt_dataformat_version_text;
}
