#pragma once
// The setup window's four event handlers: the whole of the program's logic. A failure
// leaves a handler as RunTimeError; the caller shows it and ends the program.

#include "installed/module1.h"
#include "package/payload_digests.h"
#include "platform/controls.h"

namespace hdgr {

class SetupHandlers {
 public:
  SetupHandlers(Platform& platform, Module1& module1, const PayloadDigests& digests)
      : platform_(platform), module1_(module1), digests_(digests) {}

  void Form_Load();
  void Command1_Click();
  void Command2_Click();
  void Timer1_Timer();

 private:
  Platform& platform_;
  Module1& module1_;
  const PayloadDigests& digests_;
};

}  // namespace hdgr
