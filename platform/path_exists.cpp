#include "platform/path_exists.h"

#include <windows.h>

#include "platform/handles.h"

namespace filvex::win {

bool PathExists(const std::string& path) {
  UniqueHandle h(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return static_cast<bool>(h);
}

}  // namespace filvex::win
