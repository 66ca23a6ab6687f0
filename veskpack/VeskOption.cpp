#include "VeskOption.h"

#include "ipol.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr const char *version_text = "VeskOption V6.78 Marvane 2015-11-17";
constexpr const char *libversion_text = "V2.478";
constexpr const char *no_memory = "ERROR: Cannot allocate memory";

struct OptionEntry {
  int index;
  const char *code;
  int ptyp;
  int npar;
};

// The fixed command options; the slots 22 .. 121 are left for the program.
constexpr std::array<OptionEntry, 21> command_options = {{
    {NTest, "test", IO_tpflag, 0},
    {NHelp, "h", IO_tpflag, 0},
    {NPrompt, "p", IO_tpflag, 0},
    {NShift, "shft", IO_tpflexp, 2},
    {NRSys, "rsys", IO_tprsys, 1},
    {NUSys, "usys", IO_tprsys, 1},
    {NGeneralBlock, "gblk", IO_tpflag, 0},
    {NPassHeader, "pass", IO_tpflag, 0},
    {NCreateVariance, "var", IO_tpflag, 0},
    {NAntiAliased, "aa", IO_tpflag, 0},
    {NVarianceWeight, "vw", IO_tpflag, 0},
    {NOutputDataType, "type", IO_tplong, 1},
    {NOutputDataValueOffset, "dvo", IO_tplong, 1},
    {NOutputCompression, "cmpr", IO_tplong, 1},
    {NBslInputByteOrder, "bibo", IO_tplong, 1},
    {NAdd, "add", IO_tplong, 1},
    {NIPMin, "pmin", IO_tpfloat, 1},
    {NMaxLineWidth, "mlw", IO_tplong, 1},
    {NMinHeaderSize, "mhs", IO_tplong, 1},
    {NCommonOrientation, "cori", IO_tpflag, 0},
    {NBeam, "beam", IO_tpflag, 0},
}};

// Type and parameter count of the program-defined slot ranges.
struct SlotRange {
  int first;
  int count;
  int ptyp;
  int npar;
};
constexpr std::array<SlotRange, 6> program_slots = {{
    {NFirstArg, IO_MaxFloatOpt, IO_tpfloat, 1},
    {NFirstFlexp, IO_MaxFlexpOpt, IO_tpflexp, 1},
    {NFirstNum, IO_MaxIntOpt, IO_tplong, 1},
    {NFirstLvexp, IO_MaxLvexpOpt, IO_tplvexp, 1},
    {NFirstLin, IO_MaxLineOpt, IO_tpline, 1},
    {NFirstFlg, IO_MaxFlagOpt, IO_tpflag, 0},
}};

constexpr std::array<OptionEntry, 34> image_options = {{
    {NOpenMode, "mod", IO_tpmode, 1},       {NName, "nam", IO_tpline, 1},
    {NMemory, "mem", IO_tplong, 1},         {NFirst, "fst", IO_tplong, 1},
    {NLast, "lst", IO_tplong, 1},           {NInc, "inc", IO_tplong, 1},
    {NMinClip, "min", IO_tpflexp, 1},       {NMaxClip, "max", IO_tpflexp, 1},
    {NConst, "con", IO_tpflexp, 1},         {NFactor, "fac", IO_tpflexp, 1},
    {NVal, "val", IO_tpflexp, 1},           {NErrVal, "err", IO_tpflexp, 1},
    {NBin, "bin", IO_tplvexp, 2},           {NAve, "ave", IO_tpflag, 0},
    {NGnaw, "gna", IO_tplvexp, 2},          {NTitle, "tit", IO_tpline, 1},
    {NTime, "time", IO_tpline, 1},          {NDim, "dim", IO_tplvexp, 2},
    {NDummy, "dum", IO_tpflexp, 1},         {NDDummy, "ddum", IO_tpflexp, 1},
    {NOffset, "off", IO_tpflexp, 2},        {NBinSiz, "bis", IO_tpflexp, 2},
    {NPixSiz, "pix", IO_tpflexp, 2},        {NWaveLength, "wvl", IO_tpflexp, 1},
    {NOrientation, "ori", IO_tplvexp, 1},   {NIndexOrder, "kori", IO_tplvexp, 1},
    {NProjection, "pro", IO_tppro, 1},      {NAxisType, "axis", IO_tpaxis, 2},
    {NCenter, "cen", IO_tpflexp, 2},        {NSampleDistance, "dis", IO_tpflexp, 1},
    {NDetRot, "rot", IO_tpflexp, 3},        {NBeamCenter, "bcen", IO_tpflexp, 2},
    {NBeamDistance, "bdis", IO_tpflexp, 1}, {NDetTilt, "tilt", IO_tpflexp, 3},
}};

// Copies `text` into a fixed text of `N` characters, cut to N-1.
template <std::size_t N> void set_text(char (&dst)[N], const char *text) {
  std::strncpy(dst, text, N - 1);
  dst[N - 1] = '\0';
}

template <typename Text> Text text_value(const char *text) {
  Text value{};
  set_text(value.V, text);
  return value;
}

// A vector setting: element 0 holds the number of components.
template <typename Text, std::size_t N>
void set_vector(Text (&vec)[N], const char *count, const char *component) {
  vec[0] = text_value<Text>(count);
  for (std::size_t k = 1; k < N; ++k)
    vec[k] = text_value<Text>(component);
}

void set_entry(OptDsc &entry, const char *code, int ptyp, int npar) {
  set_text(entry.code, code);
  entry.ptyp = ptyp;
  entry.npar = npar;
}

// Fills a table: the header entry, the listed entries, empty slots and the end
// entry at `end`.
template <std::size_t N>
void fill_table(OptDsc table[], int end, const std::array<OptionEntry, N> &entries) {
  for (int i = 0; i <= end; ++i)
    set_entry(table[i], "", 0, 0);
  set_entry(table[0], "Cmd", IO_tpflag, end);
  for (const OptionEntry &e : entries)
    set_entry(table[e.index], e.code, e.ptyp, e.npar);
}

} // namespace

const char *VeskOptionVersion() {
  return version_text;
}

const char *vesk_libversion() {
  return libversion_text;
}

const char *vesk_progversion(const CmdBlk *pcb) {
  if (!pcb || !pcb->MainVersion) return "";
  return pcb->MainVersion;
}

const char *vesk_version(const CmdBlk *pcb) {
  return pcb ? pcb->VeskVersion : "";
}

void InitCommandOptions(OptDsc co[], int cl) {
  if (cl < IO_CmdOptLen) {
    std::printf("ERROR: Command option array too short\n");
    std::exit(0);
  }
  fill_table(co, NCmdEnd, command_options);
  for (const SlotRange &range : program_slots)
    for (int i = range.first; i < range.first + range.count; ++i) {
      co[i].ptyp = range.ptyp;
      co[i].npar = range.npar;
    }
}

void InitImageOptions(OptDsc io[], int il) {
  if (il < IO_ImgOptLen) {
    std::printf("ERROR: Image option array too short\n");
    std::exit(0);
  }
  fill_table(io, NImgEnd, image_options);
}

void InitCommandBlock(const char *mhlp, const char *mvers, void *mdat, int rjctnum, ImgBlk ib[],
                      int ib_len, CmdBlk *pcb) {
  *pcb = CmdBlk{};
  pcb->MainName = nullptr;
  pcb->MainVersion = mvers;
  pcb->MainHelp = mhlp;
  pcb->MainData = mdat;
  pcb->argc = 0;
  pcb->argv = nullptr;
  pcb->parg_no = nullptr;
  pcb->infile = stdin;
  pcb->ib = ib;
  pcb->ImgBlkLen = ib_len;
  pcb->RejectNum = rjctnum;
  pcb->Cycles = 0;
  pcb->TestBit = 0;

  pcb->Help = {0, 0};
  pcb->Prompt = {1, 0};
  pcb->RSys = {IO_Image, 0};
  pcb->USys = {IO_Image, 0};
  pcb->GeneralBlock = {0, 0};
  pcb->PassHeader = {0, 0};
  pcb->CreateVariance = {0, 0};
  pcb->AntiAliased = {0, 0};
  pcb->VarianceWeight = {0, 0};
  pcb->OutputDataType = {0, 0}; // "Invalid": not chosen
  pcb->OutputDataValueOffset = {0, 0};
  pcb->OutputCompression = {1, 0}; // "None"
  pcb->BslInputByteOrder = {0, 0};
  pcb->Add = {1, 0};
  pcb->MaxLineWidth = {0, 0};
  pcb->MinHeaderSize = {0, 0};
  pcb->CommonOrientation = {0, 0};
  pcb->Beam = {0, 0};
  pcb->IPMin = {Ipolmin(-1.0f), 0}; // ask, do not change
  pcb->Ave = {0, 0};
  set_vector(pcb->Shift, "2.0", "0.0");

  for (IO_float &v : pcb->Arg)
    v = {0.0f, 0};
  for (IO_flexp &v : pcb->Flexp)
    v = text_value<IO_flexp>("");
  for (IO_long &v : pcb->Num)
    v = {0, 0};
  for (IO_lvexp &v : pcb->Lvexp)
    v = text_value<IO_lvexp>("");
  for (IO_line &v : pcb->Lin)
    v = text_value<IO_line>("");
  for (IO_long &v : pcb->Flg)
    v = {0, 0};
}

void InitImageBlock(ImgBlk ib[], int blkno) {
  ImgBlk &b = ib[blkno];
  b = ImgBlk{};
  b.blkno = blkno;
  b.Stream = -1;
  b.StreamOpenMode = 0;
  b.FileNumber = 1;
  b.LoopNumber = 1;
  set_text(b.FileName, "");

  b.Name = text_value<IO_line>(DefaultFilename);
  b.FFirst = {1, 0};
  b.FLast = {1, 0};
  b.FInc = {1, 0};
  b.OpenMode = {IO_ImageProtect, 0}; // "a+ip"
  b.Memory = {1, 0};
  b.First = {1, 0};
  b.Last = {1, 0};
  b.Inc = {1, 0};
  b.MinClip = text_value<IO_flexp>("-inf");
  b.MaxClip = text_value<IO_flexp>("inf");
  b.Const = text_value<IO_flexp>("0.0");
  b.Factor = text_value<IO_flexp>("1.0");
  b.Val = text_value<IO_flexp>("1.0");
  b.ErrVal = text_value<IO_flexp>("0.0");
  set_vector(b.Bin, "2", "1");
  b.Ave = {1, 0};
  set_vector(b.Gnaw, "2", "0");
  b.Title = text_value<IO_line>("");
  b.Time = text_value<IO_line>("");
  set_vector(b.Dim, "2", "1");
  b.Dummy = text_value<IO_flexp>("0.0");
  b.DDummy = text_value<IO_flexp>("0.5");
  set_vector(b.Offset, "2", "0");
  set_vector(b.BinSiz, "2", "1");
  set_vector(b.PixSiz, "2", "1");
  b.WaveLength = text_value<IO_flexp>("1e-10");
  b.Orientation = text_value<IO_lvexp>("1");
  b.IndexOrder = text_value<IO_lvexp>(""); // no default
  b.Projection = {IO_ProVesk, 0};
  b.AxisType[0] = {0, 0};
  b.AxisType[1] = {IO_AxisTypeDistance, 0};
  b.AxisType[2] = {IO_AxisTypeDistance, 0};
  set_vector(b.Center, "2", "0");
  b.SampleDistance = text_value<IO_flexp>("1");
  set_vector(b.DetRot, "3", "0");
  set_vector(b.BeamCenter, "2", ""); // no default
  b.BeamDistance = text_value<IO_flexp>("");
  set_vector(b.DetTilt, "3", "");
}

void InitOptions(const char *mainhelp, const char *mainvers, void *maindata, int rjctnum,
                 CmdBlk *pcb, ImgBlk ib[], int ib_len) {
  InitCommandBlock(mainhelp, mainvers, maindata, rjctnum, ib, ib_len, pcb);
  for (int blkno = 0; blkno < ib_len; ++blkno)
    InitImageBlock(ib, blkno);

  try {
    pcb->co.assign(IO_CmdOptLen, OptDsc{});
  } catch (const std::bad_alloc &) {
    std::printf("%s for command options\n", no_memory);
    std::exit(-1);
  }
  try {
    pcb->io.assign(IO_ImgOptLen, OptDsc{});
  } catch (const std::bad_alloc &) {
    std::printf("%s for image options\n", no_memory);
    std::exit(-1);
  }
  InitCommandOptions(pcb->co.data(), static_cast<int>(pcb->co.size()));
  InitImageOptions(pcb->io.data(), static_cast<int>(pcb->io.size()));

  std::snprintf(pcb->VeskVersion, sizeof pcb->VeskVersion, "# %s %s %s", vesk_progversion(pcb),
                vesk_libversion(), kyt_libversion());
}
