// Records shared by the whole image-sequence framework: option values, option
// descriptors, the command block and the image blocks, with their limits,
// flags and named defaults.
#pragma once

#include "kytio.h"

#include <cstdio>
#include <vector>

// A compiled expression program; owned by the program registry of the
// expression module, referenced here.
struct Num_Prog;
using NumProg = Num_Prog;

// Length of every option text, terminator included.
inline constexpr int InputLineLength = KytMaxLinLen + 1;
inline constexpr int IO_len = InputLineLength;
// Length of an option code, terminator included.
inline constexpr int IO_CodeLen = 5;

// Number of program-defined options of each type.
inline constexpr int IO_MaxFloatOpt = 30;
inline constexpr int IO_MaxFlexpOpt = 30;
inline constexpr int IO_MaxIntOpt = 10;
inline constexpr int IO_MaxLvexpOpt = 10;
inline constexpr int IO_MaxLineOpt = 10;
inline constexpr int IO_MaxFlagOpt = 10;

// Image-file open modes (bit set).
inline constexpr long IO_New = 0x0001;
inline constexpr long IO_Old = 0x0002;
inline constexpr long IO_FileProtect = 0x0004;
inline constexpr long IO_ImageProtect = 0x0008;
inline constexpr long IO_DontReadData = 0x0010;
inline constexpr long IO_DontReadWrite = 0x0020;
inline constexpr long IO_DontOpen = 0x0040;
inline constexpr long IO_Dummy = 0x0080;

// Reference systems.
inline constexpr long IO_NoRSys = 0;
inline constexpr long IO_Array = 1;
inline constexpr long IO_Image = 2;
inline constexpr long IO_Center = 3;
inline constexpr long IO_Region = 4;
inline constexpr long IO_Real = 5;
inline constexpr long IO_Normal = 6;
inline constexpr long IO_Tangens = 7;
inline constexpr long IO_Vesk = 8;

// Projection types.
inline constexpr long IO_NoPro = 0;
inline constexpr long IO_ProVesk = 1;
inline constexpr long IO_ProWaxs = 2;

// Axis types.
inline constexpr long IO_NoAxisType = 0;
inline constexpr long IO_AxisTypeDistance = 1;
inline constexpr long IO_AxisTypeAngle = 2;
inline constexpr long IO_AxisTypeNumerator = 3;

// Named file names and keys.
inline constexpr const char *DUMMYFILENAME = "/dev/null";
inline constexpr const char *DefaultFilename = "datafile.kyt";
inline constexpr const char *DefaultInput = "input.kyt";
inline constexpr const char *DefaultOutput = "output.kyt";
inline constexpr const char *DefaultExtension = ".kyt";
inline constexpr const char *VeskHistoryKey = "i0";
// A parameter that keeps the current value.
inline constexpr const char *WildCard = "=";

// Option values: `V` the value, `I` 0 when not given, else the sign of the
// option prefix (+1, -1) or 1 when given in the dialogue.
struct IO_line {
  char V[IO_len];
  int I;
};
struct IO_lvexp {
  char V[IO_len];
  int I;
};
struct IO_flexp {
  char V[IO_len];
  int I;
};
struct IO_long {
  long V;
  int I;
};
struct IO_float {
  float V;
  int I;
};
struct IO_prog {
  NumProg *V;
  int I;
};

// Parameter types of options.
enum OptionType : int {
  IO_tpflag = 1,
  IO_tpline = 2,
  IO_tplong = 3,
  IO_tplvexp = 4,
  IO_tpfloat = 5,
  IO_tpflexp = 6,
  IO_tpmode = 7,
  IO_tprsys = 8,
  IO_tppro = 9,
  IO_tpaxis = 10,
};

// Option descriptor: code (without prefix, empty for an unused slot), type and
// number of parameters that follow the option.
struct OptionDescriptor {
  char code[IO_CodeLen];
  int ptyp;
  int npar;
};
typedef OptionDescriptor OptDsc;

// Indices of the command option table.
enum CommandOptionIndex : int {
  NTest = 1,
  NHelp,
  NPrompt,
  NShift,
  NRSys,
  NUSys,
  NGeneralBlock,
  NPassHeader,
  NCreateVariance,
  NAntiAliased,
  NVarianceWeight,
  NOutputDataType,
  NOutputDataValueOffset,
  NOutputCompression,
  NBslInputByteOrder,
  NAdd,
  NIPMin,
  NMaxLineWidth,
  NMinHeaderSize,
  NCommonOrientation,
  NBeam,
  NFirstArg = 22,
  NFirstFlexp = NFirstArg + IO_MaxFloatOpt,
  NFirstNum = NFirstFlexp + IO_MaxFlexpOpt,
  NFirstLvexp = NFirstNum + IO_MaxIntOpt,
  NFirstLin = NFirstLvexp + IO_MaxLvexpOpt,
  NFirstFlg = NFirstLin + IO_MaxLineOpt,
  NCmdEnd = NFirstFlg + IO_MaxFlagOpt, // 122, the end entry
};
inline constexpr int IO_CmdOptLen = NCmdEnd + 1;

// Indices of the image option table.
enum ImageOptionIndex : int {
  NOpenMode = 1,
  NName,
  NMemory,
  NFirst,
  NLast,
  NInc,
  NMinClip,
  NMaxClip,
  NConst,
  NFactor,
  NVal,
  NErrVal,
  NBin,
  NAve,
  NGnaw,
  NTitle,
  NTime,
  NDim,
  NDummy,
  NDDummy,
  NOffset,
  NBinSiz,
  NPixSiz,
  NWaveLength,
  NOrientation,
  NIndexOrder,
  NProjection,
  NAxisType,
  NCenter,
  NSampleDistance,
  NDetRot,
  NBeamCenter,
  NBeamDistance,
  NDetTilt,
  NImgEnd, // 35, the end entry
};
inline constexpr int IO_ImgOptLen = NImgEnd + 1;

// One image sequence: block 0 is the output, blocks 1.. the inputs.
struct ImageBlock {
  int blkno;
  int Stream;
  long StreamOpenMode;
  long FileNumber;
  long LoopNumber;
  char FileName[IO_len];

  IO_line Name;
  IO_long FFirst, FLast, FInc; // file-number range of a name pattern
  IO_long OpenMode;
  IO_long Memory;
  IO_long First, Last, Inc;
  IO_flexp MinClip, MaxClip;
  IO_flexp Const, Factor;
  IO_flexp Val, ErrVal;
  IO_lvexp Bin[3];
  IO_long Ave;
  IO_lvexp Gnaw[3];
  IO_line Title, Time;
  IO_lvexp Dim[3];
  IO_flexp Dummy, DDummy;
  IO_flexp Offset[3];
  IO_flexp BinSiz[3];
  IO_flexp PixSiz[3];
  IO_flexp WaveLength;
  IO_lvexp Orientation;
  IO_lvexp IndexOrder;
  IO_long Projection;
  IO_long AxisType[3];
  IO_flexp Center[3];
  IO_flexp SampleDistance;
  IO_flexp DetRot[4];
  IO_flexp BeamCenter[3];
  IO_flexp BeamDistance;
  IO_flexp DetTilt[4];
};
typedef ImageBlock ImgBlk;

// The program-wide settings and the argument cursor.
struct CommandBlock {
  const char *MainName;
  const char *MainVersion;
  const char *MainHelp;
  void *MainData;
  char VeskVersion[IO_len];
  int argc;
  char **argv;
  int *parg_no;
  FILE *infile;
  std::vector<OptDsc> co; // command option table
  std::vector<OptDsc> io; // image option table, released after parsing
  ImgBlk *ib;
  int ImgBlkLen;
  int RejectNum;
  long Cycles;
  int TestBit;

  IO_long Help;
  IO_long Prompt;
  IO_long RSys;
  IO_long USys;
  IO_long GeneralBlock;
  IO_long PassHeader;
  IO_long CreateVariance;
  IO_long AntiAliased;
  IO_long VarianceWeight;
  IO_long OutputDataType;
  IO_long OutputDataValueOffset;
  IO_long OutputCompression;
  IO_long BslInputByteOrder;
  IO_long Add;
  IO_long MaxLineWidth;
  IO_long MinHeaderSize;
  IO_long CommonOrientation;
  IO_long Beam;
  IO_float IPMin;
  IO_long Ave; // kept for layout; no option sets it
  IO_flexp Shift[3];

  IO_float Arg[IO_MaxFloatOpt];
  IO_flexp Flexp[IO_MaxFlexpOpt];
  IO_long Num[IO_MaxIntOpt];
  IO_lvexp Lvexp[IO_MaxLvexpOpt];
  IO_line Lin[IO_MaxLineOpt];
  IO_long Flg[IO_MaxFlagOpt];
};
typedef CommandBlock CmdBlk;
