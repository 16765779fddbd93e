#include "platform/win32/system/package_signature.h"

#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <cstdio>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/base/win32_error.h"
#include "platform/win32/files/file_error.h"

namespace hdgr::win32 {

namespace {

using VerifyTrust = LONG(WINAPI*)(HWND, GUID*, LPVOID);
using ProvDataFromState = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE);
using ProvSignerFromChain = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD);
using NameString = DWORD(WINAPI*)(PCCERT_CONTEXT, DWORD, DWORD, void*, LPWSTR, DWORD);

// Neither is a Known DLL everywhere: the package's folder must never give them.
HMODULE SystemLibrary(const wchar_t* name) {
  const HMODULE library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  ThrowLastErrorIf(library == nullptr, [name] { return "The system library " + Utf8(name); });
  return library;
}

template <typename Function>
Function Entry(HMODULE library, const char* name) {
  const FARPROC entry = GetProcAddress(library, name);
  ThrowLastErrorIf(entry == nullptr, [name] { return "The system function " + std::string(name); });
  return reinterpret_cast<Function>(reinterpret_cast<void*>(entry));
}

struct Wintrust {
  Wintrust()
      : wintrust(SystemLibrary(L"wintrust.dll")),
        crypt32(SystemLibrary(L"crypt32.dll")),
        verify(Entry<VerifyTrust>(wintrust, "WinVerifyTrust")),
        prov_data(Entry<ProvDataFromState>(wintrust, "WTHelperProvDataFromStateData")),
        signer(Entry<ProvSignerFromChain>(wintrust, "WTHelperGetProvSignerFromChain")),
        name(Entry<NameString>(crypt32, "CertGetNameStringW")) {}
  HMODULE wintrust;
  HMODULE crypt32;
  VerifyTrust verify;
  ProvDataFromState prov_data;
  ProvSignerFromChain signer;
  NameString name;
};

std::string Hex(LONG code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
  return text;
}

// The name the signer's certificate gives, once the policy has read the signature.
std::string SignerName(const Wintrust& api, HANDLE state) {
  CRYPT_PROVIDER_DATA* data = state ? api.prov_data(state) : nullptr;
  CRYPT_PROVIDER_SGNR* signer = data ? api.signer(data, 0, FALSE, 0) : nullptr;
  if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain == nullptr ||
      signer->pasCertChain[0].pCert == nullptr)
    return {};
  const PCCERT_CONTEXT certificate = signer->pasCertChain[0].pCert;
  wchar_t name[512];
  if (api.name(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, 512) <= 1) return {};
  return Utf8(name);
}

SignatureState StateOf(LONG verdict, DWORD last_error) {
  switch (verdict) {
    case ERROR_SUCCESS:
      return SignatureState::kTrusted;
    case TRUST_E_NOSIGNATURE:
      // The same verdict for a signature the system found but could not read: only the
      // last error tells "none at all" apart.
      return last_error == static_cast<DWORD>(TRUST_E_NOSIGNATURE) ||
                     last_error == static_cast<DWORD>(TRUST_E_SUBJECT_FORM_UNKNOWN) ||
                     last_error == static_cast<DWORD>(TRUST_E_PROVIDER_UNKNOWN)
                 ? SignatureState::kNotSigned
                 : SignatureState::kBroken;
    case TRUST_E_SUBJECT_FORM_UNKNOWN:
      return SignatureState::kNotSigned;
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_UNTRUSTEDTESTROOT:
    case CERT_E_CHAINING:
    case CERT_E_EXPIRED:
    case CERT_E_REVOKED:
    case CERT_E_REVOCATION_FAILURE:
    case CERT_E_WRONG_USAGE:
    case CERT_E_PURPOSE:
    case CRYPT_E_SECURITY_SETTINGS:
    case TRUST_E_EXPLICIT_DISTRUST:
    case TRUST_E_SUBJECT_NOT_TRUSTED:
    case TRUST_E_BASIC_CONSTRAINTS:
    case TRUST_E_CERT_SIGNATURE:
      return SignatureState::kNotTrusted;
    default:
      // A hash that does not match (TRUST_E_BAD_DIGEST), a signature block the system
      // cannot parse: whatever it is, the file is not what was signed.
      return SignatureState::kBroken;
  }
}

}  // namespace

PackageSignature CheckPackageSignature(const std::wstring& path) {
  const Wintrust api;
  // Judged through one handle: the file cannot be swapped between the hash and the chain.
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  ThrowLastErrorIf(!file, path);
  WINTRUST_FILE_INFO file_info{};
  file_info.cbStruct = sizeof file_info;
  file_info.pcwszFilePath = path.c_str();
  file_info.hFile = file.Get();
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
  data.dwProvFlags = WTD_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file_info;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID policy = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  // No window: the policy asks nobody.
  const LONG verdict = api.verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &policy, &data);
  const DWORD last_error = GetLastError();
  PackageSignature result;
  result.state = StateOf(verdict, last_error);
  if (result.state != SignatureState::kNotSigned) result.signer = SignerName(api, data.hWVTStateData);
  result.detail = Win32Error(static_cast<Win32Code>(verdict), Hex(verdict)).Detail();
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  api.verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &policy, &data);
  return result;
}

}  // namespace hdgr::win32
