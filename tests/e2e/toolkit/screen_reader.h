#pragma once
// A window's control as a screen reader reads it: the system's accessible object of the
// control's window, its role, name and state.

#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>

#include <string>

namespace hdgr::win32 {

struct ScreenReaderReading {
  long role = -1;
  std::wstring name;
  long state = 0;
};

inline ScreenReaderReading ReadAsAScreenReader(HWND control) {
  ScreenReaderReading read;
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                        reinterpret_cast<void**>(&object))) ||
      object == nullptr)
    return read;
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  VARIANT value{};
  if (SUCCEEDED(object->get_accRole(self, &value)) && value.vt == VT_I4) read.role = value.lVal;
  VariantClear(&value);
  if (SUCCEEDED(object->get_accState(self, &value)) && value.vt == VT_I4) read.state = value.lVal;
  VariantClear(&value);
  BSTR name = nullptr;
  if (SUCCEEDED(object->get_accName(self, &name)) && name != nullptr) read.name = name;
  SysFreeString(name);
  object->Release();
  return read;
}

// What a screen reader should make of `control`: `role` (-1: whatever the system's object for
// the control's class says) and `read_as`, or, empty, left out because another control reads it.
inline void ExpectReadAs(HWND control, long role, const std::wstring& read_as) {
  const ScreenReaderReading read = ReadAsAScreenReader(control);
  if (role != -1) {
    EXPECT_EQ(read.role, role);
  }
  if (read_as.empty()) {
    EXPECT_NE(read.state & STATE_SYSTEM_INVISIBLE, 0) << "read, where another control reads it";
  } else {
    EXPECT_EQ(read.name, read_as);
    EXPECT_EQ(read.state & STATE_SYSTEM_INVISIBLE, 0);
  }
}

}  // namespace hdgr::win32
