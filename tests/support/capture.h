// Captures what a piece of code writes to standard output or standard error.
#pragma once

#include <cstdio>
#include <string>
#include <unistd.h>

namespace test_support {

// Runs `fn` with the stream `stream` (stdout or stderr) redirected into a
// temporary file and returns everything written to it.
template <typename Fn> std::string capture(FILE *stream, Fn &&fn) {
  std::fflush(stream);
  const int fd = fileno(stream);
  const int saved = dup(fd);
  FILE *tmp = std::tmpfile();
  if (saved < 0 || !tmp) return "<capture failed>";
  dup2(fileno(tmp), fd);
  fn();
  std::fflush(stream);
  dup2(saved, fd);
  close(saved);
  std::string text;
  std::rewind(tmp);
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, tmp)) > 0)
    text.append(buf, n);
  std::fclose(tmp);
  return text;
}

template <typename Fn> std::string capture_stderr(Fn &&fn) {
  return capture(stderr, std::forward<Fn>(fn));
}
template <typename Fn> std::string capture_stdout(Fn &&fn) {
  return capture(stdout, std::forward<Fn>(fn));
}

} // namespace test_support
