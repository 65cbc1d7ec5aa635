#include "tests/core/test_util.h"

#include <atomic>
#include <cstdlib>

#ifdef _WIN32
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
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

bool MakeSparseFile(const std::string& path, long long bytes) {
#ifdef _WIN32
  const int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IWRITE);
  if (fd < 0) return false;
  const bool ok = _chsize_s(fd, bytes) == 0;
  _close(fd);
#else
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  const bool ok = ::ftruncate(fd, static_cast<off_t>(bytes)) == 0;
  ::close(fd);
#endif
  return ok;
}

bool MakePipe(const std::string& path) {
#ifdef _WIN32
  (void)path;
  return false;
#else
  return ::mkfifo(path.c_str(), 0644) == 0;
#endif
}

}  // namespace filvex::test
