#pragma once
// Headless realization of the toolkit: every control keeps its state in
// memory, tests drive the events (Click, Select, Tick, Close) and observe the
// state, the reports of unhandled failures, and whether the program ended.
// Any operation can be made to fail, to exercise the failure policies.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace toolkit::model {

class ModelWindow;

class ModelControl {
 public:
  ModelControl(ModelWindow& window, ControlDesign design)
      : window_(window), design_(std::move(design)) {}
  virtual ~ModelControl() = default;

 protected:
  // Throws when the test made "<name>.<operation>" fail.
  void Check(const char* operation) const;
  ModelWindow& window_;
  ControlDesign design_;
};

class ModelButton final : public Button, public ModelControl {
 public:
  using ModelControl::ModelControl;
  String Caption() const override;
  void SetCaption(StringView caption) override;
  bool Enabled() const override;
  void SetEnabled(bool enabled) override;
  // A user's click reaches only an enabled button.
  bool Click();

 private:
  String caption_ = design_.caption;
  bool enabled_ = true;
};

class ModelLabel final : public Label, public ModelControl {
 public:
  using ModelControl::ModelControl;
  String Caption() const override;
  void SetCaption(StringView caption) override;
  Color ForeColor() const override;
  void SetForeColor(Color color) override;
  bool Click();

 private:
  String caption_ = design_.caption;
  Color color_{};
};

class ModelTextBox final : public TextBox, public ModelControl {
 public:
  using ModelControl::ModelControl;
  String GetText() const override;
  void SetText(StringView text) override;
  bool Locked() const override;
  void SetLocked(bool locked) override;
  bool Enabled() const override;
  void SetEnabled(bool enabled) override;

 private:
  String text_ = design_.caption;
  bool locked_ = false;
  bool enabled_ = true;
};

class ModelListBox final : public ListBox, public ModelControl {
 public:
  using ModelControl::ModelControl;
  void Clear() override;
  int Count() const override;
  String SelectedText() const override;
  // The user selects a line; raises the click.
  bool Select(int index);

 protected:
  void AddLine(const String& line) override;
  String LineAt(int index) const override;

 private:
  std::vector<String> lines_;
  int selected_ = -1;
};

class ModelTimer final : public Timer {
 public:
  ModelTimer(ModelWindow& window, std::string name, unsigned interval)
      : window_(window), name_(std::move(name)), interval_(interval) {}
  bool Enabled() const override;
  void SetEnabled(bool enabled) override;
  unsigned Interval() const override;
  void SetInterval(unsigned milliseconds) override;
  // The interval elapsed: raises the tick if the timer runs.
  bool Tick();
  void Stop() { enabled_ = false; }

 private:
  ModelWindow& window_;
  std::string name_;
  unsigned interval_;
  bool enabled_ = false;
};

class ModelOptionButton final : public OptionButton, public ModelControl {
 public:
  using ModelControl::ModelControl;
  String Caption() const override;
  void SetCaption(StringView caption) override;
  bool Selected() const override;
  void SetSelected(bool selected) override;

 private:
  friend class ModelWindow;
  String caption_ = design_.caption;
  bool selected_ = false;
};

class ModelCheckBox final : public CheckBox, public ModelControl {
 public:
  using ModelControl::ModelControl;
  String Caption() const override;
  void SetCaption(StringView caption) override;
  int State() const override;

 protected:
  void ApplyState(int state) override;

 private:
  String caption_ = design_.caption;
  int state_ = kUnchecked;
};

class ModelPictureBox final : public PictureBox, public ModelControl {
 public:
  using ModelControl::ModelControl;
  int BorderStyle() const override;
  bool AutoSize() const override;
  void SetAutoSize(bool autoSize) override;

 protected:
  void ApplyBorderStyle(int style) override;

 private:
  int border_ = 1;
  bool autoSize_ = false;
};

class ModelWindow final : public Window {
 public:
  // The design's look has no part in the model.
  explicit ModelWindow(const WindowDesign& design);

  Button& AddButton(const ControlDesign& design) override;
  Label& AddLabel(const ControlDesign& design) override;
  TextBox& AddTextBox(const ControlDesign& design) override;
  ListBox& AddListBox(const ControlDesign& design) override;
  OptionButton& AddOptionButton(const ControlDesign& design) override;
  CheckBox& AddCheckBox(const ControlDesign& design) override;
  PictureBox& AddPictureBox(const ControlDesign& design) override;
  Timer& AddTimer(const std::string& name, unsigned intervalMs) override;
  String ProgramFolder() const override { return u"C:\\Program Files\\App"; }
  void EndProgram() override;

  // Driving the window, as the user and the system would.
  bool Load();
  bool Close();  // the user closes the window
  EventGate& Gate() { return gate_; }

  // Observing it.
  bool Ended() const { return ended_; }
  const std::vector<std::string>& Reports() const { return reports_; }
  template <class T>
  T& Get(const std::string& name) {
    auto it = controls_.find(name);
    if (it == controls_.end()) throw Failure("no control named " + name);
    return dynamic_cast<T&>(*it->second);
  }
  ModelTimer& GetTimer(const std::string& name);

  // Makes "<control>.<operation>" throw Failure until cleared; operations are
  // the names of the interface methods ("List1.AddItem", "Timer1.SetEnabled").
  void Fail(const std::string& what) { faults_.insert(what); }
  void Heal(const std::string& what) { faults_.erase(what); }
  bool Faulty(const std::string& what) const { return faults_.count(what) != 0; }

 private:
  friend class ModelOptionButton;
  template <class T>
  T& Add(const ControlDesign& design);

  EventGate gate_;
  std::map<std::string, std::unique_ptr<ModelControl>> controls_;
  std::map<std::string, std::unique_ptr<ModelTimer>> timers_;
  std::vector<ModelOptionButton*> options_;
  std::vector<std::string> reports_;
  std::set<std::string> faults_;
  bool loaded_ = false;
  bool ended_ = false;
};

}  // namespace toolkit::model
