#pragma once
// frmhdGR_setup's named controls over a window built from its design.

#include <array>

#include "platform/controls.h"
#include "platform/form.h"

namespace hdgr {

class SetupFormControls : public SetupForm {
 public:
  // Looks every control up once, so a design without one fails at start.
  explicit SetupFormControls(Form& form);

  Label& Label1() override { return label1_; }
  Label& Label3(int index) override;
  Label& Label5() override { return label5_; }
  CommandButton& Command1() override { return command1_; }
  CommandButton& Command2() override { return command2_; }
  ProgressBar& ProgressBar1() override { return progress_bar1_; }
  Timer& Timer1() override { return timer1_; }
  const Picture& Picture1() override { return picture1_; }
  WindowHandle hWnd() const override { return form_.hWnd(); }

 private:
  // Closing the window means cancel, so the close box follows the cancel button.
  class CancelButton : public CommandButton {
   public:
    CancelButton(Form& form, CommandButton& button) : form_(form), button_(button) {}
    std::string Caption() const override { return button_.Caption(); }
    void SetCaption(std::string_view caption) override { button_.SetCaption(caption); }
    bool Enabled() const override { return button_.Enabled(); }
    void SetEnabled(bool enabled) override;

   private:
    Form& form_;
    CommandButton& button_;
  };

  Form& form_;
  Label& label1_;
  std::array<Label*, 3> label3_;
  Label& label5_;
  CommandButton& command1_;
  CancelButton command2_;
  ProgressBar& progress_bar1_;
  Timer& timer1_;
  const Picture& picture1_;
};

}  // namespace hdgr
