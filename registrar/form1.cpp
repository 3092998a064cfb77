#include "registrar/form1.h"

namespace registrar {

toolkit::WindowDesign Form1::Design() {
  return {u"Tessaly", 4680, 4590, false, false, toolkit::Placement::kSystemDefault, 1};
}

Form1::Form1(toolkit::Window& w, GuidSource& guids, Registry& registry)
    : Option1(w.AddOptionButton({"Option1", u"", {120, 120, 4455, 255}, 0})),
      Option2(w.AddOptionButton({"Option2", u"", {120, 480, 4455, 255}, 1})),
      Command1(w.AddButton({"Command1", u"Criar GUID", {120, 4080, 1575, 375}, 2})),
      Command2(w.AddButton({"Command2", u"Adicionar ao registro", {1800, 4080, 1935, 375}, 3})),
      Label4(w.AddLabel({"Label4", u"Gui:", {120, 1560, 1455, 255}, 13})),
      Text1(w.AddTextBox({"Text1", u"", {120, 1920, 4455, 285}, 4})),
      Label2(w.AddLabel({"Label2", u"Executavel:", {120, 2280, 855, 255}, 11})),
      Text2(w.AddTextBox({"Text2", u"", {120, 2520, 4455, 285}, 5})),
      Check1(w.AddCheckBox({"Check1", u"", {120, 840, 3615, 375}, 6})),
      Picture1(w.AddPictureBox({"Picture1", u"", {3960, 840, 615, 495}, 7})),
      Label1(w.AddLabel({"Label1", u"Icon:", {120, 2880, 975, 255}, 10})),
      Text3(w.AddTextBox({"Text3", u"", {120, 3120, 4455, 285}, 8})),
      Label3(w.AddLabel({"Label3", u"Texto no botao", {120, 3480, 2295, 255}, 12})),
      Text4(w.AddTextBox({"Text4", u"", {120, 3720, 4455, 285}, 9})),
      window_(w),
      guids_(guids),
      registry_(registry) {
  w.onLoad = [this] { Form_Load(); };
  Command1.onClick = [this] { Command1_Click(); };
  Command2.onClick = [this] { Command2_Click(); };
}

void Form1::Form_Load() {
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

void Form1::Command1_Click() {
  Text1.SetText(GenerateGuid(guids_));
}

void Form1::Command2_Click() {
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
