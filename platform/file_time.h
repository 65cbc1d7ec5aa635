#pragma once
// File times as the date texts of the data files ("yyyy/mm/dd hh:nn", local).

#include <windows.h>

#include <string>

namespace filvex::win {

// Local-time date text of a UTC file time, seconds dropped; "1900/01/01 00:00"
// when the time cannot be converted.
std::string FileTimeText(const FILETIME& utc);

// Date text of the last-write time of an existing file or folder; false when
// its attributes cannot be read.
bool LastWriteTimeText(const std::string& path, std::string* text);

}  // namespace filvex::win
