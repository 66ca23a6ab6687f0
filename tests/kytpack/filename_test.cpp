// Tests of file-name parameters, substitution, splitting, numbering, absolute
// names and existence in filename.
#include "filename.h"

#include "guarded_buffer.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t big = 20000;

// Sets or unsets one environment variable for the life of the object.
class ScopedEnv {
public:
  ScopedEnv(const char *name, const char *value) : name_(name) {
    if (const char *old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_.c_str(), old_->c_str(), 1);
    else
      unsetenv(name_.c_str());
  }
  ScopedEnv(const ScopedEnv &) = delete;
  ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
  std::string name_;
  std::optional<std::string> old_;
};

// Changes into a directory for the life of the object.
class ScopedCwd {
public:
  explicit ScopedCwd(const fs::path &dir) : old_(fs::current_path()) { fs::current_path(dir); }
  ~ScopedCwd() { fs::current_path(old_); }
  ScopedCwd(const ScopedCwd &) = delete;
  ScopedCwd &operator=(const ScopedCwd &) = delete;

private:
  fs::path old_;
};

// A fresh temporary folder, removed afterwards; `real` has symbolic links resolved.
class TempDirTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::string templ = (fs::temp_directory_path() / "filename_test.XXXXXX").string();
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    dir = templ;
    real = fs::canonical(dir).string();
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  void touch(const fs::path &p) { std::ofstream(dir / p) << "x"; }

  fs::path dir;
  std::string real;
};

// Result of a routine as an optional text; none when it returned none.
using Writer = std::function<char *(char *, std::size_t)>;
std::optional<std::string> run(const Writer &write) {
  GuardedBuffer buffer(big);
  char *result = write(buffer.data(), buffer.size());
  EXPECT_TRUE(buffer.guards_intact());
  if (!result) {
    EXPECT_TRUE(buffer.untouched()) << "a failing routine wrote into the buffer";
    return std::nullopt;
  }
  EXPECT_EQ(result, buffer.data());
  return std::string(result);
}

std::string show(const char *s) {
  return s ? std::string("\"") + s + "\"" : "(none)";
}

TEST(FilenameTest, Version) {
  EXPECT_STREQ(filename_version(), "filename : V1.15 Marvane 2015-11-26");
}

TEST(FilenameTest, Parameter) {
  struct Row {
    const char *pattern;
    int parno;
    const char *expected; // none: no such parameter
  };
  const Row rows[] = {
      {"a.kyt,1,10,2", 0, "a.kyt"},
      {"a.kyt,1,10,2", 1, "1"},
      {"a.kyt,1,10,2", 2, "10"},
      {"a.kyt,1,10,2", 3, "2"},
      {"a.kyt,1,10,2", 4, nullptr},
      {"a.kyt,1,10,2", -1, "1,10,2"},
      {"a.kyt,1,10,2", -2, nullptr},
      {"a.kyt,,5", 1, ""},
      {"a.kyt,,5", 2, "5"},
      {"a.kyt,", 1, ""},
      {"a.kyt,", -1, ""},
      {"a.kyt", 0, "a.kyt"},
      {"a.kyt", 1, nullptr},
      {"a.kyt", -1, nullptr},
      {"", 0, ""},
      {"", 1, nullptr},
      {",x", 0, ""},
      {",x", 1, "x"},
      {"[Key,2]x.kyt,3", 0, "[Key,2]x.kyt"},
      {"[Key,2]x.kyt,3", 1, "3"},
      {"[Key,2]x.kyt,3", 2, nullptr},
      {"[Key,2]x.kyt,3", -1, "3"},
      {"[a,b]c[d,e]f,1,2", 0, "[a,b]c[d,e]f"},
      {"[a,b]c[d,e]f,1,2", 2, "2"},
      {"[a,b]", 0, "[a,b]"},
      {"[a,b]", 1, nullptr},
      {nullptr, 0, nullptr},
  };
  for (const Row &row : rows) {
    const auto result = run(
        [&](char *b, std::size_t n) { return filename_parameter(b, n, row.pattern, row.parno); });
    if (row.expected) {
      EXPECT_EQ(result, std::optional<std::string>(row.expected))
          << show(row.pattern) << " parameter " << row.parno;
    } else {
      EXPECT_EQ(result, std::nullopt) << show(row.pattern) << " parameter " << row.parno;
    }
  }
}

// Environment used by the substitution tests; restored afterwards.
class EnvTest : public ::testing::Test {
protected:
  ScopedEnv home{"HOME", "/u/x"};
  ScopedEnv a{"VESK_TEST_A", "alpha"};
  ScopedEnv empty{"VESK_TEST_EMPTY", ""};
  ScopedEnv unset{"VESK_TEST_UNSET", nullptr};
};

std::string home_of(const char *user) {
  const passwd *pw = getpwnam(user);
  return pw ? pw->pw_dir : "";
}

TEST_F(EnvTest, Subst) {
  const std::string root = home_of("root");
  ASSERT_FALSE(root.empty());
  struct Row {
    const char *pattern;
    std::optional<std::string> expected; // none: fails
  };
  const std::vector<Row> rows = {
      {"$HOME/a.kyt", "/u/x/a.kyt"},
      {"${HOME}a", "/u/xa"},
      {"${HOME}/${VESK_TEST_A}", "/u/x/alpha"},
      {"$VESK_TEST_A$VESK_TEST_A", "alphaalpha"},
      {"x$VESK_TEST_EMPTY/y", "x/y"},
      {"$VESK_TEST_UNSET/a", std::nullopt},
      {"${VESK_TEST_UNSET}", std::nullopt},
      {"$VESK_TEST_A.kyt", std::nullopt}, // the name runs up to "/", "$" or the end
      {"${}", std::nullopt},
      {"a$/b", "a$/b"},
      {"a$", "a$"},
      {"$", "$"},
      {"a$$HOME", "a$/u/x"},
      {"~/a", "/u/x/a"},
      {"~", "/u/x"},
      {"~$VESK_TEST_A", "/u/xalpha"},
      {"x~/a", "x~/a"},
      {"a/~", "a/~"},
      {"~root/x", root + "/x"},
      {"~root", root},
      {"~{root}x", root + "x"},
      {"~no_such_user_vesk/a", std::nullopt},
      {"~{no_such_user_vesk}", std::nullopt},
      {"{a}b", "ab"},
      {"{${VESK_TEST_A}}/{{x}}", "alpha/x"},
      {"{$VESK_TEST_A}", std::nullopt}, // unbraced: the name "VESK_TEST_A}" is undefined
      {"a}b", std::nullopt},
      {"{a", std::nullopt},
      {"{a}}", std::nullopt},
      {"${HOME", std::nullopt},
      {"${HOME}}", std::nullopt},
      {"~{root", std::nullopt},
      {"a\\b,1,2", "a\\b,1,2"},
      {"", ""},
  };
  for (const Row &row : rows) {
    const auto result = run([&](char *b, std::size_t n) { return env_subst(b, n, row.pattern); });
    EXPECT_EQ(result, row.expected) << show(row.pattern);
  }
}

TEST_F(EnvTest, SubstOfHomeWithoutHomeVariableUsesPasswordEntry) {
  const passwd *pw = getpwuid(getuid());
  ASSERT_NE(pw, nullptr);
  const std::string expected = std::string(pw->pw_dir) + "/a";
  ScopedEnv no_home("HOME", nullptr);
  EXPECT_EQ(run([](char *b, std::size_t n) { return env_subst(b, n, "~/a"); }), expected);
}

TEST_F(EnvTest, FailedSubstLeavesBufferUnchanged) {
  char buffer[32] = "previous";
  for (const char *bad : {"$VESK_TEST_UNSET", "~no_such_user_vesk", "{a", "a}", "${HOME"}) {
    EXPECT_EQ(env_subst(buffer, sizeof buffer, bad), nullptr) << bad;
    EXPECT_STREQ(buffer, "previous") << bad;
  }
  EXPECT_EQ(env_subst(buffer, sizeof buffer, nullptr), nullptr);
  EXPECT_EQ(env_subst(nullptr, 10, "a"), nullptr);
}

TEST(FilenameTest, EnvExtract) {
  struct Row {
    const char *text;
    const char *name; // none: braces do not match
    std::size_t advance;
  };
  const Row rows[] = {
      {"HOME/x", "HOME", 4}, {"{HOME}x", "HOME", 6}, {"{a{b}c}d", "a{b}c", 7},
      {"A$B", "A", 1},       {"user", "user", 4},    {"", "", 0},
      {"/x", "", 0},         {"{}", "", 2},          {"{abc", nullptr, 0},
      {"{a{b}", nullptr, 0}, {"a}b/c", "a}b", 3},
  };
  for (const Row &row : rows) {
    const char *p = row.text;
    const auto result = run([&](char *b, std::size_t n) { return env_extract(b, n, &p); });
    if (row.name) {
      EXPECT_EQ(result, std::optional<std::string>(row.name)) << show(row.text);
    } else {
      EXPECT_EQ(result, std::nullopt) << show(row.text);
    }
    EXPECT_EQ(p, row.text + row.advance) << show(row.text);
  }
  char buffer[8];
  EXPECT_EQ(env_extract(buffer, sizeof buffer, nullptr), nullptr);
  const char *none = nullptr;
  EXPECT_EQ(env_extract(buffer, sizeof buffer, &none), nullptr);
}

TEST_F(EnvTest, Unix) {
  struct Row {
    const char *pattern;
    std::optional<std::string> expected;
  };
  const std::vector<Row> rows = {
      {"a\\b\\c.kyt,1,2", "a/b/c.kyt"},     {"$HOME/x%%%.kyt,1,10", "/u/x/x%%%.kyt"},
      {"[K,2]d\\x.kyt,3", "[K,2]d/x.kyt"},  {"plain", "plain"},
      {"$VESK_TEST_UNSET/x", std::nullopt}, {nullptr, std::nullopt},
  };
  for (const Row &row : rows) {
    EXPECT_EQ(run([&](char *b, std::size_t n) { return filename_unix(b, n, row.pattern); }),
              row.expected)
        << show(row.pattern);
  }
}

// The splitters: path, name, body, extension and base of one name text.
TEST_F(EnvTest, Splitters) {
  struct Row {
    const char *pattern;
    const char *path;
    const char *name;
    const char *body;
    const char *extension;
    const char *base;
  };
  const Row rows[] = {
      {"a.kyt", "./", "a.kyt", "a", ".kyt", "a"},
      {"d/e/a.kyt", "d/e/", "a.kyt", "d/e/a", ".kyt", "a"},
      {"d/e/a.b.kyt", "d/e/", "a.b.kyt", "d/e/a.b", ".kyt", "a.b"},
      {"dir.v2/file", "dir.v2/", "file", "dir", ".v2/file", "file"},
      {"/a", "/", "a", "/a", "", "a"},
      {"d/", "d/", "", "d/", "", ""},
      {"noext", "./", "noext", "noext", "", "noext"},
      {".hidden", "./", ".hidden", "", ".hidden", ""},
      {"a.kyt,1,10", "./", "a.kyt", "a", ".kyt", "a"},
      {"d\\e\\f.x,1,2", "d/e/", "f.x", "d\\e\\f", ".x", "f"},
      {"$HOME/x.y", "/u/x/", "x.y", "$HOME/x", ".y", "x"},
      {"[k,1.5]d/img.kyt,2.5", "[k,1.5]d/", "img.kyt", "[k,1.5]d/img", ".kyt", "img"},
  };
  for (const Row &row : rows) {
    const char *p = row.pattern;
    EXPECT_EQ(run([&](char *b, std::size_t n) { return filename_path(b, n, p); }),
              std::optional<std::string>(row.path))
        << "path of " << p;
    EXPECT_EQ(run([&](char *b, std::size_t n) { return filename_name(b, n, p); }),
              std::optional<std::string>(row.name))
        << "name of " << p;
    EXPECT_EQ(run([&](char *b, std::size_t n) { return filename_body(b, n, p); }),
              std::optional<std::string>(row.body))
        << "body of " << p;
    EXPECT_EQ(run([&](char *b, std::size_t n) { return filename_extension(b, n, p); }),
              std::optional<std::string>(row.extension))
        << "extension of " << p;
    EXPECT_EQ(run([&](char *b, std::size_t n) { return filename_base(b, n, p); }),
              std::optional<std::string>(row.base))
        << "base of " << p;
  }
}

TEST_F(EnvTest, SplittersFail) {
  for (const char *bad : {static_cast<const char *>(nullptr), "$VESK_TEST_UNSET/a.kyt"}) {
    EXPECT_EQ(run([&](char *b, std::size_t n) { return filename_path(b, n, bad); }), std::nullopt);
    EXPECT_EQ(run([&](char *b, std::size_t n) { return filename_name(b, n, bad); }), std::nullopt);
    EXPECT_EQ(run([&](char *b, std::size_t n) { return filename_base(b, n, bad); }), std::nullopt);
    EXPECT_EQ(run([&](char *b, std::size_t n) { return filename_terminate_path(b, n, bad); }),
              std::nullopt);
  }
  // Body and extension work on the text as given: no substitution to fail.
  EXPECT_EQ(run([](char *b, std::size_t n) { return filename_body(b, n, "$VESK_TEST_UNSET.x"); }),
            "$VESK_TEST_UNSET");
  EXPECT_EQ(run([](char *b, std::size_t n) { return filename_body(b, n, nullptr); }), std::nullopt);
  EXPECT_EQ(run([](char *b, std::size_t n) { return filename_extension(b, n, nullptr); }),
            std::nullopt);
}

TEST_F(EnvTest, TerminatePath) {
  struct Row {
    const char *path;
    const char *expected;
  };
  const Row rows[] = {{"", "./"},       {"d", "d/"},        {"d/", "d/"},  {"/", "/"},
                      {"d\\e", "d/e/"}, {"$HOME", "/u/x/"}, {"d,1", "d/"}, {".", "./"}};
  for (const Row &row : rows) {
    EXPECT_EQ(run([&](char *b, std::size_t n) { return filename_terminate_path(b, n, row.path); }),
              std::optional<std::string>(row.expected))
        << show(row.path);
  }
}

TEST(FilenameTest, HasPathAndHasPattern) {
  struct Row {
    const char *name;
    bool path;
    bool pattern;
  };
  const Row rows[] = {{"a.kyt", false, false}, {"d/a.kyt", true, false}, {"a%%.kyt", false, true},
                      {"/%", true, true},      {"", false, false},       {nullptr, false, false}};
  for (const Row &row : rows) {
    EXPECT_EQ(filename_has_path(row.name), row.path) << show(row.name);
    EXPECT_EQ(filename_has_pattern(row.name), row.pattern) << show(row.name);
  }
}

TEST(FilenameTest, Pattern) {
  struct Row {
    const char *pattern;
    long number;
    const char *expected;
  };
  const Row rows[] = {
      {"img%%%%.kyt", 12, "img0012.kyt"},
      {"img%%%%.kyt", -12, "img-012.kyt"},
      {"img%%%%.kyt", 123456, "img3456.kyt"},
      {"img%%%%.kyt", -123456, "img-456.kyt"},
      {"img%%%%.kyt", 0, "img0000.kyt"},
      {"a%b%", 7, "a0b7"},
      {"a%b%", 42, "a4b2"},
      {"%_%_%", -1, "-_0_1"},
      {"%", -3, "-"},
      {"%", 12, "2"},
      {"no placeholder", 5, "no placeholder"},
      {"", 5, ""},
      {"%%", LONG_MIN, "-8"},
      {"%%%%%%%%%%%%%%%%%%%%", LONG_MIN, "-9223372036854775808"},
      {"%%%%%%%%%%%%%%%%%%%%", LONG_MAX, "09223372036854775807"},
      {"%%%%%%%%%%%%%%%%%%%%%", -1, "-00000000000000000001"},
  };
  static_assert(LONG_MAX == 9223372036854775807L, "table assumes a 64-bit long");
  for (const Row &row : rows) {
    EXPECT_EQ(run([&](char *b, std::size_t n) {
                return filename_pattern(b, n, row.pattern, row.number);
              }),
              std::optional<std::string>(row.expected))
        << row.pattern << " " << row.number;
  }
  EXPECT_EQ(run([](char *b, std::size_t n) { return filename_pattern(b, n, nullptr, 1); }),
            std::nullopt);
}

TEST_F(TempDirTest, FullOfRelativeNamesInTheWorkingDirectory) {
  fs::create_directory(dir / "sub");
  const fs::path before = fs::current_path();
  {
    ScopedCwd cwd(dir);
    struct Row {
      const char *pattern;
      std::string expected;
    };
    const std::vector<Row> rows = {
        {"x", real + "/x"},
        {"./x", real + "/x"},
        {"sub/x", real + "/sub/x"},
        {"sub/../x", real + "/x"},
        {"sub\\x,1,2", real + "/sub/x"},
        {"sub/", real + "/sub/"},
        {"x,1,10", real + "/x"},
    };
    for (const Row &row : rows) {
      EXPECT_EQ(run([&](char *b, std::size_t n) { return filename_full(b, n, row.pattern); }),
                row.expected)
          << row.pattern;
      EXPECT_EQ(fs::current_path(), fs::path(real)) << "working directory changed";
    }
  }
  EXPECT_EQ(fs::current_path(), before);
}

TEST_F(TempDirTest, FullResolvesSymbolicLinks) {
  fs::create_directory(dir / "target");
  fs::create_directory_symlink(dir / "target", dir / "link");
  const std::string name = (dir / "link" / "f.kyt").string();
  EXPECT_EQ(run([&](char *b, std::size_t n) { return filename_full(b, n, name.c_str()); }),
            real + "/target/f.kyt");
}

TEST_F(TempDirTest, FullFails) {
  touch("file");
  ScopedCwd cwd(dir);
  for (const char *bad : {"nodir/x", "file/x", "nodir/", static_cast<const char *>(nullptr)}) {
    char buffer[64] = "previous";
    EXPECT_EQ(filename_full(buffer, sizeof buffer, bad), nullptr) << show(bad);
    EXPECT_STREQ(buffer, "previous") << show(bad);
  }
}

TEST(FilenameTest, FullOfDevNullAndRootNames) {
  struct Row {
    const char *pattern;
    const char *expected;
  };
  const Row rows[] = {{"/dev/null", "/dev/null"}, {"/x", "/x"}, {"/", "/"}, {"//x", "/x"}};
  for (const Row &row : rows) {
    EXPECT_EQ(run([&](char *b, std::size_t n) { return filename_full(b, n, row.pattern); }),
              std::optional<std::string>(row.expected))
        << row.pattern;
  }
}

TEST_F(TempDirTest, Exists) {
  touch("f.kyt");
  fs::create_directory(dir / "sub");
  touch("sub/g");
  const std::string d = dir.string();
  struct Row {
    std::string name;
    bool exists;
  };
  const std::vector<Row> rows = {
      {d + "/f.kyt", true}, {d + "/f.kyt,1,10", true}, {d + "/sub", true},
      {d + "/sub/g", true}, {d + "\\sub\\g", true},    {d + "/F.KYT", false},
      {d + "/f.ky", false}, {d + "/nope", false},      {d + "/nodir/f.kyt", false},
      {d + "/sub/", false}, {d + "/f.kyt/x", false},
  };
  for (const Row &row : rows)
    EXPECT_EQ(filename_exists(row.name.c_str()), row.exists) << row.name;

  ScopedCwd cwd(dir);
  EXPECT_TRUE(filename_exists("f.kyt"));
  EXPECT_TRUE(filename_exists("sub/g"));
  EXPECT_FALSE(filename_exists("g"));
  EXPECT_FALSE(filename_exists(""));
  EXPECT_FALSE(filename_exists(nullptr));
  EXPECT_FALSE(filename_exists("$VESK_TEST_UNSET_EXISTS/f.kyt"));
}

TEST(FilenameTest, ExistsDirectlyUnderRoot) {
  // An entry of "/" is found by listing "/" itself.
  const fs::directory_entry first = *fs::directory_iterator("/");
  const std::string name = "/" + first.path().filename().string();
  EXPECT_TRUE(filename_exists(name.c_str())) << name;
  EXPECT_FALSE(filename_exists("/no_such_entry_vesk_test"));
}

TEST_F(TempDirTest, Compare) {
  touch("a");
  fs::create_directory(dir / "sub");
  ScopedCwd cwd(dir);
  const std::string abs_a = real + "/a";
  struct Row {
    const char *n1;
    const char *n2;
    int sign;
  };
  const Row rows[] = {
      {"a", "./a", 0},   {"a", abs_a.c_str(), 0}, {"sub/../a", "a", 0},      {"a", "b", -1},
      {"b", "a", 1},     {"a,1,2", "a", 0},       {"nodir/x", "nodir/y", 0}, {"nodir/x", "a", -1},
      {"a", nullptr, 1}, {nullptr, nullptr, 0},
  };
  for (const Row &row : rows) {
    const int result = filename_compare(row.n1, row.n2);
    EXPECT_EQ((result > 0) - (result < 0), row.sign) << show(row.n1) << " " << show(row.n2);
  }
}

// Every routine writing into a caller's buffer: at most buflen-1 characters,
// never a byte past buflen, also for name texts far longer than 4095 characters.
TEST_F(EnvTest, BufferWritesAreBounded) {
  const std::string long_name(10000, 'n');
  const std::string long_value(9000, 'v');
  ScopedEnv long_env("VESK_TEST_LONG", long_value.c_str());
  const std::string with_params = long_name + ".kyt,1,2";
  const std::string braced = "{" + long_name + "}";
  const std::string subst_text = "$VESK_TEST_LONG/" + long_name;
  const std::string rooted = "/" + long_name;
  const std::string deep = std::string(4000, 'p') + "/" + long_name;
  const std::string params_after = "a," + long_name;
  const std::string percent = "x" + std::string(6000, '%');
  struct Row {
    const char *name;
    Writer write;
    std::size_t min_full; // the result with room enough has at least this length
  };
  const std::vector<Row> rows = {
      {"parameter 0",
       [&](char *b, std::size_t n) { return filename_parameter(b, n, long_name.c_str(), 0); },
       4095},
      {"parameter -1",
       [&](char *b, std::size_t n) { return filename_parameter(b, n, params_after.c_str(), -1); },
       4093},
      {"env_subst", [&](char *b, std::size_t n) { return env_subst(b, n, subst_text.c_str()); },
       19001},
      {"env_extract",
       [&](char *b, std::size_t n) {
         const char *p = braced.c_str();
         return env_extract(b, n, &p);
       },
       10000},
      {"unix", [&](char *b, std::size_t n) { return filename_unix(b, n, subst_text.c_str()); },
       4095},
      {"path", [&](char *b, std::size_t n) { return filename_path(b, n, deep.c_str()); }, 4001},
      {"terminate_path",
       [&](char *b, std::size_t n) { return filename_terminate_path(b, n, long_name.c_str()); },
       4096},
      {"name", [&](char *b, std::size_t n) { return filename_name(b, n, long_name.c_str()); },
       4095},
      {"body", [&](char *b, std::size_t n) { return filename_body(b, n, long_name.c_str()); },
       4095},
      {"extension",
       [&](char *b, std::size_t n) { return filename_extension(b, n, ("." + long_name).c_str()); },
       4095},
      {"base", [&](char *b, std::size_t n) { return filename_base(b, n, with_params.c_str()); },
       4095},
      {"full", [&](char *b, std::size_t n) { return filename_full(b, n, rooted.c_str()); }, 4095},
      {"pattern",
       [&](char *b, std::size_t n) { return filename_pattern(b, n, percent.c_str(), -7); }, 4095},
  };
  for (const Row &row : rows) {
    const auto full = run(row.write);
    ASSERT_TRUE(full.has_value()) << row.name;
    EXPECT_GE(full->size(), row.min_full) << row.name;
    for (std::size_t buflen : {1UL, 2UL, 17UL, 4095UL, 4096UL, 4097UL, 12000UL}) {
      GuardedBuffer buffer(buflen);
      char *result = row.write(buffer.data(), buffer.size());
      ASSERT_EQ(result, buffer.data()) << row.name << " buflen " << buflen;
      EXPECT_EQ(buffer.text(), full->substr(0, buflen - 1)) << row.name << " buflen " << buflen;
      EXPECT_TRUE(buffer.guards_intact()) << row.name << " buflen " << buflen;
    }
    GuardedBuffer none(0);
    EXPECT_EQ(row.write(none.data(), 0), nullptr) << row.name;
    EXPECT_TRUE(none.untouched()) << row.name;
    EXPECT_EQ(row.write(nullptr, 64), nullptr) << row.name;
  }
}

// The working copy of a name text holds 4095 characters.
TEST(FilenameTest, WorkingCopyLimit) {
  const std::string long_name(10000, 'n');
  EXPECT_EQ(run([&](char *b, std::size_t n) {
              return filename_parameter(b, n, long_name.c_str(), 0);
            })->size(),
            4095U);
  const std::string pattern = std::string(5000, 'x') + "%%";
  EXPECT_EQ(run([&](char *b, std::size_t n) { return filename_pattern(b, n, pattern.c_str(), 1); }),
            std::string(4095, 'x'));
}

} // namespace
