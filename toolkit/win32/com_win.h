#pragma once
// COM on the calling thread for as long as this lives: a single-threaded
// apartment, as the shell's objects and WIC expect. Declared before anything
// that holds a COM reference, so that it ends after all of them.
#include <objbase.h>

namespace toolkit::win32 {

class ComApartment {
 public:
  ComApartment() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (initialized_) CoUninitialize();
  }

 private:
  bool initialized_;
};

}  // namespace toolkit::win32
