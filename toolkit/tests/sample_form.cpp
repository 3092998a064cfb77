#include "toolkit/tests/sample_form.h"

namespace toolkit::testing {

WindowDesign SampleForm::Design() {
  return {.caption = u"Sample \u03a9",
          .clientWidth = 6495,
          .clientHeight = 2760,
          .minButton = true,
          .maxButton = false,
          .placement = Placement::kCenterScreen,
          .iconResource = 1};
}

SampleForm::SampleForm(Window& w)
    : Go(w.AddButton({.name = "Go", .caption = u"Go", .rect = {4320, 120, 2055, 375}})),
      Stop(w.AddButton({.name = "Stop", .caption = u"Stop", .rect = {4320, 600, 2055, 375}})),
      Skip(w.AddButton({.name = "Skip", .caption = u"Skip", .rect = {4320, 1080, 2055, 375}})),
      Pump(w.AddButton({.name = "Pump", .caption = u"Pump", .rect = {4320, 1560, 2055, 375}})),
      Heading(
          w.AddTextBox({.name = "Heading", .caption = u"Heading", .rect = {120, 120, 4095, 285}})),
      Box(w.AddTextBox({.name = "Box", .caption = u"", .rect = {120, 2160, 4095, 285}})),
      List(w.AddListBox({.name = "List", .caption = u"", .rect = {120, 480, 4095, 1590}})),
      Link(w.AddLabel({.name = "Link", .caption = u"Click me", .rect = {120, 2520, 2000, 255}})),
      First(w.AddOptionButton({.name = "First", .caption = u"", .rect = {2200, 2040, 1000, 255}})),
      Second(
          w.AddOptionButton({.name = "Second", .caption = u"", .rect = {3200, 2040, 1000, 255}})),
      Check(w.AddCheckBox({.name = "Check", .caption = u"", .rect = {2200, 2400, 2000, 255}})),
      Picture(w.AddPictureBox({.name = "Picture", .caption = u"", .rect = {4320, 2040, 615, 495}})),
      Ticker(w.AddTimer("Ticker", 60)) {
  Heading.SetEnabled(false);
  Stop.SetEnabled(false);
  Link.SetForeColor({0, 0, 192});

  w.onLoad = [this] {
    First.SetCaption(u"First");
    Second.SetCaption(u"Second");
    First.SetSelected(true);
    Check.SetCaption(u"Check");
    Check.SetState(kChecked);
    Picture.SetBorderStyle(0);
    Picture.SetAutoSize(true);
    Box.SetLocked(true);
  };
  Go.onClick = [this] {
    Ticker.SetEnabled(true);
    Stop.SetEnabled(true);
    List.AddItem(u"go");
  };
  Stop.onClick = [this] { Ticker.SetEnabled(false); };
  Ticker.onTick = [this] { ++ticks; };
  List.onClick = [this] { Box.SetText(List.SelectedText()); };
  Link.onClick = [] { throw Failure("Link failed"); };
  Skip.onClick = [this] {
    SkipOnFailure([this] { ++steps; });
    SkipOnFailure([this] {
      List.AddItem(u"before");
      throw Failure("step failed");
    });
    SkipOnFailure([this] { ++steps; });
  };
  Pump.onClick = [this] {
    if (pump) pump();
  };
}

}  // namespace toolkit::testing
