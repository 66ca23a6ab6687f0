// Fuzz target for file-name texts: substitution, parameters, splitting and
// numbering on arbitrary bytes, into buffers of several sizes. The first byte
// chooses the buffer length and the parameter number.
#include "filename.h"
#include "strlib.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t buflen = data[0] % 64 == 63 ? 8192 : data[0] % 64;
  const int parno = static_cast<int>(data[0] % 7) - 2;
  const std::string text(reinterpret_cast<const char *>(data + 1), size - 1);
  const char *s = text.c_str(); // stops at the first NUL, as a C caller would

  // A heap buffer of exactly buflen bytes: the sanitizers catch any write past it.
  std::vector<char> buffer(buflen ? buflen : 1);
  char *out = buflen ? buffer.data() : nullptr;

  filename_parameter(out, buflen, s, parno);
  env_subst(out, buflen, s);
  const char *cursor = s;
  env_extract(out, buflen, &cursor);
  filename_unix(out, buflen, s);
  filename_path(out, buflen, s);
  filename_terminate_path(out, buflen, s);
  filename_name(out, buflen, s);
  filename_body(out, buflen, s);
  filename_extension(out, buflen, s);
  filename_base(out, buflen, s);
  filename_pattern(out, buflen, s, static_cast<long>(size) * (parno < 0 ? -1 : 1));
  filename_has_path(s);
  filename_has_pattern(s);

  strlib_param(out, buflen, s, ',', parno);
  strlib_concat(out, buflen, s, s);
  std::vector<char> copy(s, s + std::strlen(s) + 1);
  char *words[8];
  strlib_split(words, 8, copy.data());
  return 0;
}
