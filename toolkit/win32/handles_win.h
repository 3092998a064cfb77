#pragma once
// The one move-only owner of a handle (GDI, USER, a BSTR), in the manner of
// wil's unique_any: get() to use it, put() to receive one, reset() to let go.
#include <windows.h>

#include <utility>

namespace toolkit::win32 {

template <class H, auto Close>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  H get() const { return handle_; }
  // For an out parameter: what was held is let go first.
  H* put() {
    reset();
    return &handle_;
  }
  explicit operator bool() const { return handle_ != nullptr; }
  void reset(H handle = nullptr) {
    if (handle_) Close(handle_);
    handle_ = handle;
  }

 private:
  H handle_ = nullptr;
};

inline void DeleteFont(HFONT font) {
  DeleteObject(font);
}
inline void DeleteIcon(HICON icon) {
  DestroyIcon(icon);
}

using UniqueFont = UniqueHandle<HFONT, DeleteFont>;
using UniqueIcon = UniqueHandle<HICON, DeleteIcon>;

}  // namespace toolkit::win32
