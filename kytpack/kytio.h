// The kyt data-file library: files of blocks, each an ASCII header of
// `key = value ;` lines padded to a 512-byte boundary, followed by binary data.
//
// Every public operation ends with two out-parameters: the library's error
// value (KytErrorValue) and a status of status_success or status_error.
#pragma once

#include <string>

// Status reported next to every error value.
inline constexpr int status_success = 0;
inline constexpr int status_error = 100;

// Limits of the library.
inline constexpr int KytMaxFiles = 20;
inline constexpr int KytMaxKeyLen = 64;
inline constexpr int KytMaxValLen = 2048;
inline constexpr int KytMaxLinLen = 1023;
inline constexpr int KytMaxDataChains = 20;
inline constexpr int KytBufferSize = 512;
inline constexpr int KytMaxDimensions = KytBufferSize;
inline constexpr int KytNDigitsFloat = 7;

// Error values of the library. 11 is not used.
enum KytErrorValue : int {
  RoutineFailed = -1,
  RoutineSucceeded = 0,
  CouldNotMallocMemory = 1,
  CouldNotFreeHeaders = 2,
  CouldNotGetBinaryArray = 3,
  NoMoreStreamsAvailable = 4,
  InvalidStream = 5,
  CouldNotOpenFile = 6,
  EndOfFileDetected = 7,
  CompressionError = 8,
  CouldNotFindHeader = 9,
  CouldNotFindSymbol = 10,
  BadDataBlock = 12,
  CouldNotFindKeyword = 13,
  WriteDataError = 14,
  ReadDataError = 15,
  NoFileOpen = 16,
  NotKytDataFile = 17,
  NoDataBlocksFound = 18,
  BlockIdDuplication = 19,
  ExternalData = 20,
  FileIsNotWritable = 21,
  FileIsNotOpened = 22,
  IncompatibleOpeningModes = 23,
  CouldNotCloseFile = 24,
  CouldNotCloseBlock = 25,
  CouldNotInsertChain = 26,
  CouldNotInsertBlock = 27,
  CouldNotInsertSymbol = 28,
  MissingKeyDefinition = 29,
  GeneralBlockNotFirst = 30,
  ErrorCreatingGeneralBlock = 31,
  ErrorReadingGeneralBlock = 32,
  ErrorLocatingBlocks = 33,
  CouldNotSetBuffer = 34,
  NumberConversionFailed = 35,
  DataConversionFailed = 36,
  DataBufferTooSmall = 37,
  MissingArrayDimensions = 38,
  NotNdData = 39,
  Not2dData = 40,
  CouldNotWriteDimension = 41,
  CouldNotReadDimension = 42,
  CouldNotWriteBinary = 43,
  CannotReOpenGeneralBlock = 44,
  CannotOpenAsBslFile = 45,
  CouldNotInsertElement = 46,
  CouldNotDeleteString = 47,
  CouldNotFindHeaderKey = 48,
  CouldNotCreateHeader = 49,
  CouldNotReadGeneralHeader = 50,
  CouldNotReadHeader = 51,
  CouldNotFindStatParamKey = 52,
  CouldNotUpdateChainInfo = 53,
  CouldNotUpdateFileInfo = 54,
  NoKeyGiven = 55,
};

// The text of an error value: "\n<name>\n", or "\nUnknownErrorValue : <value>\n"
// for a value the library does not use. At most 512 bytes.
std::string kyt_report_data_error(int ErrorValue);

// "kytio : V2.55 Marvane 2016-03-30 (K2.268a_linux)"
const char *kytio_version();
// "K2.268a_linux"
const char *kyt_libversion();
// "2.42", the version of the data format that the library writes.
const char *kyt_dataformat_version();
