#pragma once
// The standard controls behind each toolkit element.
#include "toolkit/win32/window_win.h"

namespace toolkit::win32 {

class Win32Button final : public Button, public ControlBase {
 public:
  using ControlBase::ControlBase;
  String Caption() const override { return ReadText(); }
  void SetCaption(StringView caption) override { WriteText(caption); }
  bool Enabled() const override { return IsEnabled(); }
  void SetEnabled(bool enabled) override { Enable(enabled); }
  void OnCommand(WORD code) override;
};

class Win32Label final : public Label, public ControlBase {
 public:
  using ControlBase::ControlBase;
  String Caption() const override { return ReadText(); }
  void SetCaption(StringView caption) override { WriteText(caption); }
  Color ForeColor() const override { return color_; }
  void SetForeColor(Color color) override;
  void OnCommand(WORD code) override;
  HBRUSH OnColor(HDC dc) override;
  bool WantsHandCursor() const override { return static_cast<bool>(onClick); }
  void BeforeShow() override;

 private:
  Color color_{};
};

class Win32TextBox final : public TextBox, public ControlBase {
 public:
  using ControlBase::ControlBase;
  String GetText() const override { return ReadText(); }
  void SetText(StringView text) override { WriteText(text); }
  bool Locked() const override;
  void SetLocked(bool locked) override;
  bool Enabled() const override { return IsEnabled(); }
  void SetEnabled(bool enabled) override { Enable(enabled); }
};

class Win32ListBox final : public ListBox, public ControlBase {
 public:
  using ControlBase::ControlBase;
  void Clear() override;
  int Count() const override;
  String SelectedText() const override;
  void OnCommand(WORD code) override;
  void OnDeferred() override;

 protected:
  void AddLine(const String& line) override;
  String LineAt(int index) const override;

 private:
  bool redrawPending_ = false;
};

class Win32OptionButton final : public OptionButton, public ControlBase {
 public:
  using ControlBase::ControlBase;
  String Caption() const override { return ReadText(); }
  void SetCaption(StringView caption) override { WriteText(caption); }
  bool Selected() const override;
  void SetSelected(bool selected) override;
  void OnCommand(WORD code) override;
};

class Win32CheckBox final : public CheckBox, public ControlBase {
 public:
  using ControlBase::ControlBase;
  String Caption() const override { return ReadText(); }
  void SetCaption(StringView caption) override { WriteText(caption); }
  int State() const override;
  void OnCommand(WORD code) override;

 protected:
  void ApplyState(int state) override;
};

class Win32PictureBox final : public PictureBox, public ControlBase {
 public:
  using ControlBase::ControlBase;
  int BorderStyle() const override;
  bool AutoSize() const override { return autoSize_; }
  // Without a picture there is nothing to size to; the flag is kept for
  // when one is set.
  void SetAutoSize(bool autoSize) override { autoSize_ = autoSize; }

 protected:
  void ApplyBorderStyle(int style) override;

 private:
  bool autoSize_ = false;
};

class Win32Timer final : public Timer {
 public:
  Win32Timer(Win32Window& owner, UINT_PTR id, unsigned interval)
      : owner_(owner), id_(id), interval_(interval) {}
  ~Win32Timer() override;
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override;
  unsigned Interval() const override { return interval_; }
  void SetInterval(unsigned milliseconds) override;
  void OnTick();
  void Stop();

 private:
  void Apply();
  Win32Window& owner_;
  UINT_PTR id_;
  unsigned interval_;
  bool enabled_ = false;
};

}  // namespace toolkit::win32
