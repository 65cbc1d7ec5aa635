#include "platform/file_time.h"

#include "platform/dir_enum_win.h"
#include "searchlist/search_list.h"

namespace filvex::win {

std::string FileTimeText(const FILETIME& utc) {
  char text[kDateTextLen];
  filvex::FileTimeText(utc, text);
  return std::string(text, kDateTextLen);
}

bool LastWriteTimeText(const std::string& path, std::string* text) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  *text = FileTimeText(data.ftLastWriteTime);
  return true;
}

}  // namespace filvex::win
