#pragma once
// The parts of a fuzz input: pieces cut at 0xFF bytes, a byte that Shift-JIS
// text never holds.

#include <cstddef>
#include <string_view>
#include <vector>

// UBSan stops at its first report with a stack, whatever the environment
// says; the build also compiles every check as non-recoverable. Each fuzz
// target is one program that includes this header once.
extern "C" const char* __ubsan_default_options() {
  return "halt_on_error=1:print_stacktrace=1";
}

namespace filvex::fuzz {

// Exactly count parts: the first count - 1 cut at 0xFF bytes, the last the
// rest of the input (0xFF bytes and all); parts the input does not reach are
// empty.
inline std::vector<std::string_view> CutAtFF(std::string_view in, size_t count) {
  std::vector<std::string_view> parts;
  while (parts.size() + 1 < count) {
    const size_t cut = in.find('\xFF');
    if (cut == std::string_view::npos) break;
    parts.push_back(in.substr(0, cut));
    in.remove_prefix(cut + 1);
  }
  parts.push_back(in);
  parts.resize(count);
  return parts;
}

}  // namespace filvex::fuzz
