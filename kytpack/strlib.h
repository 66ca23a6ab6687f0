// Small text routines shared by the data-file library, the compression module
// and the detector-geometry parameters.
//
// White space is blank, tab, carriage return, newline, form feed and vertical
// tab. Routines that edit a text in place return that text, or an empty text
// when given none. Routines that write into a caller's buffer write at most
// buflen-1 characters plus the terminator; they return none (writing nothing)
// for no buffer, buflen 0 or a missing input text.
#pragma once

#include <cstddef>
#include <string>

const char *strlib_version();

bool strlib_is_white(int c);
bool strlib_is_crlf(int c);
// False for "...", "-" and "." (keep the current value), true otherwise
// (none included).
bool strlib_is_no_skip(const char *s);
// True for none, the empty text, or white space only.
bool strlib_is_empty(const char *s);
// Length of the leading run of `s` made of characters of `accept`; 0 when
// either is none.
std::size_t strlib_spn(const char *s, const char *accept);

// Cuts `s` at its first "#".
char *strlib_uncomment(char *s);
// Removes leading and trailing white space (the text stays where it is).
char *strlib_trim(char *s);
// Removes leading and trailing carriage returns and newlines.
char *strlib_trimcrlf(char *s);
// Replaces every run of white space by one blank.
char *strlib_collapse(char *s);
// Splits `s` in place at white space into at most sc-1 words stored in `sv`,
// followed by none. Returns the number of words stored; the last stored word
// is terminated, later words are dropped. Nothing is stored for sc < 1.
int strlib_split(char *sv[], int sc, char *s);
// Field `parno` (from 1) of `s`, fields separated by `separator`; none when
// there are fewer fields or parno < 1.
char *strlib_param(char *buffer, std::size_t buflen, const char *s, char separator, int parno);
// `a` followed by `b`; `a` (or `b`) may be `buffer` itself.
char *strlib_concat(char *buffer, std::size_t buflen, const char *a, const char *b);
// As strlib_concat with at most `n` characters of `b`.
char *strlib_nconcat(char *buffer, std::size_t buflen, const char *a, const char *b, std::size_t n);
char *strlib_toupper(char *s);
char *strlib_tolower(char *s);
// Compares the first `n` characters without regard to case (strcmp order of
// the lower-cased texts: negative, 0 or positive); none is empty.
int strlib_ncasecmp(const char *s1, const char *s2, std::size_t n);
// Re-entrant tokeniser: skips separators of `sep` at `s` (at *lasts when `s`
// is none), terminates the token at the next separator and returns it; none
// when no token is left. *lasts is none after the last token.
char *strlib_tok_r(char *s, const char *sep, char **lasts);
// strlib_tok_r with a continuation kept by the module; a call with a text
// (not none) starts afresh, so no other reset is needed.
char *strlib_tok(char *s, const char *sep);
// A copy of `string` (none gives the empty text).
std::string strlib_newstr(const char *string);
