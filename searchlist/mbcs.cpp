#include "searchlist/mbcs.h"

#include <cstring>

namespace filvex {

ByteKind ByteKindAt(std::string_view text, size_t pos) {
  size_t i = 0;
  while (i < pos) {
    i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
  }
  if (i > pos) return ByteKind::Trail;
  return IsLeadByte(static_cast<unsigned char>(text[pos])) ? ByteKind::Lead : ByteKind::Single;
}

namespace {

// Lower-case form of the double-byte character lead:trail, or 0 when it has
// none. Full-width Latin capitals 82 60-79 -> 82 81-9A; Greek capitals
// 83 9F-B6 -> 83 BF-D6; Cyrillic capitals 84 40-60 -> 84 70-91, where the
// small letters skip 84 7F (not a valid trail byte).
inline unsigned char LowerTrail(unsigned char lead, unsigned char trail) {
  if (lead == 0x82 && trail >= 0x60 && trail <= 0x79) return trail + 0x21;
  if (lead == 0x83 && trail >= 0x9F && trail <= 0xB6) return trail + 0x20;
  if (lead == 0x84 && trail >= 0x40 && trail <= 0x60) {
    unsigned k = trail - 0x40;
    return static_cast<unsigned char>(k < 15 ? 0x70 + k : 0x71 + k);
  }
  return 0;
}

}  // namespace

bool LowerCopy(const char* src, size_t len, char* dst) {
  const auto* in = reinterpret_cast<const unsigned char*>(src);
  auto* out = reinterpret_cast<unsigned char*>(dst);
  bool changed = false;
  size_t i = 0;
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHigh = kOnes * 0x80;
  // Folds the eight ASCII bytes at `at`, or answers false when one of them
  // is not ASCII: a byte b below 0x80 gets its high bit from
  // b + (0x80 - 'A') exactly when b >= 'A', and from b + (0x80 - 'Z' - 1)
  // exactly when b > 'Z'; no sum carries into the next byte.
  auto foldWord = [&](size_t at) {
    uint64_t w;
    std::memcpy(&w, in + at, 8);
    if (w & kHigh) return false;
    const uint64_t upper = ((w + kOnes * (0x80 - 'A')) & ~(w + kOnes * (0x80 - 'Z' - 1))) & kHigh;
    w |= upper >> 2;  // 0x80 >> 2 is the 0x20 between the cases
    changed |= upper != 0;
    std::memcpy(out + at, &w, 8);
    return true;
  };
  // Most names are ASCII and shorter than two words: while every byte so far
  // was ASCII, the tail is folded as the last eight bytes, which overlap
  // bytes already folded (folding them again changes nothing, whether in
  // and out are one buffer or two). After a double-byte character that
  // word could begin on its trail byte, so the tail is then walked.
  bool allAscii = true;
  while (i < len) {
    if (len - i >= 8) {
      if (foldWord(i)) {
        i += 8;
        continue;
      }
    } else if (allAscii && i >= 8 && foldWord(len - 8)) {
      break;
    }
    allAscii = false;
    const unsigned char c = in[i];
    if (c < 0x80) {
      const bool upper = c >= 'A' && c <= 'Z';
      out[i] = upper ? static_cast<unsigned char>(c + 32) : c;
      changed |= upper;
      ++i;
    } else if (IsLeadByte(c)) {
      out[i] = c;
      if (i + 1 < len) {
        const unsigned char t = in[i + 1];
        const unsigned char lower = c >= 0x82 && c <= 0x84 ? LowerTrail(c, t) : 0;
        out[i + 1] = lower ? lower : t;
        changed |= lower != 0;
      }
      i += 2;
    } else {
      out[i] = c;  // half-width katakana and other single bytes have no case
      ++i;
    }
  }
  return changed;
}

void LowerInPlace(char* text, size_t len) {
  LowerCopy(text, len, text);
}

std::string Lowered(std::string_view s) {
  std::string out(s);
  LowerInPlace(out);
  return out;
}

size_t LastSeparator(std::string_view path) {
  size_t last = std::string_view::npos;
  size_t i = 0, n = path.size();
  // Pure ASCII paths (the common case) need no walk from the start.
  bool ascii = true;
  for (char ch : path) {
    if (static_cast<unsigned char>(ch) >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) {
    for (size_t k = n; k > 0; --k) {
      if (path[k - 1] == '\\' || path[k - 1] == ':') return k - 1;
    }
    return last;
  }
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsLeadByte(c)) {
      i += 2;
      continue;
    }
    if (c == '\\' || c == ':') last = i;
    ++i;
  }
  return last;
}

std::string_view LastComponent(std::string_view path) {
  size_t sep = LastSeparator(path);
  return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

std::string_view ContainingFolder(std::string_view path) {
  size_t sep = LastSeparator(path);
  if (sep == std::string_view::npos) return {};
  // Keep the "\" right after a drive letter and colon (C:\a.txt -> C:\).
  if (path[sep] == '\\' && sep >= 1 && path[sep - 1] == ':' &&
      LastSeparator(path.substr(0, sep)) == sep - 1)
    return path.substr(0, sep + 1);
  if (path[sep] == ':') return path.substr(0, sep + 1);
  return path.substr(0, sep);
}

std::string_view FolderColumnText(std::string_view path) {
  std::string_view folder = ContainingFolder(path);
  if (EndsWithSeparator(folder)) folder.remove_suffix(1);
  return folder;
}

bool EndsWithSeparator(std::string_view text) {
  if (text.empty() || text.back() != '\\') return false;
  return ByteKindAt(text, text.size() - 1) != ByteKind::Trail;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out;
  out.reserve(folder.size() + 1 + name.size());
  out.append(folder);
  if (!EndsWithSeparator(folder)) out.push_back('\\');
  out.append(name);
  return out;
}

}  // namespace filvex
