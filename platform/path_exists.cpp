#include "platform/path_exists.h"

#include <windows.h>

#include "platform/handles.h"

namespace filvex::win {

bool PathExists(const char* path) {
  UniqueHandle h(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return static_cast<bool>(h);
}

}  // namespace filvex::win
