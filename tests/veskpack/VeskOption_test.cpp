#include "VeskOption.h"

#include "ipol.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

// Command and image blocks are large; keep them off the test's stack.
struct Blocks {
  explicit Blocks(int n, const char *version = "prog V1.0")
      : cb(std::make_unique<CmdBlk>()), ib(std::make_unique<ImgBlk[]>(n ? n : 1)), len(n) {
    InitOptions("<in> <out>", version, &data, 1, cb.get(), n ? ib.get() : nullptr, n);
  }
  int data = 0;
  std::unique_ptr<CmdBlk> cb;
  std::unique_ptr<ImgBlk[]> ib;
  int len;
};

TEST(InitOptions, CommandBlockDefaults) {
  Blocks b(3);
  const CmdBlk &cb = *b.cb;
  EXPECT_STREQ(cb.MainHelp, "<in> <out>");
  EXPECT_STREQ(cb.MainVersion, "prog V1.0");
  EXPECT_EQ(cb.MainData, &b.data);
  EXPECT_EQ(cb.MainName, nullptr);
  EXPECT_EQ(cb.argc, 0);
  EXPECT_EQ(cb.argv, nullptr);
  EXPECT_EQ(cb.infile, stdin);
  EXPECT_EQ(cb.ib, b.ib.get());
  EXPECT_EQ(cb.ImgBlkLen, 3);
  EXPECT_EQ(cb.RejectNum, 1);
  EXPECT_EQ(cb.Cycles, 0);
  EXPECT_EQ(cb.TestBit, 0);

  const struct {
    const char *name;
    const IO_long &value;
    long expected;
  } longs[] = {
      {"Help", cb.Help, 0},
      {"Prompt", cb.Prompt, 1},
      {"RSys", cb.RSys, IO_Image},
      {"USys", cb.USys, IO_Image},
      {"GeneralBlock", cb.GeneralBlock, 0},
      {"PassHeader", cb.PassHeader, 0},
      {"CreateVariance", cb.CreateVariance, 0},
      {"AntiAliased", cb.AntiAliased, 0},
      {"VarianceWeight", cb.VarianceWeight, 0},
      {"OutputDataType", cb.OutputDataType, 0},
      {"OutputDataValueOffset", cb.OutputDataValueOffset, 0},
      {"OutputCompression", cb.OutputCompression, 1},
      {"BslInputByteOrder", cb.BslInputByteOrder, 0},
      {"Add", cb.Add, 1},
      {"MaxLineWidth", cb.MaxLineWidth, 0},
      {"MinHeaderSize", cb.MinHeaderSize, 0},
      {"CommonOrientation", cb.CommonOrientation, 0},
      {"Beam", cb.Beam, 0},
  };
  for (const auto &c : longs) {
    EXPECT_EQ(c.value.V, c.expected) << c.name;
    EXPECT_EQ(c.value.I, 0) << c.name;
  }
  EXPECT_FLOAT_EQ(cb.IPMin.V, 0.5f);
  EXPECT_EQ(cb.IPMin.I, 0);
  EXPECT_STREQ(cb.Shift[0].V, "2.0");
  EXPECT_STREQ(cb.Shift[1].V, "0.0");
  EXPECT_STREQ(cb.Shift[2].V, "0.0");
  for (int k = 0; k < 3; ++k)
    EXPECT_EQ(cb.Shift[k].I, 0);
  for (const auto &v : cb.Arg) {
    EXPECT_EQ(v.V, 0.0f);
    EXPECT_EQ(v.I, 0);
  }
  for (const auto &v : cb.Flexp) {
    EXPECT_STREQ(v.V, "");
    EXPECT_EQ(v.I, 0);
  }
  for (const auto &v : cb.Num) {
    EXPECT_EQ(v.V, 0);
    EXPECT_EQ(v.I, 0);
  }
  for (const auto &v : cb.Lvexp) {
    EXPECT_STREQ(v.V, "");
    EXPECT_EQ(v.I, 0);
  }
  for (const auto &v : cb.Lin) {
    EXPECT_STREQ(v.V, "");
    EXPECT_EQ(v.I, 0);
  }
  for (const auto &v : cb.Flg) {
    EXPECT_EQ(v.V, 0);
    EXPECT_EQ(v.I, 0);
  }
}

TEST(InitOptions, ImageBlockDefaults) {
  Blocks b(3);
  for (int n = 0; n < 3; ++n) {
    const ImgBlk &ib = b.ib[n];
    SCOPED_TRACE(n);
    EXPECT_EQ(ib.blkno, n);
    EXPECT_EQ(ib.Stream, -1);
    EXPECT_EQ(ib.StreamOpenMode, 0);
    EXPECT_EQ(ib.FileNumber, 1);
    EXPECT_EQ(ib.LoopNumber, 1);
    EXPECT_STREQ(ib.FileName, "");

    const struct {
      const char *name;
      const char *value;
      const char *expected;
    } texts[] = {
        {"Name", ib.Name.V, "datafile.kyt"},
        {"MinClip", ib.MinClip.V, "-inf"},
        {"MaxClip", ib.MaxClip.V, "inf"},
        {"Const", ib.Const.V, "0.0"},
        {"Factor", ib.Factor.V, "1.0"},
        {"Val", ib.Val.V, "1.0"},
        {"ErrVal", ib.ErrVal.V, "0.0"},
        {"Bin[0]", ib.Bin[0].V, "2"},
        {"Bin[1]", ib.Bin[1].V, "1"},
        {"Bin[2]", ib.Bin[2].V, "1"},
        {"Gnaw[0]", ib.Gnaw[0].V, "2"},
        {"Gnaw[1]", ib.Gnaw[1].V, "0"},
        {"Gnaw[2]", ib.Gnaw[2].V, "0"},
        {"Title", ib.Title.V, ""},
        {"Time", ib.Time.V, ""},
        {"Dim[0]", ib.Dim[0].V, "2"},
        {"Dim[1]", ib.Dim[1].V, "1"},
        {"Dim[2]", ib.Dim[2].V, "1"},
        {"Dummy", ib.Dummy.V, "0.0"},
        {"DDummy", ib.DDummy.V, "0.5"},
        {"Offset[0]", ib.Offset[0].V, "2"},
        {"Offset[1]", ib.Offset[1].V, "0"},
        {"Offset[2]", ib.Offset[2].V, "0"},
        {"BinSiz[0]", ib.BinSiz[0].V, "2"},
        {"BinSiz[1]", ib.BinSiz[1].V, "1"},
        {"PixSiz[0]", ib.PixSiz[0].V, "2"},
        {"PixSiz[2]", ib.PixSiz[2].V, "1"},
        {"WaveLength", ib.WaveLength.V, "1e-10"},
        {"Orientation", ib.Orientation.V, "1"},
        {"Center[0]", ib.Center[0].V, "2"},
        {"Center[1]", ib.Center[1].V, "0"},
        {"SampleDistance", ib.SampleDistance.V, "1"},
        {"DetRot[0]", ib.DetRot[0].V, "3"},
        {"DetRot[1]", ib.DetRot[1].V, "0"},
        {"DetRot[3]", ib.DetRot[3].V, "0"},
        {"BeamCenter[0]", ib.BeamCenter[0].V, "2"},
        {"DetTilt[0]", ib.DetTilt[0].V, "3"},
    };
    for (const auto &t : texts)
      EXPECT_STREQ(t.value, t.expected) << t.name;

    const struct {
      const char *name;
      const IO_long &value;
      long expected;
    } longs[] = {
        {"OpenMode", ib.OpenMode, IO_ImageProtect},
        {"Memory", ib.Memory, 1},
        {"First", ib.First, 1},
        {"Last", ib.Last, 1},
        {"Inc", ib.Inc, 1},
        {"Ave", ib.Ave, 1},
        {"Projection", ib.Projection, IO_ProVesk},
        {"AxisType[0]", ib.AxisType[0], 0},
        {"AxisType[1]", ib.AxisType[1], 1},
        {"AxisType[2]", ib.AxisType[2], 1},
    };
    for (const auto &l : longs)
      EXPECT_EQ(l.value.V, l.expected) << l.name;

    // Nothing is marked as given.
    const int marks[] = {ib.Name.I,        ib.FFirst.I,        ib.FLast.I,
                         ib.FInc.I,        ib.OpenMode.I,      ib.Memory.I,
                         ib.First.I,       ib.Last.I,          ib.Inc.I,
                         ib.MinClip.I,     ib.MaxClip.I,       ib.Const.I,
                         ib.Factor.I,      ib.Val.I,           ib.ErrVal.I,
                         ib.Bin[1].I,      ib.Ave.I,           ib.Gnaw[1].I,
                         ib.Title.I,       ib.Time.I,          ib.Dim[2].I,
                         ib.Dummy.I,       ib.DDummy.I,        ib.Offset[1].I,
                         ib.BinSiz[1].I,   ib.PixSiz[1].I,     ib.WaveLength.I,
                         ib.Orientation.I, ib.IndexOrder.I,    ib.Projection.I,
                         ib.AxisType[1].I, ib.Center[1].I,     ib.SampleDistance.I,
                         ib.DetRot[3].I,   ib.BeamCenter[1].I, ib.BeamDistance.I,
                         ib.DetTilt[1].I};
    for (int mark : marks)
      EXPECT_EQ(mark, 0);
  }
}

TEST(InitOptions, CommandTable) {
  Blocks b(1);
  const auto &co = b.cb->co;
  ASSERT_EQ(co.size(), 123u);
  EXPECT_STREQ(co[0].code, "Cmd");
  EXPECT_EQ(co[0].ptyp, 1);
  EXPECT_EQ(co[0].npar, 122);
  EXPECT_STREQ(co[122].code, "");

  const struct {
    int index;
    const char *code;
    int ptyp;
    int npar;
  } fixed[] = {
      {1, "test", 1, 0},  {2, "h", 1, 0},     {3, "p", 1, 0},     {4, "shft", 6, 2},
      {5, "rsys", 8, 1},  {6, "usys", 8, 1},  {7, "gblk", 1, 0},  {8, "pass", 1, 0},
      {9, "var", 1, 0},   {10, "aa", 1, 0},   {11, "vw", 1, 0},   {12, "type", 3, 1},
      {13, "dvo", 3, 1},  {14, "cmpr", 3, 1}, {15, "bibo", 3, 1}, {16, "add", 3, 1},
      {17, "pmin", 5, 1}, {18, "mlw", 3, 1},  {19, "mhs", 3, 1},  {20, "cori", 1, 0},
      {21, "beam", 1, 0},
  };
  for (const auto &f : fixed) {
    EXPECT_STREQ(co[f.index].code, f.code) << f.index;
    EXPECT_EQ(co[f.index].ptyp, f.ptyp) << f.code;
    EXPECT_EQ(co[f.index].npar, f.npar) << f.code;
  }
  // Program slots are free, typed by their range.
  const struct {
    int first, last, ptyp, npar;
  } slots[] = {{22, 51, 5, 1},  {52, 81, 6, 1},   {82, 91, 3, 1},
               {92, 101, 4, 1}, {102, 111, 2, 1}, {112, 121, 1, 0}};
  for (const auto &s : slots)
    for (int i = s.first; i <= s.last; ++i) {
      EXPECT_STREQ(co[i].code, "") << i;
      EXPECT_EQ(co[i].ptyp, s.ptyp) << i;
      EXPECT_EQ(co[i].npar, s.npar) << i;
    }
}

TEST(InitOptions, ImageTable) {
  Blocks b(1);
  const auto &io = b.cb->io;
  ASSERT_EQ(io.size(), 36u);
  EXPECT_STREQ(io[0].code, "Cmd");
  EXPECT_EQ(io[0].npar, 35);
  EXPECT_STREQ(io[35].code, "");
  const struct {
    int index;
    const char *code;
    int ptyp;
    int npar;
  } entries[] = {
      {1, "mod", 7, 1},   {2, "nam", 2, 1},   {3, "mem", 3, 1},  {4, "fst", 3, 1},
      {5, "lst", 3, 1},   {6, "inc", 3, 1},   {7, "min", 6, 1},  {8, "max", 6, 1},
      {9, "con", 6, 1},   {10, "fac", 6, 1},  {11, "val", 6, 1}, {12, "err", 6, 1},
      {13, "bin", 4, 2},  {14, "ave", 1, 0},  {15, "gna", 4, 2}, {16, "tit", 2, 1},
      {17, "time", 2, 1}, {18, "dim", 4, 2},  {19, "dum", 6, 1}, {20, "ddum", 6, 1},
      {21, "off", 6, 2},  {22, "bis", 6, 2},  {23, "pix", 6, 2}, {24, "wvl", 6, 1},
      {25, "ori", 4, 1},  {26, "kori", 4, 1}, {27, "pro", 9, 1}, {28, "axis", 10, 2},
      {29, "cen", 6, 2},  {30, "dis", 6, 1},  {31, "rot", 6, 3}, {32, "bcen", 6, 2},
      {33, "bdis", 6, 1}, {34, "tilt", 6, 3},
  };
  for (const auto &e : entries) {
    EXPECT_STREQ(io[e.index].code, e.code) << e.index;
    EXPECT_EQ(io[e.index].ptyp, e.ptyp) << e.code;
    EXPECT_EQ(io[e.index].npar, e.npar) << e.code;
  }
}

TEST(InitOptions, ZeroImageBlocksStillGetBothTables) {
  Blocks b(0);
  EXPECT_EQ(b.cb->ImgBlkLen, 0);
  EXPECT_EQ(b.cb->co.size(), 123u);
  EXPECT_EQ(b.cb->io.size(), 36u);
}

TEST(InitOptions, MinimumComesFromInterpolationSettingsWithoutChangingThem) {
  ipol_reset();
  Ipolmin(0.25f);
  Blocks b(1);
  EXPECT_FLOAT_EQ(b.cb->IPMin.V, 0.25f);
  EXPECT_FLOAT_EQ(Ipolmin(-1.0f), 0.25f);
  ipol_reset();
}

TEST(InitOptions, ReinitialisingResetsChangedValues) {
  Blocks b(2);
  b.cb->Prompt = {0, -1};
  std::strcpy(b.ib[1].Name.V, "x.kyt");
  b.ib[1].Name.I = 1;
  b.ib[1].Stream = 4;
  InitOptions("", "v", nullptr, 0, b.cb.get(), b.ib.get(), 2);
  EXPECT_EQ(b.cb->Prompt.V, 1);
  EXPECT_EQ(b.cb->Prompt.I, 0);
  EXPECT_STREQ(b.ib[1].Name.V, "datafile.kyt");
  EXPECT_EQ(b.ib[1].Name.I, 0);
  EXPECT_EQ(b.ib[1].Stream, -1);
}

TEST(Versions, Texts) {
  Blocks b(1);
  EXPECT_STREQ(vesk_libversion(), "V2.478");
  EXPECT_STREQ(VeskOptionVersion(), "VeskOption V6.78 Marvane 2015-11-17");
  EXPECT_STREQ(vesk_progversion(b.cb.get()), "prog V1.0");
  EXPECT_STREQ(vesk_version(b.cb.get()), "# prog V1.0 V2.478 K2.268a_linux");
  EXPECT_STREQ(vesk_progversion(nullptr), "");
  EXPECT_STREQ(vesk_version(nullptr), "");

  Blocks none(1, nullptr);
  EXPECT_STREQ(vesk_progversion(none.cb.get()), "");
  EXPECT_STREQ(vesk_version(none.cb.get()), "#  V2.478 K2.268a_linux");
}

TEST(Versions, LongBannerIsCutTo1023Characters) {
  const std::string banner(3000, 'v');
  Blocks b(1, banner.c_str());
  EXPECT_EQ(std::strlen(vesk_version(b.cb.get())), 1023u);
  EXPECT_EQ(std::string(vesk_version(b.cb.get())).substr(0, 4), "# vv");
}

TEST(InitOptionsDeathTest, ShortTablesAreRefused) {
  OptDsc co[122];
  OptDsc io[35];
  EXPECT_EXIT(InitCommandOptions(co, 122), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(InitImageOptions(io, 35), ::testing::ExitedWithCode(0), "");
}

} // namespace
