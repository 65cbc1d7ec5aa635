#include "tests/core/test_util.h"

#include <atomic>
#include <cstdlib>

#ifdef _WIN32
#include <direct.h>
#include <process.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace filvex::test {

std::string MakeScratchFolder(const std::string& tag) {
  static std::atomic<int> counter{0};
#ifdef _WIN32
  std::string base = "C:\\filvex-scratch-" + std::to_string(_getpid());
  _mkdir(base.c_str());
  std::string dir = base + "\\" + tag + "-" + std::to_string(counter++);
  _mkdir(dir.c_str());
#else
  const char* tmp = std::getenv("TMPDIR");
  std::string base = std::string(tmp && *tmp ? tmp : "/tmp") + "/filvex-scratch-" +
                     std::to_string(::getpid());
  ::mkdir(base.c_str(), 0755);
  std::string dir = base + "/" + tag + "-" + std::to_string(counter++);
  ::mkdir(dir.c_str(), 0755);
#endif
  return dir;
}

void MakeFolder(const std::string& path) {
#ifdef _WIN32
  _mkdir(path.c_str());
#else
  ::mkdir(path.c_str(), 0755);
#endif
}

void RemoveFolder(const std::string& path) {
#ifdef _WIN32
  _rmdir(path.c_str());
#else
  ::rmdir(path.c_str());
#endif
}

}  // namespace filvex::test
