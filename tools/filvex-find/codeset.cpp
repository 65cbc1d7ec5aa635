#include "tools/filvex-find/codeset.h"

// The Windows client converts nothing (see codeset.h); iconv and the locale's
// code set exist only natively.
#ifndef _WIN32

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <clocale>

#include "searchlist/mbcs.h"

namespace filvex {

namespace {

constexpr char kListCodeset[] = "CP932";
const iconv_t kNoConversion = reinterpret_cast<iconv_t>(-1);

iconv_t Descriptor(void* d) {
  return static_cast<iconv_t>(d);
}

constexpr bool IsTrailByte(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// Converts in through cd into out. A sequence that cannot be converted (not
// valid in the source, or without a form in the target) is given to
// onFailure with the position of its first byte; onFailure returns how many
// bytes to skip, or 0 to give up. False when the conversion gave up.
template <typename OnFailure>
bool Convert(iconv_t cd, std::string_view in, std::string& out, OnFailure onFailure) {
  out.clear();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  char buf[1024];
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  auto flush = [&] {
    // Returns a stateful code set (ISO-2022-JP) to its initial shift state.
    char* dst = buf;
    size_t room = sizeof buf;
    iconv(cd, nullptr, nullptr, &dst, &room);
    out.append(buf, static_cast<size_t>(dst - buf));
  };
  while (left > 0) {
    char* dst = buf;
    size_t room = sizeof buf;
    const size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buf, static_cast<size_t>(dst - buf));
    if (r != static_cast<size_t>(-1) || errno == E2BIG) continue;
    // EILSEQ (invalid or unconvertible) or EINVAL (cut off at the end).
    flush();
    const size_t skip = onFailure(static_cast<size_t>(src - in.data()));
    if (skip == 0) return false;
    src += skip;
    left -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  flush();
  return true;
}

}  // namespace

std::string EnvironmentCodeset(std::string& note) {
  if (!std::setlocale(LC_ALL, "")) {
    note =
        "the locale that the environment names is not installed; the query and the output "
        "are taken as the search list's bytes (CP932)";
  }
  const char* name = nl_langinfo(CODESET);
  return name ? name : "";
}

bool IsAsciiCodeset(std::string_view codeset) {
  return codeset.empty() || codeset == "ANSI_X3.4-1968" || codeset == "ASCII" ||
         codeset == "US-ASCII";
}

std::unique_ptr<TerminalCodeset> TerminalCodeset::Open(const std::string& codeset,
                                                       std::string& note) {
  if (IsAsciiCodeset(codeset)) return nullptr;
  iconv_t toList = iconv_open(kListCodeset, codeset.c_str());
  iconv_t fromList = iconv_open(codeset.c_str(), kListCodeset);
  if (toList == kNoConversion || fromList == kNoConversion) {
    if (toList != kNoConversion) iconv_close(toList);
    if (fromList != kNoConversion) iconv_close(fromList);
    note = "no conversion between the terminal's code set " + codeset +
           " and CP932 is known; the query and the output pass unchanged";
    return nullptr;
  }
  return std::unique_ptr<TerminalCodeset>(new TerminalCodeset(toList, fromList));
}

TerminalCodeset::~TerminalCodeset() {
  iconv_close(Descriptor(toList_));
  iconv_close(Descriptor(fromList_));
}

bool TerminalCodeset::ToList(std::string_view typed, std::string& listBytes) {
  return Convert(Descriptor(toList_), typed, listBytes, [](size_t) { return size_t{0}; });
}

size_t TerminalCodeset::FromList(std::string_view listBytes, std::string& shown) {
  size_t replaced = 0;
  Convert(Descriptor(fromList_), listBytes, shown, [&](size_t pos) {
    // A double-byte character goes as a whole: its trail byte alone could
    // read as an ASCII letter.
    const auto at = [&](size_t k) { return static_cast<unsigned char>(listBytes[k]); };
    const bool pair = pos + 1 < listBytes.size() && IsLeadByte(at(pos)) && IsTrailByte(at(pos + 1));
    shown += kReplacementChar;
    ++replaced;
    return size_t{pair ? 2u : 1u};
  });
  return replaced;
}

}  // namespace filvex

#endif  // _WIN32
