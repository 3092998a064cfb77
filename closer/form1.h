#pragma once
// The closer's only window: switches closing on and off, shows the log of
// closed windows, and copies, opens and clears its lines.
#include <memory>

#include "closer/shell_launch.h"
#include "closer/shell_windows.h"
#include "closer/web_address.h"
#include "toolkit/toolkit.h"

namespace closer {

// The author's page that the credit line opens; set at configure time.
extern const toolkit::StringView kAuthorUrl;
// The first and last line of each window's group in the log.
inline constexpr toolkit::StringView kSeparator = u"----------------------";

class Form1 {
 public:
  static toolkit::WindowDesign Design();
  Form1(toolkit::Window& window, ShellWindows& shell, ShellLaunch& launch);
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // Start: timer and "Stop Closing" on, then one sweep at once. Also every tick.
  void StartClosing();
  // Logs and quits every window that shows an HTML document.
  void SweepBrowserWindows();
  void StopClosing();
  void OpenSelectedSite();

  // In tab order. No label stands before the heading, the log or the box of
  // the selected line, so each is named for a screen reader: the log after
  // the heading over it, the heading for what it is, the box in the words of
  // the button that opens what it holds.
  toolkit::TextBox& Text;
  toolkit::Button& Command1;  // Start Closing
  toolkit::Button& Command2;  // Close
  toolkit::ListBox& List1;    // the log
  toolkit::TextBox& Text1;    // the line last selected
  toolkit::Button& Command3;  // Stop Closing
  toolkit::Button& Command4;  // Open Selected Site
  toolkit::Button& Command5;  // Clean Supressed List
  toolkit::Label& Label1;     // credit line
  toolkit::Timer& Timer1;

  // Created by the first sweep that finds it empty, then kept while it works.
  std::unique_ptr<ShellWindowCollection> BrowserWindows;
  // The window the running sweep examines; empty between sweeps.
  std::unique_ptr<ShellWindow> CurrentBrowser;

 private:
  void LogCurrentBrowser();
  // SkipOnFailure for a call on the collection, which also lets go of a
  // collection whose server has gone, so that the next sweep makes another.
  template <class Step>
  bool OnCollection(Step step);

  toolkit::Window& window_;
  ShellWindows& shell_;
  ShellLaunch& launch_;
};

}  // namespace closer
