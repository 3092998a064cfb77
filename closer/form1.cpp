#include "closer/form1.h"

namespace closer {

using toolkit::SkipOnFailure;

#ifndef QUORRIN_AUTHOR_URL
#error "QUORRIN_AUTHOR_URL is set by the build"
#endif
const toolkit::StringView kAuthorUrl = u"" QUORRIN_AUTHOR_URL;

toolkit::WindowDesign Form1::Design() {
  return {.caption = u"Quorrin - Porn Site Closer",
          .clientWidth = 6495,
          .clientHeight = 2760,
          .minButton = true,
          .maxButton = false,
          .placement = toolkit::Placement::kCenterScreen,
          .iconResource = 1};
}

Form1::Form1(toolkit::Window& w, ShellWindows& shell, ShellLaunch& launch)
    : Text(w.AddTextBox({.name = "Text",
                         .caption = u"List of bloqued sites!",
                         .rect = {120, 120, 4095, 285},
                         .accessibleName = u"List heading"})),
      Command1(w.AddButton(
          {.name = "Command1", .caption = u"Start Closing", .rect = {4320, 120, 2055, 375}})),
      Command2(
          w.AddButton({.name = "Command2", .caption = u"Close", .rect = {4320, 2040, 2055, 375}})),
      List1(w.AddListBox({.name = "List1",
                          .caption = u"",
                          .rect = {120, 480, 4095, 1590},
                          .accessibleName = u"List of bloqued sites!"})),
      Text1(w.AddTextBox({.name = "Text1",
                          .caption = u"",
                          .rect = {120, 2160, 4095, 285},
                          .accessibleName = u"Selected site"})),
      Command3(w.AddButton(
          {.name = "Command3", .caption = u"Stop Closing", .rect = {4320, 600, 2055, 375}})),
      Command4(w.AddButton(
          {.name = "Command4", .caption = u"Open Selected Site", .rect = {4320, 1080, 2055, 375}})),
      Command5(w.AddButton({.name = "Command5",
                            .caption = u"Clean Supressed List",
                            .rect = {4320, 1560, 2055, 375}})),
      Label1(w.AddLabel({.name = "Label1",
                         .caption = u"Made by Drabwick - Click to visite my site",
                         .rect = {120, 2520, 6255, 255}})),
      Timer1(w.AddTimer("Timer1", 60)),
      window_(w),
      shell_(shell),
      launch_(launch) {
  Text.SetEnabled(false);
  Command3.SetEnabled(false);
  Label1.SetForeColor({0, 0, 192});

  Command1.onClick = [this] { StartClosing(); };
  Timer1.onTick = [this] { StartClosing(); };
  Command3.onClick = [this] { StopClosing(); };
  Command4.onClick = [this] { OpenSelectedSite(); };
  // No policy below: a failure is reported by the toolkit and ends the program.
  Command5.onClick = [this] { List1.Clear(); };
  List1.onClick = [this] { Text1.SetText(List1.SelectedText()); };
  Label1.onClick = [this] { launch_.Open(kAuthorUrl); };
  Command2.onClick = [this] { window_.EndProgram(); };
}

void Form1::StartClosing() {
  SkipOnFailure([this] { Timer1.SetEnabled(true); });
  SkipOnFailure([this] { Command3.SetEnabled(true); });
  SweepBrowserWindows();
}

void Form1::StopClosing() {
  SkipOnFailure([this] { Timer1.SetEnabled(false); });
}

void Form1::OpenSelectedSite() {
  SkipOnFailure([this] {
    const toolkit::String text = Text1.GetText();
    if (IsWebAddress(text)) launch_.Open(text);
  });
}

void Form1::SweepBrowserWindows() {
  // A collection that cannot be made now is tried again by the next sweep.
  if (!BrowserWindows && !SkipOnFailure([this] { BrowserWindows = shell_.Create(); })) return;
  std::unique_ptr<ShellWindowEnumeration> windows;
  if (!BrowserWindows || !OnCollection([&] { windows = BrowserWindows->Enumerate(); })) return;

  while (OnCollection([&] { CurrentBrowser = windows->Next(); }) && CurrentBrowser) {
    bool html = false;
    SkipOnFailure([&] {
      const std::unique_ptr<ShellDocument> document = CurrentBrowser->Document();
      html = document && document->IsHtml();
    });
    if (html) LogCurrentBrowser();
  }
  // Holding a window between sweeps could keep a closing browser alive.
  CurrentBrowser.reset();
}

template <class Step>
bool Form1::OnCollection(Step step) {
  try {
    step();
    return true;
  } catch (const ShellGone&) {
    // The shell restarted: without this, closing would look on but do nothing.
    BrowserWindows.reset();
  } catch (...) {
  }
  return false;
}

void Form1::LogCurrentBrowser() {
  // Each value is read just before its line, so a failed read costs that line only.
  SkipOnFailure([this] { List1.AddItem(kSeparator); });
  SkipOnFailure([this] { List1.AddItem(CurrentBrowser->LocationName()); });
  SkipOnFailure([this] { List1.AddItem(CurrentBrowser->LocationURL()); });
  SkipOnFailure([this] { List1.AddItem(CurrentBrowser->FullName()); });
  SkipOnFailure([this] { List1.AddItem(kSeparator); });
  SkipOnFailure([this] { CurrentBrowser->Quit(); });
}

}  // namespace closer
