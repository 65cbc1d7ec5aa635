#pragma once
// Profile (INI) files through the system's private-profile functions, in the
// ANSI code page.

#include <string>
#include <vector>

namespace filvex::win {

// Value of key in section of file; `fallback` when the key is missing.
std::string ProfileString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& fallback = {});
// Names of the keys of a section, in file order; empty when the file or the
// section is missing or holds no key.
std::vector<std::string> ProfileKeyNames(const std::string& file, const std::string& section);
// The "key=value" lines of a section, in file order; empty when missing.
std::vector<std::string> ProfileSectionLines(const std::string& file, const std::string& section);
// Replaces every line of a section by `lines` ("key=value"), in that order,
// creating file and section as needed; false on failure.
bool WriteProfileSection(const std::string& file, const std::string& section,
                         const std::vector<std::string>& lines);
// Writes one key (creating file and section as needed); false on failure.
bool WriteProfileText(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& value);

}  // namespace filvex::win
