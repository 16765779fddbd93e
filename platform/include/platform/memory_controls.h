#pragma once
// Controls that exist only as their properties, for a window that is never shown (a run
// without a screen): the logic reads back exactly what it set, as from a real control.

#include <string>
#include <string_view>

#include "platform/controls.h"

namespace hdgr {

class MemoryLabel : public Label {
 public:
  explicit MemoryLabel(std::string_view caption) : caption_(caption) {}
  std::string Caption() const override { return caption_; }
  void SetCaption(std::string_view caption) override { caption_ = caption; }
  void SetVisible(bool visible) override { visible_ = visible; }
  void SetForeColor(Colour colour) override { colour_ = colour; }
  bool Visible() const { return visible_; }
  Colour ForeColor() const { return colour_; }

 private:
  std::string caption_;
  bool visible_ = true;
  Colour colour_{};
};

class MemoryButton : public CommandButton {
 public:
  explicit MemoryButton(std::string_view caption) : caption_(caption) {}
  std::string Caption() const override { return caption_; }
  void SetCaption(std::string_view caption) override { caption_ = caption; }
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }

 private:
  std::string caption_;
  bool enabled_ = true;  // every button starts enabled
};

class MemoryProgressBar : public ProgressBar {
 public:
  void SetMax(float max) override { max_ = max; }
  void SetValue(float value) override { value_ = value; }
  float Max() const { return max_; }
  float Value() const { return value_; }

 private:
  float max_ = 100;
  float value_ = 0;
};

}  // namespace hdgr
