#include "setup_window/setup_form.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/run_time_error.h"

namespace hdgr {
namespace {

// A window of plain controls: enough to see which control a name reaches.
class StubForm : public Form {
 public:
  struct StubLabel : Label {
    explicit StubLabel(std::string text) : caption(std::move(text)) {}
    std::string Caption() const override { return caption; }
    void SetCaption(std::string_view text) override { caption = text; }
    void SetVisible(bool) override {}
    void SetForeColor(Colour) override {}
    std::string caption;
  };
  struct StubButton : CommandButton {
    std::string Caption() const override { return "button"; }
    void SetCaption(std::string_view) override {}
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool value) override { enabled = value; }
    bool enabled = true;
  };
  struct StubBar : ProgressBar {
    void SetMax(float) override {}
    void SetValue(float) override {}
  };
  struct StubTimer : Timer {
    void SetEnabled(bool) override {}
  };
  struct StubPicture : Picture {
    std::span<const std::uint8_t> Bytes() const override { return {}; }
  };

  Label& LabelNamed(std::string_view name, int index) override {
    auto found = labels.find(std::string(name) + std::to_string(index));
    if (found == labels.end()) throw RunTimeError(ErrorNumber::kInvalidProcedureCall, std::string(name));
    return found->second;
  }
  CommandButton& ButtonNamed(std::string_view name, int) override {
    return name == "Command1" ? accept_button : cancel_button;
  }
  ProgressBar& ProgressBarNamed(std::string_view, int) override { return bar; }
  Timer& TimerNamed(std::string_view, int) override { return timer; }
  const Picture& PictureNamed(std::string_view, int) override { return picture; }
  WindowHandle hWnd() const override { return 77; }
  void OnClick(std::string_view, std::function<void()>) override {}
  void OnTimer(std::string_view, std::function<void()>) override {}
  void OnForgedMessage(std::function<void(std::string_view)>) override {}
  void OnCloseRequest(std::function<void()>) override {}
  void SetCloseEnabled(bool enabled) override { close_enabled = enabled; }
  void KeepSessionOpen(std::string_view reason) override { session_reason = reason; }
  void LetSessionEnd() override { session_reason.clear(); }
  void OnSessionEnd(std::function<void(SessionEnd)>) override {}

  std::map<std::string, StubLabel> labels{{"Label1-1", StubLabel("Progress")}, {"Label30", StubLabel("3")},
                                          {"Label31", StubLabel("4")},        {"Label32", StubLabel("0")},
                                          {"Label5-1", StubLabel("Your version: 0")}};
  StubButton accept_button, cancel_button;
  StubBar bar;
  StubTimer timer;
  StubPicture picture;
  bool close_enabled = true;
  std::string session_reason;
};

TEST(SetupFormControls, ReachesTheDesignsControlsByName) {
  StubForm stub;
  SetupFormControls form(stub);
  EXPECT_EQ(form.ProgressCaption().Caption(), "Progress");
  EXPECT_EQ(form.StatusLine().Caption(), "Your version: 0");
  EXPECT_EQ(form.VersionDigit(0).Caption() + form.VersionDigit(1).Caption() + form.VersionDigit(2).Caption(), "340");
  EXPECT_EQ(&form.AcceptButton(), &stub.accept_button);
  EXPECT_EQ(form.hWnd(), 77);
  form.KeepSessionOpen("busy");
  EXPECT_EQ(stub.session_reason, "busy");
  form.LetSessionEnd();
  EXPECT_EQ(stub.session_reason, "");
  EXPECT_THROW(form.VersionDigit(3), RunTimeError);
  EXPECT_THROW(form.VersionDigit(-1), RunTimeError);
}

TEST(SetupFormControls, TheCloseBoxFollowsTheCancelButton) {
  StubForm stub;
  SetupFormControls form(stub);
  form.AcceptButton().SetEnabled(false);  // current mode: cancel, and so closing, stays possible
  EXPECT_TRUE(stub.close_enabled);
  form.CancelButton().SetEnabled(false);  // extracting: neither cancel nor close
  EXPECT_FALSE(stub.cancel_button.enabled);
  EXPECT_FALSE(stub.close_enabled);
  EXPECT_FALSE(form.CancelButton().Enabled());
}

TEST(SetupFormControls, ADesignWithoutAControlFailsAtStart) {
  StubForm stub;
  stub.labels.erase("Label31");
  EXPECT_THROW(SetupFormControls{stub}, RunTimeError);
}

}  // namespace
}  // namespace hdgr
