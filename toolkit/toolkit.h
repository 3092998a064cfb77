#pragma once
// The window toolkit that both programs are written against. Form code uses
// only these interfaces; a realization (native Win32 controls, or the
// headless model that tests drive) is chosen where a program is assembled.
//
// Positions and sizes are in twips (1/1440 inch). Every property access may
// throw toolkit::Failure. Events are fields; the realization delivers them
// one at a time through an EventGate. Where the contract has a rule of its
// own (a value out of range, a line's text), a non-virtual member keeps it,
// so that both realizations keep it alike.
#include <cstdint>
#include <string>

#include "toolkit/event_gate.h"
#include "toolkit/failure.h"
#include "toolkit/string.h"

namespace toolkit {

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Color {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Color&, const Color&) = default;
};

enum class Placement { kCenterScreen, kSystemDefault };

struct WindowDesign {
  String caption;
  int clientWidth = 0;  // twips
  int clientHeight = 0;
  bool minButton = false;
  bool maxButton = false;
  Placement placement = Placement::kSystemDefault;
  int iconResource = 0;  // 0: no icon of the program's own
};

// Controls are added in tab order, which is all that records it.
struct ControlDesign {
  std::string name;
  String caption;  // caption or initial text
  Rect rect;
  // What a screen reader calls a control that neither its own caption nor a
  // label just before it names (a text box or list box without a label);
  // empty where either does.
  String accessibleName = {};
};

class Button {
 public:
  virtual ~Button() = default;
  virtual String Caption() const = 0;
  virtual void SetCaption(StringView caption) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  Handler onClick;
};

class Label {
 public:
  virtual ~Label() = default;
  virtual String Caption() const = 0;
  virtual void SetCaption(StringView caption) = 0;
  virtual Color ForeColor() const = 0;
  virtual void SetForeColor(Color color) = 0;
  // A label with a handler is a link: it shows the hand cursor, takes the
  // focus in its place in tab order, shows it, and Space or Enter clicks it.
  Handler onClick;
};

class TextBox {
 public:
  virtual ~TextBox() = default;
  virtual String GetText() const = 0;
  virtual void SetText(StringView text) = 0;
  // Locked: the user can select and copy the text but not edit it.
  virtual bool Locked() const = 0;
  virtual void SetLocked(bool locked) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
};

class ListBox {
 public:
  virtual ~ListBox() = default;
  // At the end. A line is kept as a C string, as the system's list keeps it:
  // an embedded NUL is shown as U+FFFD rather than cut the line short.
  void AddItem(StringView line);
  virtual void Clear() = 0;
  virtual int Count() const = 0;
  // Fails with kInvalidIndex unless 0 <= index < Count().
  String Item(int index) const;
  // Text of the selected line; empty when none is selected.
  virtual String SelectedText() const = 0;
  Handler onClick;  // the user selected a line

 protected:
  virtual void AddLine(const String& line) = 0;  // holds no NUL
  virtual String LineAt(int index) const = 0;    // a line that is there
};

class Timer {
 public:
  virtual ~Timer() = default;
  virtual bool Enabled() const = 0;
  // Switching on a timer that runs changes nothing: its countdown goes on.
  virtual void SetEnabled(bool enabled) = 0;
  virtual unsigned Interval() const = 0;  // milliseconds
  virtual void SetInterval(unsigned milliseconds) = 0;
  Handler onTick;
};

// The option buttons of one window form one group: selecting one clears the
// others.
class OptionButton {
 public:
  virtual ~OptionButton() = default;
  virtual String Caption() const = 0;
  virtual void SetCaption(StringView caption) = 0;
  virtual bool Selected() const = 0;
  virtual void SetSelected(bool selected) = 0;
};

enum CheckState : int { kUnchecked = 0, kChecked = 1, kGrayed = 2 };

class CheckBox {
 public:
  virtual ~CheckBox() = default;
  virtual String Caption() const = 0;
  virtual void SetCaption(StringView caption) = 0;
  virtual int State() const = 0;
  // 0, 1 or 2; anything else fails with kInvalidPropertyValue.
  void SetState(int state);

 protected:
  virtual void ApplyState(int state) = 0;
};

class PictureBox {
 public:
  virtual ~PictureBox() = default;
  virtual int BorderStyle() const = 0;  // 0 none, 1 fixed single
  // 0 or 1; anything else fails with kInvalidPropertyValue.
  void SetBorderStyle(int style);
  virtual bool AutoSize() const = 0;
  virtual void SetAutoSize(bool autoSize) = 0;

 protected:
  virtual void ApplyBorderStyle(int style) = 0;
};

// One top-level window. It owns its controls for its whole life; the
// references handed out stay valid until the window is destroyed.
class Window {
 public:
  virtual ~Window() = default;
  virtual Button& AddButton(const ControlDesign& design) = 0;
  virtual Label& AddLabel(const ControlDesign& design) = 0;
  virtual TextBox& AddTextBox(const ControlDesign& design) = 0;
  virtual ListBox& AddListBox(const ControlDesign& design) = 0;
  virtual OptionButton& AddOptionButton(const ControlDesign& design) = 0;
  virtual CheckBox& AddCheckBox(const ControlDesign& design) = 0;
  virtual PictureBox& AddPictureBox(const ControlDesign& design) = 0;
  virtual Timer& AddTimer(const std::string& name, unsigned intervalMs) = 0;

  // The folder that holds the program's executable, without a trailing
  // separator unless it is a drive's root.
  virtual String ProgramFolder() const = 0;
  // Ends the program at once: no further event is delivered and every
  // timer stops.
  virtual void EndProgram() = 0;

  Handler onLoad;  // runs once, before the window is first shown
};

}  // namespace toolkit
