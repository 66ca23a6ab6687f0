// Tests of the text routines in strlib.
#include "strlib.h"

#include "guarded_buffer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

TEST(StrlibTest, Version) {
  EXPECT_STREQ(strlib_version(), "strlib : V1.08 Marvane 2015-12-06");
}

TEST(StrlibTest, WhiteAndCrlfCharacters) {
  struct Row {
    int c;
    bool white;
    bool crlf;
  };
  const Row rows[] = {
      {' ', true, false},  {'\t', true, false},  {'\r', true, true},   {'\n', true, true},
      {'\f', true, false}, {'\v', true, false},  {'\0', false, false}, {'a', false, false},
      {'_', false, false}, {0xA0, false, false}, {-1, false, false},
  };
  for (const Row &row : rows) {
    EXPECT_EQ(strlib_is_white(row.c), row.white) << "c=" << row.c;
    EXPECT_EQ(strlib_is_crlf(row.c), row.crlf) << "c=" << row.c;
  }
}

TEST(StrlibTest, IsNoSkip) {
  struct Row {
    const char *s;
    bool no_skip;
  };
  const Row rows[] = {{"...", false}, {"-", false},   {".", false},   {"1", true},
                      {"..", true},   {"....", true}, {"--", true},   {"-1", true},
                      {" .", true},   {"", true},     {nullptr, true}};
  for (const Row &row : rows)
    EXPECT_EQ(strlib_is_no_skip(row.s), row.no_skip) << (row.s ? row.s : "(none)");
}

TEST(StrlibTest, IsEmpty) {
  struct Row {
    const char *s;
    bool empty;
  };
  const Row rows[] = {{nullptr, true}, {"", true},     {" \t\r\n\f\v", true},
                      {" a ", false},  {"\t.", false}, {"0", false}};
  for (const Row &row : rows)
    EXPECT_EQ(strlib_is_empty(row.s), row.empty);
}

TEST(StrlibTest, Spn) {
  struct Row {
    const char *s;
    const char *accept;
    std::size_t n;
  };
  const Row rows[] = {{"123abc", "0123456789", 3},
                      {"abc", "xyz", 0},
                      {"", "a", 0},
                      {"aaa", "a", 3},
                      {"abc", "", 0},
                      {nullptr, "a", 0},
                      {"abc", nullptr, 0},
                      {"ba!", "ab", 2}};
  for (const Row &row : rows)
    EXPECT_EQ(strlib_spn(row.s, row.accept), row.n);
}

// Routines editing a text in place: same text back, edited as expected.
TEST(StrlibTest, InPlaceEdits) {
  using Edit = char *(*)(char *);
  struct Row {
    const char *name;
    Edit edit;
    std::string in;
    std::string out;
  };
  const std::vector<Row> rows = {
      {"uncomment", strlib_uncomment, "a # b", "a "},
      {"uncomment", strlib_uncomment, "#x", ""},
      {"uncomment", strlib_uncomment, "abc", "abc"},
      {"uncomment", strlib_uncomment, "a#b#c", "a"},
      {"trim", strlib_trim, "  a b  ", "a b"},
      {"trim", strlib_trim, "   ", ""},
      {"trim", strlib_trim, "", ""},
      {"trim", strlib_trim, "\t\r\n\f\va\v\f\n\r\t", "a"},
      {"trim", strlib_trim, "x", "x"},
      {"trimcrlf", strlib_trimcrlf, "\r\n a \n", " a "},
      {"trimcrlf", strlib_trimcrlf, "a\r\n", "a"},
      {"trimcrlf", strlib_trimcrlf, "\n\r\n", ""},
      {"trimcrlf", strlib_trimcrlf, "a\r\nb", "a\r\nb"},
      {"collapse", strlib_collapse, "a \t b", "a b"},
      {"collapse", strlib_collapse, "  a  ", " a "},
      {"collapse", strlib_collapse, "\n", " "},
      {"collapse", strlib_collapse, "a\r\n\f\vb c", "a b c"},
      {"collapse", strlib_collapse, "abc", "abc"},
      {"toupper", strlib_toupper, "aBc1-z", "ABC1-Z"},
      {"tolower", strlib_tolower, "aBc1-Z", "abc1-z"},
  };
  for (const Row &row : rows) {
    std::vector<char> text(row.in.begin(), row.in.end());
    text.push_back('\0');
    char *result = row.edit(text.data());
    EXPECT_EQ(result, text.data()) << row.name << " \"" << row.in << "\"";
    EXPECT_EQ(std::string(text.data()), row.out) << row.name << " \"" << row.in << "\"";
  }
}

TEST(StrlibTest, InPlaceEditsOfNoneGiveEmptyText) {
  for (auto edit : {strlib_uncomment, strlib_trim, strlib_trimcrlf, strlib_collapse, strlib_toupper,
                    strlib_tolower}) {
    const char *result = edit(nullptr);
    ASSERT_NE(result, nullptr);
    EXPECT_STREQ(result, "");
  }
}

TEST(StrlibTest, Split) {
  struct Row {
    std::string in;
    int sc;
    std::vector<std::string> words;
  };
  const std::vector<Row> rows = {
      {"  x  y  ", 3, {"x", "y"}},
      {"x y", 10, {"x", "y"}},
      {"a b c", 2, {"a"}},
      {"a\tb\nc", 3, {"a", "b"}},
      {"   ", 3, {}},
      {"", 3, {}},
      {"word", 1, {}},
  };
  for (const Row &row : rows) {
    std::vector<char> text(row.in.begin(), row.in.end());
    text.push_back('\0');
    std::vector<char *> sv(static_cast<std::size_t>(row.sc) + 1,
                           reinterpret_cast<char *>(&text)); // sentinel
    const int n = strlib_split(sv.data(), row.sc, text.data());
    ASSERT_EQ(n, static_cast<int>(row.words.size())) << "\"" << row.in << "\"";
    for (int i = 0; i < n; ++i)
      EXPECT_EQ(std::string(sv[i]), row.words[i]) << row.in;
    EXPECT_EQ(sv[n], nullptr) << "\"" << row.in << "\"";
    // Nothing stored beyond the sc entries given.
    EXPECT_EQ(sv[row.sc], reinterpret_cast<char *>(&text)) << "\"" << row.in << "\"";
  }
}

TEST(StrlibTest, SplitWithoutRoomOrText) {
  char *sentinel = reinterpret_cast<char *>(&sentinel);
  char *sv[2] = {sentinel, sentinel};
  char text[] = "a b";
  EXPECT_EQ(strlib_split(sv, 0, text), 0);
  EXPECT_EQ(sv[0], sentinel);
  EXPECT_STREQ(text, "a b");
  EXPECT_EQ(strlib_split(sv, 2, nullptr), 0);
  EXPECT_EQ(sv[0], nullptr);
  EXPECT_EQ(strlib_split(nullptr, 2, text), 0);
}

TEST(StrlibTest, Param) {
  struct Row {
    const char *s;
    char separator;
    int parno;
    const char *expected; // none: no such field
  };
  const Row rows[] = {
      {"a,b,,c", ',', 1, "a"},
      {"a,b,,c", ',', 2, "b"},
      {"a,b,,c", ',', 3, ""},
      {"a,b,,c", ',', 4, "c"},
      {"a,b,,c", ',', 5, nullptr},
      {"a,b,,c", ',', 0, nullptr},
      {"a,b,,c", ',', -1, nullptr},
      {"a;b c", ';', 2, "b c"},
      {"a;b c", ' ', 2, "c"},
      {"", ',', 1, ""},
      {"", ',', 2, nullptr},
      {"a,", ',', 2, ""},
      {",", ',', 1, ""},
      {nullptr, ',', 1, nullptr},
  };
  for (const Row &row : rows) {
    GuardedBuffer buffer(32);
    char *result = strlib_param(buffer.data(), buffer.size(), row.s, row.separator, row.parno);
    if (!row.expected) {
      EXPECT_EQ(result, nullptr) << (row.s ? row.s : "(none)") << " " << row.parno;
      EXPECT_TRUE(buffer.untouched());
    } else {
      ASSERT_EQ(result, buffer.data()) << row.s << " " << row.parno;
      EXPECT_STREQ(result, row.expected) << row.s << " " << row.parno;
    }
  }
}

TEST(StrlibTest, ConcatAndNconcat) {
  struct Row {
    const char *a;
    const char *b;
    std::size_t n; // characters of b for nconcat
    std::size_t buflen;
    const char *concat;  // none: fails
    const char *nconcat; // none: fails
  };
  const Row rows[] = {
      {"ab", "cd", 1, 16, "abcd", "abc"},
      {"ab", "cdef", 2, 16, "abcdef", "abcd"},
      {"ab", "cd", 0, 16, "abcd", "ab"},
      {"ab", "cd", 99, 16, "abcd", "abcd"},
      {"", "", 5, 16, "", ""},
      {"abc", "def", 3, 3, "ab", "ab"},
      {"abc", "def", 3, 5, "abcd", "abcd"},
      {"abc", "def", 3, 1, "", ""},
      {nullptr, "cd", 2, 16, nullptr, nullptr},
      {"ab", nullptr, 2, 16, nullptr, nullptr},
  };
  for (const Row &row : rows) {
    GuardedBuffer b1(row.buflen), b2(row.buflen);
    char *r1 = strlib_concat(b1.data(), b1.size(), row.a, row.b);
    char *r2 = strlib_nconcat(b2.data(), b2.size(), row.a, row.b, row.n);
    if (row.concat) {
      ASSERT_EQ(r1, b1.data());
      EXPECT_STREQ(r1, row.concat);
    } else {
      EXPECT_EQ(r1, nullptr);
      EXPECT_TRUE(b1.untouched());
    }
    if (row.nconcat) {
      ASSERT_EQ(r2, b2.data());
      EXPECT_STREQ(r2, row.nconcat);
    } else {
      EXPECT_EQ(r2, nullptr);
      EXPECT_TRUE(b2.untouched());
    }
    EXPECT_TRUE(b1.guards_intact());
    EXPECT_TRUE(b2.guards_intact());
  }
}

TEST(StrlibTest, ConcatOntoTheBufferItself) {
  char buffer[16] = "abc";
  EXPECT_EQ(strlib_concat(buffer, sizeof buffer, buffer, "def"), buffer);
  EXPECT_STREQ(buffer, "abcdef");
  EXPECT_EQ(strlib_nconcat(buffer, sizeof buffer, buffer, buffer, 3), buffer);
  EXPECT_STREQ(buffer, "abcdefabc");
  EXPECT_EQ(strlib_concat(buffer, 6, "x", buffer), buffer);
  EXPECT_STREQ(buffer, "xabcd");
}

TEST(StrlibTest, Ncasecmp) {
  struct Row {
    const char *s1;
    const char *s2;
    std::size_t n;
    int sign;
  };
  const Row rows[] = {
      {"ABC", "abd", 2, 0},     {"ABC", "abd", 3, -1},    {"abd", "ABC", 3, 1},
      {"abc", "ABCdef", 3, 0},  {"abc", "ABCdef", 4, -1}, {"x", "y", 0, 0},
      {nullptr, "", 5, 0},      {nullptr, "a", 1, -1},    {"a", nullptr, 1, 1},
      {nullptr, nullptr, 3, 0}, {"Key", "KEY", 100, 0},   {"a[", "A{", 2, -1},
  };
  for (const Row &row : rows) {
    const int result = strlib_ncasecmp(row.s1, row.s2, row.n);
    EXPECT_EQ((result > 0) - (result < 0), row.sign)
        << (row.s1 ? row.s1 : "(none)") << " " << (row.s2 ? row.s2 : "(none)") << " " << row.n;
  }
}

TEST(StrlibTest, TokR) {
  char text[] = "  a,,b ,c,, ";
  char *lasts = nullptr;
  char *token = strlib_tok_r(text, ", ", &lasts);
  ASSERT_NE(token, nullptr);
  EXPECT_STREQ(token, "a");
  EXPECT_NE(lasts, nullptr);
  token = strlib_tok_r(nullptr, ", ", &lasts);
  ASSERT_NE(token, nullptr);
  EXPECT_STREQ(token, "b");
  token = strlib_tok_r(nullptr, ", ", &lasts);
  ASSERT_NE(token, nullptr);
  EXPECT_STREQ(token, "c");
  EXPECT_EQ(lasts, nullptr) << "none after the last token";
  EXPECT_EQ(strlib_tok_r(nullptr, ", ", &lasts), nullptr);
}

TEST(StrlibTest, TokRWithoutTokens) {
  char only_separators[] = ",,,";
  char *lasts = only_separators;
  EXPECT_EQ(strlib_tok_r(only_separators, ",", &lasts), nullptr);
  EXPECT_EQ(lasts, nullptr);
  char empty[] = "";
  EXPECT_EQ(strlib_tok_r(empty, ",", &lasts), nullptr);
  char text[] = "a";
  EXPECT_EQ(strlib_tok_r(text, nullptr, &lasts), nullptr);
  EXPECT_EQ(strlib_tok_r(text, ",", nullptr), nullptr);
  EXPECT_STREQ(text, "a");
}

TEST(StrlibTest, TokRIsReentrant) {
  char outer[] = "a b;c d";
  char *outer_lasts = nullptr;
  std::vector<std::string> tokens;
  for (char *group = strlib_tok_r(outer, ";", &outer_lasts); group;
       group = strlib_tok_r(nullptr, ";", &outer_lasts)) {
    char *inner_lasts = nullptr;
    for (char *word = strlib_tok_r(group, " ", &inner_lasts); word;
         word = strlib_tok_r(nullptr, " ", &inner_lasts))
      tokens.emplace_back(word);
  }
  EXPECT_EQ(tokens, (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(StrlibTest, TokKeepsItsContinuation) {
  char first[] = "x y z";
  EXPECT_STREQ(strlib_tok(first, " "), "x");
  EXPECT_STREQ(strlib_tok(nullptr, " "), "y");
  // A new text starts afresh.
  char second[] = "p:q";
  EXPECT_STREQ(strlib_tok(second, ":"), "p");
  EXPECT_STREQ(strlib_tok(nullptr, ":"), "q");
  EXPECT_EQ(strlib_tok(nullptr, ":"), nullptr);
  EXPECT_EQ(strlib_tok(nullptr, ":"), nullptr);
}

TEST(StrlibTest, Newstr) {
  EXPECT_EQ(strlib_newstr("abc"), "abc");
  EXPECT_EQ(strlib_newstr(""), "");
  EXPECT_EQ(strlib_newstr(nullptr), "");
}

// Every routine writing into a caller's buffer: at most buflen-1 characters,
// never a byte past buflen, also for texts far longer than 4095 characters.
TEST(StrlibTest, BufferWritesAreBounded) {
  const std::string long_a(10000, 'a');
  const std::string long_b(7000, 'b');
  using Writer = std::function<char *(char *, std::size_t)>;
  struct Row {
    const char *name;
    Writer write;
    std::string full; // the result with room enough
  };
  const std::string fields = long_a + "," + long_b;
  const std::vector<Row> rows = {
      {"param 1",
       [&](char *b, std::size_t n) { return strlib_param(b, n, fields.c_str(), ',', 1); }, long_a},
      {"param 2",
       [&](char *b, std::size_t n) { return strlib_param(b, n, fields.c_str(), ',', 2); }, long_b},
      {"concat",
       [&](char *b, std::size_t n) { return strlib_concat(b, n, long_a.c_str(), long_b.c_str()); },
       long_a + long_b},
      {"nconcat",
       [&](char *b, std::size_t n) {
         return strlib_nconcat(b, n, long_a.c_str(), long_b.c_str(), 5000);
       },
       long_a + long_b.substr(0, 5000)},
  };
  for (const Row &row : rows) {
    for (std::size_t buflen : {1UL, 2UL, 17UL, 4095UL, 4096UL, 4097UL, 10000UL, 20000UL}) {
      GuardedBuffer buffer(buflen);
      char *result = row.write(buffer.data(), buffer.size());
      ASSERT_EQ(result, buffer.data()) << row.name << " buflen " << buflen;
      EXPECT_EQ(buffer.text(), row.full.substr(0, buflen - 1)) << row.name << " buflen " << buflen;
      EXPECT_TRUE(buffer.guards_intact()) << row.name << " buflen " << buflen;
    }
    GuardedBuffer none(0);
    EXPECT_EQ(row.write(none.data(), 0), nullptr) << row.name;
    EXPECT_TRUE(none.untouched()) << row.name;
    EXPECT_EQ(row.write(nullptr, 100), nullptr) << row.name;
  }
}

} // namespace
