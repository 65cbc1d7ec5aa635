#include "platform/file_time.h"

#include <cstdio>

#include "searchlist/search_list.h"

namespace filvex::win {

std::string FileTimeText(const FILETIME& utc) {
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) {
    return std::string(kUnconvertibleDate);
  }
  char text[32];
  std::snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u", st.wYear, st.wMonth, st.wDay,
                st.wHour, st.wMinute);
  return text;
}

bool LastWriteTimeText(const std::string& path, std::string* text) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  *text = FileTimeText(data.ftLastWriteTime);
  return true;
}

}  // namespace filvex::win
