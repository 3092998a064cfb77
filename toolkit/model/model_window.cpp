#include "toolkit/model/model_window.h"

namespace toolkit::model {

void ModelControl::Check(const char* operation) const {
  const std::string what = design_.name + "." + operation;
  if (window_.Faulty(what)) throw Failure(what + " failed");
}

String ModelButton::Caption() const {
  return Check("Caption"), caption_;
}
void ModelButton::SetCaption(StringView caption) {
  Check("SetCaption"), caption_ = caption;
}
bool ModelButton::Enabled() const {
  return Check("Enabled"), enabled_;
}
void ModelButton::SetEnabled(bool enabled) {
  Check("SetEnabled"), enabled_ = enabled;
}
bool ModelButton::Click() {
  return enabled_ && window_.Gate().Post(onClick);
}

String ModelLabel::Caption() const {
  return Check("Caption"), caption_;
}
void ModelLabel::SetCaption(StringView caption) {
  Check("SetCaption"), caption_ = caption;
}
Color ModelLabel::ForeColor() const {
  return Check("ForeColor"), color_;
}
void ModelLabel::SetForeColor(Color color) {
  Check("SetForeColor"), color_ = color;
}
bool ModelLabel::Click() {
  return window_.Gate().Post(onClick);
}

String ModelTextBox::GetText() const {
  return Check("GetText"), text_;
}
void ModelTextBox::SetText(StringView text) {
  Check("SetText"), text_ = text;
}
bool ModelTextBox::Locked() const {
  return Check("Locked"), locked_;
}
void ModelTextBox::SetLocked(bool locked) {
  Check("SetLocked"), locked_ = locked;
}
bool ModelTextBox::Enabled() const {
  return Check("Enabled"), enabled_;
}
void ModelTextBox::SetEnabled(bool enabled) {
  Check("SetEnabled"), enabled_ = enabled;
}

void ModelListBox::AddLine(const String& line) {
  Check("AddItem");
  lines_.push_back(line);
}
void ModelListBox::Clear() {
  Check("Clear");
  lines_.clear();
  selected_ = -1;
}
int ModelListBox::Count() const {
  return Check("Count"), static_cast<int>(lines_.size());
}
String ModelListBox::LineAt(int index) const {
  return Check("Item"), lines_[static_cast<size_t>(index)];
}
String ModelListBox::SelectedText() const {
  Check("SelectedText");
  return selected_ < 0 ? String() : lines_[static_cast<size_t>(selected_)];
}
bool ModelListBox::Select(int index) {
  if (index < 0 || index >= static_cast<int>(lines_.size()) || window_.Ended()) return false;
  selected_ = index;
  return window_.Gate().Post(onClick);
}

bool ModelTimer::Enabled() const {
  if (window_.Faulty(name_ + ".Enabled")) throw Failure(name_ + ".Enabled failed");
  return enabled_;
}
void ModelTimer::SetEnabled(bool enabled) {
  if (window_.Faulty(name_ + ".SetEnabled")) throw Failure(name_ + ".SetEnabled failed");
  enabled_ = enabled && !window_.Ended();
}
unsigned ModelTimer::Interval() const {
  return interval_;
}
void ModelTimer::SetInterval(unsigned milliseconds) {
  interval_ = milliseconds;
}
bool ModelTimer::Tick() {
  return enabled_ && interval_ > 0 && window_.Gate().Deliver(onTick);
}

String ModelOptionButton::Caption() const {
  return Check("Caption"), caption_;
}
void ModelOptionButton::SetCaption(StringView caption) {
  Check("SetCaption"), caption_ = caption;
}
bool ModelOptionButton::Selected() const {
  return Check("Selected"), selected_;
}
void ModelOptionButton::SetSelected(bool selected) {
  Check("SetSelected");
  if (selected) {
    for (ModelOptionButton* other : window_.options_) other->selected_ = false;
  }
  selected_ = selected;
}

String ModelCheckBox::Caption() const {
  return Check("Caption"), caption_;
}
void ModelCheckBox::SetCaption(StringView caption) {
  Check("SetCaption"), caption_ = caption;
}
int ModelCheckBox::State() const {
  return Check("State"), state_;
}
void ModelCheckBox::ApplyState(int state) {
  Check("SetState"), state_ = state;
}

int ModelPictureBox::BorderStyle() const {
  return Check("BorderStyle"), border_;
}
void ModelPictureBox::ApplyBorderStyle(int style) {
  Check("SetBorderStyle"), border_ = style;
}
bool ModelPictureBox::AutoSize() const {
  return Check("AutoSize"), autoSize_;
}
void ModelPictureBox::SetAutoSize(bool autoSize) {
  Check("SetAutoSize"), autoSize_ = autoSize;
}

ModelWindow::ModelWindow(const WindowDesign& /*design*/)
    : gate_([this](const std::string& message) { reports_.push_back(message); },
            [this] { EndProgram(); }) {}

template <class T>
T& ModelWindow::Add(const ControlDesign& design) {
  if (controls_.count(design.name) != 0) throw Failure("duplicate control " + design.name);
  auto control = std::make_unique<T>(*this, design);
  T& ref = *control;
  controls_.emplace(design.name, std::move(control));
  return ref;
}

Button& ModelWindow::AddButton(const ControlDesign& d) {
  return Add<ModelButton>(d);
}
Label& ModelWindow::AddLabel(const ControlDesign& d) {
  return Add<ModelLabel>(d);
}
TextBox& ModelWindow::AddTextBox(const ControlDesign& d) {
  return Add<ModelTextBox>(d);
}
ListBox& ModelWindow::AddListBox(const ControlDesign& d) {
  return Add<ModelListBox>(d);
}
OptionButton& ModelWindow::AddOptionButton(const ControlDesign& d) {
  auto& option = Add<ModelOptionButton>(d);
  options_.push_back(&option);
  return option;
}
CheckBox& ModelWindow::AddCheckBox(const ControlDesign& d) {
  return Add<ModelCheckBox>(d);
}
PictureBox& ModelWindow::AddPictureBox(const ControlDesign& d) {
  return Add<ModelPictureBox>(d);
}

Timer& ModelWindow::AddTimer(const std::string& name, unsigned intervalMs) {
  auto timer = std::make_unique<ModelTimer>(*this, name, intervalMs);
  Timer& ref = *timer;
  timers_.emplace(name, std::move(timer));
  return ref;
}

ModelTimer& ModelWindow::GetTimer(const std::string& name) {
  auto it = timers_.find(name);
  if (it == timers_.end()) throw Failure("no timer named " + name);
  return *it->second;
}

void ModelWindow::EndProgram() {
  ended_ = true;
  gate_.Close();
  for (auto& [name, timer] : timers_) timer->Stop();
}

bool ModelWindow::Load() {
  if (loaded_ || ended_) return false;
  loaded_ = true;
  if (onLoad) gate_.Deliver(onLoad);
  return !ended_;
}

bool ModelWindow::Close() {
  return !ended_ && gate_.Post([this] { EndProgram(); });
}

}  // namespace toolkit::model
