// File names with numbering patterns, environment references and parameters.
//
// A name text is a name followed by comma-separated parameters. Commas before
// the last "]" belong to bracket references and do not separate parameters.
// Working copies of a name text hold at most 4095 characters.
// Every routine writes at most buflen-1 characters plus terminator into the
// caller's buffer and returns it, or returns none on failure (and then leaves
// the buffer alone). No buffer, buflen 0 or no input text is a failure.
#pragma once

#include <cstddef>

// Parameter `parno` of `pattern` (0 = the name; -1 = everything after the
// first separating comma); none when there is no such parameter or parno < -1.
char *filename_parameter(char *buffer, std::size_t buflen, const char *pattern, int parno);
// `filepattern` with $NAME, ${NAME}, ~, ~user and {...} replaced. Fails on an
// undefined variable, an unknown user, a "}" without "{" or an open "{".
char *env_subst(char *buffer, std::size_t buflen, const char *filepattern);
// The variable or user name at *pps ("{name}" or up to "/", "$" or the end),
// advancing *pps past it; none (and *pps unchanged) when braces do not match.
char *env_extract(char *buffer, std::size_t buflen, const char **pps);
// env_subst, then parameter 0, then backslashes as "/".
char *filename_unix(char *buffer, std::size_t buflen, const char *pattern);
// Directory part of the Unix form with its final "/"; "./" when there is none.
char *filename_path(char *buffer, std::size_t buflen, const char *pattern);
// Unix form of `path` ending with "/"; "./" for an empty path.
char *filename_terminate_path(char *buffer, std::size_t buflen, const char *path);
// Part of the Unix form after its last "/".
char *filename_name(char *buffer, std::size_t buflen, const char *pattern);
// Parameter 0 as given (no substitution) up to its last "."; all without ".".
char *filename_body(char *buffer, std::size_t buflen, const char *pattern);
// Parameter 0 as given from its last "." on; empty without ".".
char *filename_extension(char *buffer, std::size_t buflen, const char *pattern);
// filename_name without its extension.
char *filename_base(char *buffer, std::size_t buflen, const char *pattern);
// Absolute name of the Unix form: the directory part resolved by the system
// (it must exist), "/" and the last part. "/dev/null" stays as it is. The
// working directory of the process is not changed.
char *filename_full(char *buffer, std::size_t buflen, const char *pattern);
// True when the text contains "/" (false for none).
bool filename_has_path(const char *filename);
// True when the text contains "%" (false for none).
bool filename_has_pattern(const char *filename);
// `pattern` with its "%" positions replaced by the digits of `number`, the
// last position taking the last digit; leftover positions get "0", leftover
// leading digits are dropped, a negative number puts "-" in the first position.
char *filename_pattern(char *buffer, std::size_t buflen, const char *pattern, long number);
// True when the last part of the Unix form is listed in its directory.
bool filename_exists(const char *filename);
// strcmp order of the two absolute names (one that cannot be formed counts as
// the empty text).
int filename_compare(const char *filename1, const char *filename2);
const char *filename_version();
