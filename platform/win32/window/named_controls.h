#pragma once
// A form's controls by their designed name and index, as the window and the headless form
// both keep them: the lookup and its error are the same for either.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/form_design.h"
#include "platform/run_time_error.h"

namespace hdgr::win32 {

template <typename T>
struct Named {
  const ControlDesign* design;
  std::unique_ptr<T> object;
};

// "Label5", or "Label5(2)" for a control array's member.
inline std::string ControlText(std::string_view name, int index) {
  return index == kNoIndex ? std::string(name) : std::string(name) + "(" + std::to_string(index) + ")";
}

// The control of that name and index; a name the design lacks is an invalid call.
template <typename T>
T& FindNamed(std::vector<Named<T>>& controls, std::string_view name, int index, const char* kind) {
  for (Named<T>& control : controls)
    if (control.design->name == name && control.design->index == index) return *control.object;
  throw RunTimeError(ErrorNumber::kInvalidProcedureCall, std::string("no ") + kind + " " + ControlText(name, index));
}

}  // namespace hdgr::win32
