#include "setup_window/setup_form.h"

#include <string>

#include "platform/run_time_error.h"

namespace hdgr {

SetupFormControls::SetupFormControls(Form& form)
    : form_(form),
      progress_caption_(form.LabelNamed("Label1")),
      version_digits_{&form.LabelNamed("Label3", 0), &form.LabelNamed("Label3", 1), &form.LabelNamed("Label3", 2)},
      status_line_(form.LabelNamed("Label5")),
      accept_button_(form.ButtonNamed("Command1")),
      cancel_button_(form, form.ButtonNamed("Command2")),
      progress_bar_(form.ProgressBarNamed("ProgressBar1")),
      exit_timer_(form.TimerNamed("Timer1")),
      carrier_picture_(form.PictureNamed("Picture1")) {}

Label& SetupFormControls::VersionDigit(int index) {
  if (index < 0 || index >= static_cast<int>(version_digits_.size()))
    throw RunTimeError(ErrorNumber::kInvalidProcedureCall, "Label3(" + std::to_string(index) + ")");
  return *version_digits_[index];
}

void SetupFormControls::CancelWithCloseBox::SetEnabled(bool enabled) {
  button_.SetEnabled(enabled);
  form_.SetCloseEnabled(enabled);
}

}  // namespace hdgr
