#include "platform/com.h"

namespace filvex::win {

ComPtr<IMalloc> ShellMalloc() {
  ComPtr<IMalloc> m;
  if (FAILED(SHGetMalloc(m.put()))) m.reset();
  return m;
}

void ItemIdList::reset() {
  if (!p_) return;
  if (ComPtr<IMalloc> m = ShellMalloc()) m->Free(p_);
  p_ = nullptr;
}

}  // namespace filvex::win
