#pragma once
// Byte-level text rules of the ANSI code page the program speaks (CP932,
// Shift-JIS). Every split of a path or a name and every case fold goes through
// these helpers, so that the second byte of a double-byte character (0x5C in
// ソ or 表) is never taken for a "\" and never altered by lower-casing.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace filvex {

// True for the lead bytes of CP932 double-byte characters: 81-9F and E0-FC.
constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

enum class ByteKind : uint8_t { Single, Lead, Trail };

// Kind of the byte at position pos of text, walking from the start (a lead
// byte always takes the next byte as its trail). pos must be < text.size().
ByteKind ByteKindAt(std::string_view text, size_t pos);

// Lower-cases text in place, byte length unchanged: ASCII A-Z, full-width
// Ａ-Ｚ, Greek and Cyrillic capitals; trail bytes are never touched on their
// own. The name and the query are always folded by this one rule.
void LowerInPlace(char* text, size_t len);
// The same rule, copying: writes the lower-cased len bytes of src to dst (the
// same place, or one that does not overlap src) and says whether any byte
// changed.
bool LowerCopy(const char* src, size_t len, char* dst);
inline void LowerInPlace(std::string& s) { LowerInPlace(s.data(), s.size()); }
std::string Lowered(std::string_view s);

// Position of the last "\" or ":" that is a character of its own (not the
// trail byte of a double-byte character), or npos.
size_t LastSeparator(std::string_view path);

// Text after the last separator: the name of C:\Data\a.txt is a.txt; the name
// of "C:" is empty.
std::string_view LastComponent(std::string_view path);

// The containing folder as the path column shows it: C:\Data\a.txt gives
// C:\Data, C:\a.txt gives C: (no trailing "\").
std::string_view FolderColumnText(std::string_view path);

// The containing folder with the "\" kept after a drive letter and colon:
// C:\Data\a.txt gives C:\Data, C:\a.txt gives C:\ ; empty when there is no
// separator.
std::string_view ContainingFolder(std::string_view path);

// Joins a folder line and a file name with one "\" between them: C: and
// boot.ini give C:\boot.ini, C:\Data and a.txt give C:\Data\a.txt. A folder
// ending in a "\" of its own gets none added (a trailing 0x5C that is the
// trail byte of a double-byte character still gets one).
std::string JoinPath(std::string_view folder, std::string_view name);

// True when the last character of text is a "\" of its own.
bool EndsWithSeparator(std::string_view text);

}  // namespace filvex
