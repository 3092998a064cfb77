// Linked into each program itself, like the terminate handler: the threads
// library that the standard library brings imports GetTickCount64, which
// Windows XP lacks, and XP's loader refuses a program that imports a
// function its DLLs do not export. Defined here, the import's slot is taken
// in place of kernel32's, so the file imports nothing XP lacks and the calls
// go to TickCount64, which uses the system's GetTickCount64 where it exists.
#include "toolkit/win32/later_windows_win.h"

using TickCountFunction = ULONGLONG(WINAPI*)();

#ifdef _WIN64
#define TICK_COUNT_IMPORT "__imp_GetTickCount64"
#else
#define TICK_COUNT_IMPORT "__imp__GetTickCount64@0"
#endif

extern "C" {
extern const TickCountFunction importedGetTickCount64 asm(TICK_COUNT_IMPORT);
const TickCountFunction importedGetTickCount64 = &toolkit::win32::TickCount64;
}
