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

  Label& ProgressCaption() override { return progress_caption_; }
  Label& VersionDigit(int index) override;
  Label& StatusLine() override { return status_line_; }
  CommandButton& AcceptButton() override { return accept_button_; }
  CommandButton& CancelButton() override { return cancel_button_; }
  ProgressBar& Progress() override { return progress_bar_; }
  Timer& ExitTimer() override { return exit_timer_; }
  const Picture& CarrierPicture() override { return carrier_picture_; }
  WindowHandle hWnd() const override { return form_.hWnd(); }
  void KeepSessionOpen(std::string_view reason) override { form_.KeepSessionOpen(reason); }
  void LetSessionEnd() override { form_.LetSessionEnd(); }

 private:
  // Closing the window means cancel, so the close box follows the cancel button.
  class CancelWithCloseBox : public CommandButton {
   public:
    CancelWithCloseBox(Form& form, CommandButton& button) : form_(form), button_(button) {}
    std::string Caption() const override { return button_.Caption(); }
    void SetCaption(std::string_view caption) override { button_.SetCaption(caption); }
    bool Enabled() const override { return button_.Enabled(); }
    void SetEnabled(bool enabled) override;

   private:
    Form& form_;
    CommandButton& button_;
  };

  Form& form_;
  Label& progress_caption_;
  std::array<Label*, 3> version_digits_;
  Label& status_line_;
  CommandButton& accept_button_;
  CancelWithCloseBox cancel_button_;
  ProgressBar& progress_bar_;
  Timer& exit_timer_;
  const Picture& carrier_picture_;
};

}  // namespace hdgr
