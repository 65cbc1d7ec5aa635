#pragma once
// COM and OLE ownership: interface pointers, per-thread initialisation, and
// item identifier lists freed with the shell's allocator.

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <utility>

namespace filvex::win {

// Holds one reference to a COM interface and releases it when it goes.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ComPtr() { reset(); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Address for an out-parameter; releases what is held first.
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  void reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  // Asks for another interface of the same object; empty when not offered.
  template <class U>
  ComPtr<U> query(REFIID iid) const {
    ComPtr<U> out;
    if (p_) p_->QueryInterface(iid, out.put_void());
    return out;
  }

 private:
  T* p_ = nullptr;
};

// OleInitialize for the calling thread for one scope; OleUninitialize at the
// end only when the initialisation succeeded.
class OleInitGuard {
 public:
  OleInitGuard() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
  OleInitGuard(const OleInitGuard&) = delete;
  OleInitGuard& operator=(const OleInitGuard&) = delete;
  ~OleInitGuard() {
    if (ok_) OleUninitialize();
  }
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

// CoInitialize for the calling thread for one scope (each successful call,
// S_FALSE included, is balanced by one CoUninitialize).
class ComInitGuard {
 public:
  ComInitGuard() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
  ComInitGuard(const ComInitGuard&) = delete;
  ComInitGuard& operator=(const ComInitGuard&) = delete;
  ~ComInitGuard() {
    if (ok_) CoUninitialize();
  }
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

// An item identifier list owned by the caller, freed with the shell's
// allocator (SHGetMalloc) when it goes.
class ItemIdList {
 public:
  ItemIdList() = default;
  explicit ItemIdList(LPITEMIDLIST p) : p_(p) {}
  ItemIdList(const ItemIdList&) = delete;
  ItemIdList& operator=(const ItemIdList&) = delete;
  ItemIdList(ItemIdList&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ItemIdList& operator=(ItemIdList&& o) noexcept {
    if (this != &o) {
      reset();
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }
  ~ItemIdList() { reset(); }

  LPITEMIDLIST get() const { return p_; }
  LPITEMIDLIST* put() {
    reset();
    return &p_;
  }
  explicit operator bool() const { return p_ != nullptr; }
  void reset();

 private:
  LPITEMIDLIST p_ = nullptr;
};

// The shell's task allocator (SHGetMalloc); empty when the shell refuses.
ComPtr<IMalloc> ShellMalloc();

}  // namespace filvex::win
