// The handler a program gets when an exception escapes everything. The
// library's own prints to a console that a windowed program does not have,
// and it brings a demangler and a printf engine (about 75 KiB) into every
// executable; this one tells the user in a message box, then ends.
#include <windows.h>

#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
  MessageBoxW(nullptr, L"The program met an error it cannot recover from and must end.", nullptr,
              MB_OK | MB_ICONERROR | MB_TASKMODAL);
  std::abort();
}

}  // namespace __gnu_cxx
