// File names with numbering patterns, environment references and parameters:
// substitution, splitting into parts, numbered names, absolute names, existence.
#include "filename.h"

#include <dirent.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

constexpr const char *filename_version_text = "filename : V1.15 Marvane 2015-11-26";
// Longest working copy of a name text.
constexpr std::size_t working_copy_max = 4095;
constexpr std::string_view null_device = "/dev/null";

using Text = std::optional<std::string>;

// Copies `text` into the caller's buffer, cut to buflen-1 characters; none and
// nothing written when there is no text, no buffer or buflen 0.
char *copy_out(char *buffer, std::size_t buflen, const Text &text) {
  if (!text || !buffer || buflen == 0) return nullptr;
  const std::size_t n = text->size() < buflen - 1 ? text->size() : buflen - 1;
  std::memcpy(buffer, text->data(), n);
  buffer[n] = '\0';
  return buffer;
}

// The first (at most) `max` characters of `s`, never reading past them.
std::string_view bounded(const char *s, std::size_t max) {
  std::size_t n = 0;
  while (n < max && s[n])
    ++n;
  return {s, n};
}

// name := "{" text-with-balanced-braces "}" | chars up to "/", "$" or end.
// Advances `rest` past the name; none (rest unchanged) when braces do not match.
Text extract_name(std::string_view &rest) {
  if (!rest.empty() && rest.front() == '{') {
    int depth = 0;
    for (std::size_t i = 0; i < rest.size(); ++i) {
      if (rest[i] == '{') {
        ++depth;
      } else if (rest[i] == '}' && --depth == 0) {
        std::string name(rest.substr(1, i - 1));
        rest.remove_prefix(i + 1);
        return name;
      }
    }
    return std::nullopt;
  }
  const std::size_t end = std::min(rest.find_first_of("/$"), rest.size());
  std::string name(rest.substr(0, end));
  rest.remove_prefix(end);
  return name;
}

// Value of environment variable `name`; none when it is not defined.
Text env_value(const std::string &name) {
  // getenv would match "A=B" against a variable "A" holding "B=...".
  if (name.empty() || name.find('=') != std::string::npos) return std::nullopt;
  const char *value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

// Home directory of the current user: $HOME when set, else the password entry.
Text current_home() {
  if (const char *home = std::getenv("HOME")) return std::string(home);
  const passwd *pw = getpwuid(getuid());
  if (!pw || !pw->pw_dir) return std::nullopt;
  return std::string(pw->pw_dir);
}

// Home directory of user `user`; none for an unknown user.
Text user_home(const std::string &user) {
  if (user.empty()) return std::nullopt;
  const passwd *pw = getpwnam(user.c_str());
  if (!pw || !pw->pw_dir) return std::nullopt;
  return std::string(pw->pw_dir);
}

bool ends_name(std::string_view rest) {
  return rest.empty() || rest.front() == '/' || rest.front() == '$';
}

// pattern := [ "~" [name] ] { "$" name | "$" (before "/", "$", end) | "{" | "}" | char }
// The whole substitution fails on an undefined variable, an unknown user, a
// "}" without "{" or braces left open.
Text subst(std::string_view pattern) {
  std::string out;
  if (!pattern.empty() && pattern.front() == '~') {
    std::string_view rest = pattern.substr(1);
    Text home;
    if (ends_name(rest)) {
      home = current_home();
    } else {
      const Text user = extract_name(rest);
      if (!user) return std::nullopt;
      home = user_home(*user);
    }
    if (!home) return std::nullopt;
    out += *home;
    pattern = rest;
  }
  int depth = 0;
  while (!pattern.empty()) {
    const char c = pattern.front();
    if (c == '$' && !ends_name(pattern.substr(1))) {
      std::string_view rest = pattern.substr(1);
      const Text name = extract_name(rest);
      if (!name) return std::nullopt;
      const Text value = env_value(*name);
      if (!value) return std::nullopt;
      out += *value;
      pattern = rest;
      continue;
    }
    if (c == '{') {
      ++depth;
    } else if (c == '}') {
      if (depth == 0) return std::nullopt;
      --depth;
    } else {
      out += c;
    }
    pattern.remove_prefix(1);
  }
  if (depth != 0) return std::nullopt;
  return out;
}

// Parameter `parno` of a name text (0 = the name, -1 = all after the first
// separating comma); commas before the last "]" do not separate.
Text parameter(std::string_view text, int parno) {
  text = text.substr(0, std::min(text.size(), working_copy_max));
  const std::size_t bracket = text.rfind(']');
  const std::size_t start = bracket == std::string_view::npos ? 0 : bracket + 1;
  const std::size_t first_comma = text.find(',', start);
  if (parno < -1) return std::nullopt;
  if (parno == 0) return std::string(text.substr(0, first_comma));
  if (parno == -1) {
    if (first_comma == std::string_view::npos) return std::nullopt;
    return std::string(text.substr(first_comma + 1));
  }
  std::size_t pos = start;
  for (int field = 0; field < parno; ++field) {
    const std::size_t comma = text.find(',', pos);
    if (comma == std::string_view::npos) return std::nullopt;
    pos = comma + 1;
  }
  const std::size_t end = text.find(',', pos);
  return std::string(text.substr(pos, end == std::string_view::npos ? end : end - pos));
}

// env_subst, then parameter 0, then backslashes as "/".
Text unix_form(const char *pattern) {
  if (!pattern) return std::nullopt;
  const Text substituted = subst(pattern);
  if (!substituted) return std::nullopt;
  Text name = parameter(*substituted, 0);
  for (char &c : *name)
    if (c == '\\') c = '/';
  return name;
}

// Parameter 0 of `text` up to (without) its last ".".
std::string body_of(std::string_view text) {
  std::string name = *parameter(text, 0);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

// The part of `name` after its last "/".
std::string last_part(const std::string &name) {
  const std::size_t slash = name.rfind('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

// Absolute name: the resolved directory part (which must be an existing
// directory), "/" and the last part. The working directory is not changed.
Text full_form(const char *pattern) {
  const Text name = unix_form(pattern);
  if (!name) return std::nullopt;
  if (*name == null_device) return name;
  std::error_code ec;
  std::string directory;
  const std::size_t slash = name->rfind('/');
  if (slash == std::string::npos) {
    directory = std::filesystem::current_path(ec).string();
    if (ec) return std::nullopt;
  } else {
    const std::string part = slash == 0 ? std::string("/") : name->substr(0, slash);
    const std::filesystem::path resolved = std::filesystem::canonical(part, ec);
    if (ec || !std::filesystem::is_directory(resolved, ec) || ec) return std::nullopt;
    directory = resolved.string();
  }
  if (!directory.empty() && directory.back() == '/') directory.pop_back();
  return directory + "/" + last_part(*name);
}

struct DirCloser {
  void operator()(DIR *dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

} // namespace

char *filename_parameter(char *buffer, std::size_t buflen, const char *pattern, int parno) {
  if (!pattern) return nullptr;
  return copy_out(buffer, buflen, parameter(bounded(pattern, working_copy_max), parno));
}

char *env_subst(char *buffer, std::size_t buflen, const char *filepattern) {
  if (!buffer || buflen == 0 || !filepattern) return nullptr;
  return copy_out(buffer, buflen, subst(filepattern));
}

char *env_extract(char *buffer, std::size_t buflen, const char **pps) {
  if (!buffer || buflen == 0 || !pps || !*pps) return nullptr;
  const std::string_view text(*pps);
  std::string_view rest = text;
  const Text name = extract_name(rest);
  if (!name) return nullptr;
  *pps += text.size() - rest.size();
  return copy_out(buffer, buflen, name);
}

char *filename_unix(char *buffer, std::size_t buflen, const char *pattern) {
  if (!buffer || buflen == 0) return nullptr;
  return copy_out(buffer, buflen, unix_form(pattern));
}

char *filename_path(char *buffer, std::size_t buflen, const char *pattern) {
  if (!buffer || buflen == 0) return nullptr;
  Text name = unix_form(pattern);
  if (!name) return nullptr;
  const std::size_t slash = name->rfind('/');
  if (slash == std::string::npos) return copy_out(buffer, buflen, std::string("./"));
  name->resize(slash + 1);
  return copy_out(buffer, buflen, name);
}

char *filename_terminate_path(char *buffer, std::size_t buflen, const char *path) {
  if (!buffer || buflen == 0) return nullptr;
  Text name = unix_form(path);
  if (!name) return nullptr;
  if (name->empty()) name->push_back('.');
  if (name->back() != '/') *name += '/';
  return copy_out(buffer, buflen, name);
}

char *filename_name(char *buffer, std::size_t buflen, const char *pattern) {
  if (!buffer || buflen == 0) return nullptr;
  const Text name = unix_form(pattern);
  if (!name) return nullptr;
  return copy_out(buffer, buflen, last_part(*name));
}

char *filename_body(char *buffer, std::size_t buflen, const char *pattern) {
  if (!pattern) return nullptr;
  return copy_out(buffer, buflen, body_of(bounded(pattern, working_copy_max)));
}

char *filename_extension(char *buffer, std::size_t buflen, const char *pattern) {
  if (!pattern) return nullptr;
  const std::string name = *parameter(bounded(pattern, working_copy_max), 0);
  const std::size_t dot = name.rfind('.');
  return copy_out(buffer, buflen, dot == std::string::npos ? std::string() : name.substr(dot));
}

char *filename_base(char *buffer, std::size_t buflen, const char *pattern) {
  if (!buffer || buflen == 0) return nullptr;
  const Text name = unix_form(pattern);
  if (!name) return nullptr;
  return copy_out(buffer, buflen, body_of(last_part(*name)));
}

char *filename_full(char *buffer, std::size_t buflen, const char *pattern) {
  if (!buffer || buflen == 0) return nullptr;
  return copy_out(buffer, buflen, full_form(pattern));
}

bool filename_has_path(const char *filename) {
  return filename && std::strchr(filename, '/') != nullptr;
}

bool filename_has_pattern(const char *filename) {
  return filename && std::strchr(filename, '%') != nullptr;
}

char *filename_pattern(char *buffer, std::size_t buflen, const char *pattern, long number) {
  if (!buffer || buflen == 0 || !pattern) return nullptr;
  std::string text(bounded(pattern, working_copy_max));
  std::vector<std::size_t> positions;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '%') positions.push_back(i);
  // Magnitude as unsigned: -LONG_MIN does not fit a long.
  unsigned long magnitude =
      number < 0 ? 0UL - static_cast<unsigned long>(number) : static_cast<unsigned long>(number);
  for (std::size_t k = positions.size(); k-- > 0;) {
    if (k == 0 && number < 0) {
      text[positions[k]] = '-';
    } else {
      text[positions[k]] = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    }
  }
  return copy_out(buffer, buflen, text);
}

bool filename_exists(const char *filename) {
  const Text name = unix_form(filename);
  if (!name) return false;
  const std::size_t slash = name->rfind('/');
  std::string directory = ".";
  if (slash == 0)
    directory = "/";
  else if (slash != std::string::npos)
    directory = name->substr(0, slash);
  const std::string entry = last_part(*name);
  if (entry.empty()) return false;
  const DirHandle dir(opendir(directory.c_str()));
  if (!dir) return false;
  while (const dirent *e = readdir(dir.get()))
    if (entry == e->d_name) return true;
  return false;
}

int filename_compare(const char *filename1, const char *filename2) {
  const std::string full1 = full_form(filename1).value_or(std::string());
  const std::string full2 = full_form(filename2).value_or(std::string());
  return std::strcmp(full1.c_str(), full2.c_str());
}

const char *filename_version() {
  return filename_version_text;
}
