// A library whose cleanup at the process's end waits for a lock that the
// program can hold (HoldLock): QuorrinWaits.exe holds it for as long as a call
// waits, as a library's own lock can be held by a call that never returns. A
// semaphore of one, no thread's own: the end of a process runs each library's
// cleanup on the thread that ends it, which may be the one holding the lock,
// and must wait for it then too.
#include <windows.h>

namespace {
const HANDLE lock = CreateSemaphoreW(nullptr, 1, 1, nullptr);
}

// Taken with `hold`, given back without.
extern "C" __declspec(dllexport) void HoldLock(bool hold) {
  hold ? WaitForSingleObject(lock, INFINITE) : ReleaseSemaphore(lock, 1, nullptr);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void* processEnds) {
  // Unloaded by FreeLibrary, it has nothing to wait for.
  if (reason == DLL_PROCESS_DETACH && processEnds) WaitForSingleObject(lock, INFINITE);
  return lock != nullptr;
}
