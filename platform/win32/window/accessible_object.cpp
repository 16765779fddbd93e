#include "platform/win32/window/accessible_object.h"

// IID_IAccessible defined here, not taken from oleacc's import library: that would load the
// library with the program.
#include <initguid.h>
#include <oleacc.h>

#include <atomic>
#include <utility>

namespace hdgr::win32 {

namespace {

// The accessibility library's functions and COM's, loaded at the first request only.
struct AccessibilityLibrary {
  using CreateObject = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
  using ResultFromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
  using AllocString = BSTR(WINAPI*)(const OLECHAR*);
  CreateObject create_object = nullptr;
  ResultFromObject result_from_object = nullptr;
  AllocString alloc_string = nullptr;
  bool ready = false;
};

FARPROC Function(const wchar_t* dll, const char* name) {
  const HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return module == nullptr ? nullptr : GetProcAddress(module, name);
}

template <typename T>
T Cast(FARPROC function) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(function));
}

const AccessibilityLibrary& Library() {
  static const AccessibilityLibrary library = [] {
    AccessibilityLibrary loaded;
    // The object is handed to the client through COM, on this, the window's, thread.
    using Initialize = HRESULT(WINAPI*)(LPVOID, DWORD);
    const auto initialize = Cast<Initialize>(Function(L"ole32.dll", "CoInitializeEx"));
    if (initialize == nullptr || FAILED(initialize(nullptr, COINIT_APARTMENTTHREADED))) return loaded;
    loaded.create_object =
        Cast<AccessibilityLibrary::CreateObject>(Function(L"oleacc.dll", "CreateStdAccessibleObject"));
    loaded.result_from_object =
        Cast<AccessibilityLibrary::ResultFromObject>(Function(L"oleacc.dll", "LresultFromObject"));
    loaded.alloc_string = Cast<AccessibilityLibrary::AllocString>(Function(L"oleaut32.dll", "SysAllocString"));
    loaded.ready = loaded.create_object && loaded.result_from_object && loaded.alloc_string;
    return loaded;
  }();
  return library;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// A window's text as read: a doubled ampersand is one, a single one only marks the next
// letter as a keyboard shortcut.
std::wstring CaptionOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  std::wstring read;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;
    read += text[i];
  }
  return read;
}

// The system's standard object, with the design's name and what is left out. Everything
// else is the standard object's own answer.
class AdjustedObject final : public IAccessible, public IOleWindow {
 public:
  AdjustedObject(IAccessible* standard, HWND window, const AccessibleFacts& facts)
      : standard_(standard), window_(window), facts_(facts) {}
  AdjustedObject(const AdjustedObject&) = delete;
  AdjustedObject& operator=(const AdjustedObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
      *out = static_cast<IAccessible*>(this);
    } else if (iid == IID_IOleWindow) {
      *out = static_cast<IOleWindow*>(this);
    } else if (iid == IID_IEnumVARIANT) {
      return standard_->QueryInterface(iid, out);  // the children, as the standard object lists them
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IOleWindow: the window the object belongs to.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (window == nullptr) return E_POINTER;
    *window = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return standard_->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override {
    return standard_->GetIDsOfNames(iid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argument) override {
    return standard_->Invoke(id, iid, locale, flags, parameters, result, exception, argument);
  }

  // IAccessible: the adjusted answers.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child) || (facts_.name.empty() && !facts_.name_is_text)) return standard_->get_accName(child, name);
    if (name == nullptr) return E_POINTER;
    *name = Library().alloc_string((facts_.name.empty() ? CaptionOf(window_) : facts_.name).c_str());
    return *name != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!IsSelf(child) || !facts_.role) return standard_->get_accRole(child, role);
    if (role == nullptr) return E_POINTER;
    role->vt = VT_I4;
    role->lVal = *facts_.role;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    const HRESULT result = standard_->get_accState(child, state);
    if (SUCCEEDED(result) && IsSelf(child) && facts_.read_with_another && state->vt == VT_I4)
      state->lVal |= STATE_SYSTEM_INVISIBLE;
    return result;
  }

  // IAccessible: the standard object's answers.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override { return standard_->get_accChildCount(count); }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return standard_->get_accChild(child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return standard_->get_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return standard_->get_accDescription(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return standard_->get_accHelp(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return standard_->get_accKeyboardShortcut(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return standard_->get_accFocus(child); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return standard_->get_accSelection(children);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return standard_->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override { return standard_->accSelect(flags, child); }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
    return standard_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
    return standard_->accHitTest(x, y, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return standard_->accDoDefaultAction(child); }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~AdjustedObject() { standard_->Release(); }

  IAccessible* standard_;
  HWND window_;
  AccessibleFacts facts_;
  std::atomic<ULONG> references_{1};
};

// A system control's own procedure and its facts, while it answers through ours.
struct Wrapped {
  WNDPROC previous;
  AccessibleFacts facts;
};
constexpr wchar_t kWrappedProperty[] = L"HdgrAccessible";

LRESULT CALLBACK SystemControlProcedure(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* wrapped = static_cast<Wrapped*>(GetPropW(control, kWrappedProperty));
  const WNDPROC previous = wrapped->previous;
  if (message == WM_GETOBJECT) {
    if (const LRESULT answer = AnswerAccessibleObject(control, wparam, lparam, wrapped->facts)) return answer;
  } else if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    RemovePropW(control, kWrappedProperty);
    delete wrapped;
  }
  return CallWindowProcW(previous, control, message, wparam, lparam);
}

}  // namespace

LRESULT AnswerAccessibleObject(HWND window, WPARAM wparam, LPARAM lparam, const AccessibleFacts& facts) {
  if (static_cast<LONG>(lparam) != OBJID_CLIENT) return 0;
  const AccessibilityLibrary& library = Library();
  if (!library.ready) return 0;
  // Not CreateStdAccessibleProxyW, which would read a label as the system's static text:
  // Wine has none, and calling its stand-in ends the process.
  IAccessible* standard = nullptr;
  if (FAILED(library.create_object(window, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&standard))) ||
      standard == nullptr)
    return 0;
  auto* adjusted = new AdjustedObject(standard, window, facts);
  const LRESULT answer = library.result_from_object(IID_IAccessible, wparam, static_cast<IAccessible*>(adjusted));
  adjusted->Release();  // the answer holds its own reference
  return answer < 0 ? 0 : answer;
}

void AnswerForSystemControl(HWND control, AccessibleFacts facts) {
  auto* wrapped = new Wrapped{reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC)), std::move(facts)};
  SetPropW(control, kWrappedProperty, wrapped);
  SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SystemControlProcedure));
}

void NotifyTextChanged(HWND window, bool live_region) {
  NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
  if (live_region) NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, window, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace hdgr::win32
