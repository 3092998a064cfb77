#pragma once
// Win32 realization of the toolkit: the system's standard controls on one
// top-level window, positions in twips converted with the window's DPI.
#include <windows.h>

#include <memory>
#include <vector>

#include "toolkit/toolkit.h"
#include "toolkit/win32/handles_win.h"
#include "toolkit/win32/later_windows_win.h"

namespace toolkit::win32 {

// The window's DPI: its own where the system scales per monitor, else the
// system's.
UINT DpiOf(HWND hwnd, const LaterFunctions& later = LaterFunctions::OfSystem());
// The dialog font of the programs' windows at `dpi`; the caller deletes it.
HFONT DialogFont(UINT dpi);

class Win32Window;

// A child control. The HWND is a view: the parent window destroys it.
class ControlBase {
 public:
  ControlBase(Win32Window& owner, HWND hwnd, ControlDesign design)
      : owner_(owner), hwnd_(hwnd), design_(std::move(design)) {}
  virtual ~ControlBase() = default;
  ControlBase(const ControlBase&) = delete;
  ControlBase& operator=(const ControlBase&) = delete;

  HWND Hwnd() const { return hwnd_; }
  const ControlDesign& Design() const { return design_; }
  // A WM_COMMAND notification from this control.
  virtual void OnCommand(WORD /*code*/) {}
  // WM_CTLCOLORSTATIC: a brush if the control paints itself differently.
  virtual HBRUSH OnColor(HDC /*dc*/) { return nullptr; }
  virtual bool WantsHandCursor() const { return false; }
  // The parts of this control's rectangle that other controls' rectangles
  // share, in its own coordinates; set at every layout.
  void SetCovered(std::vector<RECT> covered) { covered_ = std::move(covered); }
  // Work the control posted to itself through the window, run after the
  // current handler (see Win32Window::PostDeferred).
  virtual void OnDeferred() {}
  // Once the load event has run, before the window is first shown: the form
  // has set its handlers by then.
  virtual void BeforeShow() {}

 protected:
  String ReadText() const;
  void WriteText(StringView text);
  bool IsEnabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
  void Enable(bool enabled) { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return SendMessageW(hwnd_, message, wParam, lParam);
  }
  void Deliver(const Handler& handler);

  Win32Window& owner_;
  HWND hwnd_;
  ControlDesign design_;
  std::vector<RECT> covered_;
};

class Win32Timer;

class Win32Window final : public Window {
 public:
  // Unhandled failures are shown to the user in a message box of this window.
  // `later` are the newer system functions it may use, each with a fallback.
  Win32Window(HINSTANCE instance, WindowDesign design,
              const LaterFunctions& later = LaterFunctions::OfSystem());
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  Button& AddButton(const ControlDesign& design) override;
  Label& AddLabel(const ControlDesign& design) override;
  TextBox& AddTextBox(const ControlDesign& design) override;
  ListBox& AddListBox(const ControlDesign& design) override;
  OptionButton& AddOptionButton(const ControlDesign& design) override;
  CheckBox& AddCheckBox(const ControlDesign& design) override;
  PictureBox& AddPictureBox(const ControlDesign& design) override;
  Timer& AddTimer(const std::string& name, unsigned intervalMs) override;
  String ProgramFolder() const override;
  void EndProgram() override;
  // Ends the program here and now, from inside a handler that waits for
  // another process and may never come back: the process ends with it.
  [[noreturn]] void EndNow();

  // Delivers the load event; then shows the window unless the program ended.
  void LoadAndShow();
  // Runs until the program ends; returns the exit code that WM_QUIT carries.
  int RunMessageLoop();
  // No event is delivered and no timer runs any more, however the program
  // ends (its own end, a WM_QUIT from outside, the session ending).
  void Quiesce();

  HWND Hwnd() const { return hwnd_; }
  bool Ended() const { return ended_; }
  EventGate& Gate() { return gate_; }
  int ToPixels(int twips) const { return MulDiv(twips, static_cast<int>(dpi_), 1440); }

  // Selecting one option button clears the others of the window.
  void SelectOnly(HWND option);
  // Asks for the control's OnDeferred once the running handler is done.
  bool PostDeferred(HWND control);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  HWND CreateChild(const wchar_t* className, DWORD style, DWORD exStyle,
                   const ControlDesign& design);
  template <class T>
  T& Add(const wchar_t* className, DWORD style, DWORD exStyle, const ControlDesign& design);
  ControlBase* Find(HWND child) const;
  void ApplyDpi(UINT dpi, const RECT* suggested);
  RECT PixelRect(const Rect& twips) const;
  void FindCoveredParts();
  void GiveFocusBack();

  HINSTANCE instance_;
  WindowDesign design_;
  LaterFunctions later_;
  EventGate gate_;
  HWND hwnd_ = nullptr;
  UINT dpi_ = 96;
  UniqueFont font_;
  UniqueIcon bigIcon_;
  UniqueIcon smallIcon_;
  std::vector<std::unique_ptr<ControlBase>> controls_;
  std::vector<std::unique_ptr<Win32Timer>> timers_;
  std::vector<HWND> options_;
  HWND focus_ = nullptr;  // the control that had the focus when the window last lost it
  bool ended_ = false;
};

}  // namespace toolkit::win32
