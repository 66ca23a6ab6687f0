// Small text routines: white-space tests, trimming, splitting, bounded
// concatenation, case conversion and tokenising.
#include "strlib.h"

#include <cctype>
#include <cstring>
#include <string_view>

namespace {

constexpr const char *strlib_version_text = "strlib : V1.08 Marvane 2015-12-06";

// Continuation of strlib_tok; a call with a text starts afresh.
char *tok_lasts = nullptr;

// The writable empty text handed back for none; reset on every use so that a
// caller who wrote into it cannot leak the change to the next caller.
char *empty_text() {
  static char text[1];
  text[0] = '\0';
  return text;
}

// Copies `text` into the caller's buffer, cut to buflen-1 characters; none
// (and nothing written) for no buffer or buflen 0.
char *copy_out(char *buffer, std::size_t buflen, std::string_view text) {
  if (!buffer || buflen == 0) return nullptr;
  const std::size_t n = text.size() < buflen - 1 ? text.size() : buflen - 1;
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return buffer;
}

// Removes leading and trailing characters for which `drop` holds, in place.
template <typename Pred> char *trim_if(char *s, Pred drop) {
  if (!s) return empty_text();
  std::size_t len = std::strlen(s);
  std::size_t first = 0;
  while (first < len && drop(s[first]))
    ++first;
  while (len > first && drop(s[len - 1]))
    --len;
  std::memmove(s, s + first, len - first);
  s[len - first] = '\0';
  return s;
}

unsigned char lower(char c) {
  return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
}

} // namespace

const char *strlib_version() {
  return strlib_version_text;
}

bool strlib_is_white(int c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool strlib_is_crlf(int c) {
  return c == '\r' || c == '\n';
}

bool strlib_is_no_skip(const char *s) {
  if (!s) return true;
  return std::strcmp(s, "...") != 0 && std::strcmp(s, "-") != 0 && std::strcmp(s, ".") != 0;
}

bool strlib_is_empty(const char *s) {
  if (!s) return true;
  for (; *s; ++s)
    if (!strlib_is_white(static_cast<unsigned char>(*s))) return false;
  return true;
}

std::size_t strlib_spn(const char *s, const char *accept) {
  if (!s || !accept) return 0;
  return std::strspn(s, accept);
}

char *strlib_uncomment(char *s) {
  if (!s) return empty_text();
  if (char *hash = std::strchr(s, '#')) *hash = '\0';
  return s;
}

char *strlib_trim(char *s) {
  return trim_if(s, [](char c) { return strlib_is_white(static_cast<unsigned char>(c)); });
}

char *strlib_trimcrlf(char *s) {
  return trim_if(s, [](char c) { return strlib_is_crlf(static_cast<unsigned char>(c)); });
}

char *strlib_collapse(char *s) {
  if (!s) return empty_text();
  char *out = s;
  bool in_white = false;
  for (const char *in = s; *in; ++in) {
    if (strlib_is_white(static_cast<unsigned char>(*in))) {
      if (!in_white) *out++ = ' ';
      in_white = true;
    } else {
      *out++ = *in;
      in_white = false;
    }
  }
  *out = '\0';
  return s;
}

int strlib_split(char *sv[], int sc, char *s) {
  if (!sv || sc < 1) return 0;
  int count = 0;
  char *p = s;
  while (p && count < sc - 1) {
    while (strlib_is_white(static_cast<unsigned char>(*p)))
      ++p;
    if (!*p) break;
    sv[count++] = p;
    while (*p && !strlib_is_white(static_cast<unsigned char>(*p)))
      ++p;
    if (*p) *p++ = '\0';
  }
  sv[count] = nullptr;
  return count;
}

char *strlib_param(char *buffer, std::size_t buflen, const char *s, char separator, int parno) {
  if (!buffer || buflen == 0 || !s || parno < 1) return nullptr;
  std::string_view text(s);
  for (int field = 1; field < parno; ++field) {
    const std::size_t sep = text.find(separator);
    if (sep == std::string_view::npos) return nullptr;
    text.remove_prefix(sep + 1);
  }
  return copy_out(buffer, buflen, text.substr(0, text.find(separator)));
}

char *strlib_concat(char *buffer, std::size_t buflen, const char *a, const char *b) {
  if (!b) return nullptr;
  return strlib_nconcat(buffer, buflen, a, b, std::strlen(b));
}

char *strlib_nconcat(char *buffer, std::size_t buflen, const char *a, const char *b,
                     std::size_t n) {
  if (!buffer || buflen == 0 || !a || !b) return nullptr;
  // Built aside first: `a` (or `b`) may be the buffer itself.
  std::size_t blen = 0;
  while (blen < n && b[blen])
    ++blen;
  std::string joined(a);
  joined.append(b, blen);
  return copy_out(buffer, buflen, joined);
}

char *strlib_toupper(char *s) {
  if (!s) return empty_text();
  for (char *p = s; *p; ++p)
    *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  return s;
}

char *strlib_tolower(char *s) {
  if (!s) return empty_text();
  for (char *p = s; *p; ++p)
    *p = static_cast<char>(lower(*p));
  return s;
}

int strlib_ncasecmp(const char *s1, const char *s2, std::size_t n) {
  if (!s1) s1 = "";
  if (!s2) s2 = "";
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c1 = lower(s1[i]);
    const unsigned char c2 = lower(s2[i]);
    if (c1 != c2) return c1 < c2 ? -1 : 1;
    if (c1 == '\0') break;
  }
  return 0;
}

char *strlib_tok_r(char *s, const char *sep, char **lasts) {
  if (!sep || !lasts) return nullptr;
  char *p = s ? s : *lasts;
  if (!p) return nullptr;
  p += std::strspn(p, sep);
  if (!*p) {
    *lasts = nullptr;
    return nullptr;
  }
  char *token = p;
  p += std::strcspn(p, sep);
  if (*p) {
    *p++ = '\0';
    p += std::strspn(p, sep);
  }
  // None as soon as no token follows, so the caller sees the last one as such.
  *lasts = *p ? p : nullptr;
  return token;
}

char *strlib_tok(char *s, const char *sep) {
  return strlib_tok_r(s, sep, &tok_lasts);
}

std::string strlib_newstr(const char *string) {
  return string ? std::string(string) : std::string();
}
