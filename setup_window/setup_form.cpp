#include "setup_window/setup_form.h"

#include <string>

#include "platform/run_time_error.h"

namespace hdgr {

SetupFormControls::SetupFormControls(Form& form)
    : form_(form),
      label1_(form.LabelNamed("Label1")),
      label3_{&form.LabelNamed("Label3", 0), &form.LabelNamed("Label3", 1), &form.LabelNamed("Label3", 2)},
      label5_(form.LabelNamed("Label5")),
      command1_(form.ButtonNamed("Command1")),
      command2_(form, form.ButtonNamed("Command2")),
      progress_bar1_(form.ProgressBarNamed("ProgressBar1")),
      timer1_(form.TimerNamed("Timer1")),
      picture1_(form.PictureNamed("Picture1")) {}

Label& SetupFormControls::Label3(int index) {
  if (index < 0 || index >= static_cast<int>(label3_.size()))
    throw RunTimeError(ErrorNumber::kInvalidProcedureCall, "Label3(" + std::to_string(index) + ")");
  return *label3_[index];
}

void SetupFormControls::CancelButton::SetEnabled(bool enabled) {
  button_.SetEnabled(enabled);
  form_.SetCloseEnabled(enabled);
}

}  // namespace hdgr
