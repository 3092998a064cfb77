#pragma once
// Brakkon's window: the hive, a GUID, the button's program, icon and text,
// and the two buttons that make a new GUID and write the toolbar button.
#include "registrar/guid.h"
#include "registrar/registration.h"
#include "registrar/registry.h"
#include "toolkit/toolkit.h"

namespace registrar {

class Form1 {
 public:
  static toolkit::WindowDesign Design();
  Form1(toolkit::Window& window, GuidSource& guids, Registry& registry);

  // In tab order; each label comes just before the text box it names, which
  // is how screen readers find a text box's name. Labels take no focus, so
  // the Tab walk is unchanged by them.
  toolkit::OptionButton& Option1;
  toolkit::OptionButton& Option2;
  toolkit::Button& Command1;
  toolkit::Button& Command2;
  toolkit::Label& Label4;
  toolkit::TextBox& Text1;
  toolkit::Label& Label2;
  toolkit::TextBox& Text2;
  toolkit::CheckBox& Check1;
  toolkit::PictureBox& Picture1;
  toolkit::Label& Label1;
  toolkit::TextBox& Text3;
  toolkit::Label& Label3;
  toolkit::TextBox& Text4;

 private:
  void LoadDefaults();   // the load event
  void MakeNewGuid();    // "Criar GUID"
  void AddToRegistry();  // "Adicionar ao registro"

  toolkit::Window& window_;
  GuidSource& guids_;
  Registry& registry_;
};

}  // namespace registrar
