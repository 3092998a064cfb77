#pragma once
// Drives a built program from the outside, through the system alone: starts
// it as its own process, finds its window, presses its controls, and
// captures what it shows. Nothing here links any code of the programs.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace driver {

std::wstring Folder();  // the folder of this driver, where the programs are
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string ToUtf8(std::wstring_view text);
// Writes `line` and a line feed to the standard output in UTF-8, at once.
void Print(std::wstring_view line);
std::wstring TextOf(HWND h);
std::wstring ClassOf(HWND h);  // lower case

// Microseconds on the steady clock that every process shares
// (QueryPerformanceCounter). Wine's GetTickCount can stand still for a while
// on a busy host.
std::int64_t Micros();

// How long a wait for a state of a program (a window shown or gone, a line
// logged, a process ended) may last before it counts as a hang: far longer
// than any host that runs the tests at all takes with a working program.
// A slow host makes a wait longer, never makes it fail.
inline constexpr DWORD kHangMs = 30000;

// Waits until `condition` holds, letting the other process work meanwhile.
template <class F>
bool WaitFor(F condition, DWORD milliseconds = kHangMs, DWORD pollMs = 10) {
  const std::int64_t end = Micros() + std::int64_t{milliseconds} * 1000;
  while (!condition()) {
    if (Micros() >= end) return false;
    Sleep(pollMs);
  }
  return true;
}

// The child of `window` with this class (lower case) and text, or null.
HWND FindChild(HWND window, const std::wstring& className, const std::wstring& text);
// The first child of this class whose text `matches`, or null.
HWND FindChild(HWND window, const std::wstring& className,
               const std::function<bool(const std::wstring&)>& matches);

// A person's click with the left button, through the system's input: the
// window holding `control` is brought to the front, the mouse moved to `at`
// (in the control's client area; its centre if not given), pressed and
// released there. On a button or list box it returns once the program has
// handled the click, or is inside a handler that waits for another process
// (a sweep), after which the click is handled next. False if the window
// could not be brought where the mouse reaches it, or a button or list box
// did not take the click; the click is made all the same.
bool Click(HWND control);
bool ClickAt(HWND control, POINT at);
// A click on the middle of a list box's line.
bool ClickLine(HWND list, int line);
// The mouse moved to `at` (in the control's client area) through the
// system's input, as a hand passes over it, without a press.
void MoveOver(HWND control, POINT at);

class RunningProgram {
 public:
  // Starts Folder()\exe with `arguments` and waits for its visible window
  // with `caption` and for that window to have had the front.
  RunningProgram(const wchar_t* exe, const wchar_t* caption, const wchar_t* arguments = L"");
  // Closes the program if it still runs.
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool Started() const { return window != nullptr; }
  // The exit code once the process has ended, or STILL_ACTIVE.
  DWORD ExitCode(DWORD waitMs) const;
  HWND Focus() const;
  DWORD ThreadId() const { return process_.dwThreadId; }
  // A key pressed while `target` (by default what has the focus) has it.
  // Returns at once; the program handles it in its own time.
  void Press(WORD key, HWND target = nullptr) const;
  // Returns once the program has handled what was posted to it.
  void Settle() const;
  // Types `text` into an edit box, replacing what it held.
  void Type(HWND edit, const std::wstring& text) const;
  // Saves the window as a PNG file; false when it could not.
  bool Capture(const std::wstring& path) const;

  HWND window = nullptr;

 private:
  PROCESS_INFORMATION process_{};
};

// The whole screen as the display shows it at one moment.
class ScreenImage {
 public:
  ScreenImage();
  // Saves `part` of it as a PNG file; false when it could not.
  bool Save(const std::wstring& path, RECT part) const;
  // The pixels of `part` (BGRA, row by row); empty where it leaves the screen.
  std::vector<DWORD> Pixels(RECT part) const;

 private:
  int width_ = 0, height_ = 0;
  std::vector<DWORD> pixels_;  // BGRA, top row first
};

// The test shell's browser windows (BrowserShell.exe, next to the driver):
// found running, or started here. Windows opened here are closed again when
// this ends.
class TestShell {
 public:
  TestShell();
  ~TestShell();
  TestShell(const TestShell&) = delete;
  TestShell& operator=(const TestShell&) = delete;

  static std::wstring Path();
  bool Ready() const { return control_ != nullptr; }
  // `kind`: page, folder, none, later, stubborn, notitle, nourl, nopath, slow,
  // hung, notbrowser, or several joined by '+'.
  // Returns the new window, shown before this returns.
  HWND Open(const std::wstring& kind, const std::wstring& title, const std::wstring& url);
  // References that clients hold on the shell's objects, the enumerations
  // begun since the shell started (one a sweep), and the calls that hung
  // windows hold now.
  enum Counted {
    kDocuments,
    kEnumerations,
    kBrowserReferences,
    kClosedBrowsers,
    kSweeps,
    kHeldCalls
  };
  // -1 if the shell does not answer within the hang bound.
  long Count(Counted what) const;
  // The shell's process dies, as a crashed Explorer does, and a new one
  // starts; returns once it is ready.
  bool Restart();

 private:
  bool Find();
  void Start();
  LRESULT Ask(UINT message, WPARAM wp, LPARAM lp) const;
  HWND control_ = nullptr;
  std::vector<HWND> opened_;
};

// A registry key's values by name, as text: a REG_SZ less its one NUL. Any
// other type, or a REG_SZ whose size is not its text and exactly one NUL,
// reads "<bad REG_SZ>". Empty when the key cannot be opened.
std::map<std::wstring, std::wstring> RegistryTexts(HKEY root, const std::wstring& path);

// The processes running now: each one's executable file's name, by its id.
std::map<DWORD, std::wstring> Processes();

// The lines of a UTF-8 text file, without their line feeds; none when it
// cannot be read.
std::vector<std::wstring> FileLines(const std::wstring& path);

// The lines of another process's list box, in order.
std::vector<std::wstring> ListLines(HWND list);

}  // namespace driver
