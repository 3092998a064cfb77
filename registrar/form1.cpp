#include "registrar/form1.h"

namespace registrar {

toolkit::WindowDesign Form1::Design() {
  return {.caption = u"Tessaly",
          .clientWidth = 4680,
          .clientHeight = 4590,
          .minButton = false,
          .maxButton = false,
          .placement = toolkit::Placement::kSystemDefault,
          .iconResource = 1};
}

Form1::Form1(toolkit::Window& w, GuidSource& guids, Registry& registry)
    : Option1(
          w.AddOptionButton({.name = "Option1", .caption = u"", .rect = {120, 120, 4455, 255}})),
      Option2(
          w.AddOptionButton({.name = "Option2", .caption = u"", .rect = {120, 480, 4455, 255}})),
      Command1(w.AddButton(
          {.name = "Command1", .caption = u"Criar GUID", .rect = {120, 4080, 1575, 375}})),
      Command2(w.AddButton({.name = "Command2",
                            .caption = u"Adicionar ao registro",
                            .rect = {1800, 4080, 1935, 375}})),
      Label4(w.AddLabel({.name = "Label4", .caption = u"Gui:", .rect = {120, 1560, 1455, 255}})),
      Text1(w.AddTextBox({.name = "Text1", .caption = u"", .rect = {120, 1920, 4455, 285}})),
      Label2(
          w.AddLabel({.name = "Label2", .caption = u"Executavel:", .rect = {120, 2280, 855, 255}})),
      Text2(w.AddTextBox({.name = "Text2", .caption = u"", .rect = {120, 2520, 4455, 285}})),
      Check1(w.AddCheckBox({.name = "Check1", .caption = u"", .rect = {120, 840, 3615, 375}})),
      Picture1(
          w.AddPictureBox({.name = "Picture1", .caption = u"", .rect = {3960, 840, 615, 495}})),
      Label1(w.AddLabel({.name = "Label1", .caption = u"Icon:", .rect = {120, 2880, 975, 255}})),
      Text3(w.AddTextBox({.name = "Text3", .caption = u"", .rect = {120, 3120, 4455, 285}})),
      Label3(w.AddLabel(
          {.name = "Label3", .caption = u"Texto no botao", .rect = {120, 3480, 2295, 255}})),
      Text4(w.AddTextBox({.name = "Text4", .caption = u"", .rect = {120, 3720, 4455, 285}})),
      window_(w),
      guids_(guids),
      registry_(registry) {
  w.onLoad = [this] { LoadDefaults(); };
  Command1.onClick = [this] { MakeNewGuid(); };
  Command2.onClick = [this] { AddToRegistry(); };
}

void Form1::LoadDefaults() {
  Option1.SetCaption(u"Install for current user only (HKCU)");
  Option2.SetCaption(u"Install for all users (HKLM)");
  Option1.SetSelected(true);
  Check1.SetCaption(u"Button visible");
  Check1.SetState(toolkit::kChecked);
  Picture1.SetBorderStyle(0);
  Picture1.SetAutoSize(true);
  Text1.SetText(GenerateGuid(guids_));
  Text1.SetLocked(true);
  // Joined as they are: a root folder ("C:\") keeps its own separator.
  const toolkit::String folder = window_.ProgramFolder();
  Text2.SetText(folder + u"\\Fennimot.exe");
  Text3.SetText(folder + u"\\Files\\fennimot.ico");
  Text4.SetText(u"Fennimot");
}

void Form1::MakeNewGuid() {
  Text1.SetText(GenerateGuid(guids_));
}

void Form1::AddToRegistry() {
  ToolbarButtonRequest request;
  request.Root = Option1.Selected() ? kHkeyCurrentUser : kHkeyLocalMachine;
  request.GuidText = Text1.GetText();
  request.ExecPath = Text2.GetText();
  request.IconPath = Text3.GetText();
  request.ButtonText = Text4.GetText();
  request.DefaultVisible = Check1.State();
  RegisterToolbarButton(registry_, request);
}

}  // namespace registrar
