#include "toolkit/tests/sample_form.h"

namespace toolkit::testing {

WindowDesign SampleForm::Design() {
  return {u"Sample \u03a9", 6495, 2760, true, false, Placement::kCenterScreen, 1};
}

SampleForm::SampleForm(Window& w)
    : Go(w.AddButton({"Go", u"Go", {4320, 120, 2055, 375}, 0})),
      Stop(w.AddButton({"Stop", u"Stop", {4320, 600, 2055, 375}, 1})),
      Skip(w.AddButton({"Skip", u"Skip", {4320, 1080, 2055, 375}, 2})),
      Pump(w.AddButton({"Pump", u"Pump", {4320, 1560, 2055, 375}, 3})),
      Heading(w.AddTextBox({"Heading", u"Heading", {120, 120, 4095, 285}, 4})),
      Box(w.AddTextBox({"Box", u"", {120, 2160, 4095, 285}, 5})),
      List(w.AddListBox({"List", u"", {120, 480, 4095, 1590}, 6})),
      Link(w.AddLabel({"Link", u"Click me", {120, 2520, 2000, 255}, 7})),
      First(w.AddOptionButton({"First", u"", {2200, 2040, 1000, 255}, 8})),
      Second(w.AddOptionButton({"Second", u"", {3200, 2040, 1000, 255}, 9})),
      Check(w.AddCheckBox({"Check", u"", {2200, 2400, 2000, 255}, 10})),
      Picture(w.AddPictureBox({"Picture", u"", {4320, 2040, 615, 495}, 11})),
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
