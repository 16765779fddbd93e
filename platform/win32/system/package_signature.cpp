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
using ChainPolicy = BOOL(WINAPI*)(LPCSTR, PCCERT_CHAIN_CONTEXT, PCERT_CHAIN_POLICY_PARA, PCERT_CHAIN_POLICY_STATUS);

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
        name(Entry<NameString>(crypt32, "CertGetNameStringW")),
        chain_policy(Entry<ChainPolicy>(crypt32, "CertVerifyCertificateChainPolicy")) {}
  HMODULE wintrust;
  HMODULE crypt32;
  VerifyTrust verify;
  ProvDataFromState prov_data;
  ProvSignerFromChain signer;
  NameString name;
  ChainPolicy chain_policy;
};

// "0x800B0109", and the system's text for it where it has one.
std::string VerdictText(LONG code) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
  LocalMemory<wchar_t*> buffer;
  // With ALLOCATE_BUFFER the buffer argument is where the system stores its allocation.
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(buffer.Receive()), 0, nullptr);
  std::wstring text(buffer ? buffer.Get() : L"", length);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  return text.empty() ? std::string(hex) : std::string(hex) + " " + Utf8(text);
}

CRYPT_PROVIDER_SGNR* SignerOf(const Wintrust& api, HANDLE state) {
  CRYPT_PROVIDER_DATA* data = state ? api.prov_data(state) : nullptr;
  return data ? api.signer(data, 0, FALSE, 0) : nullptr;
}

// The Authenticode chain policy on the chain the trust provider built for the signer: what
// WinVerifyTrust has already asked of it on Windows, asked again where a provider answers
// for the signature alone (Wine's takes any chain). ERROR_SUCCESS, or why not trusted.
LONG ChainVerdict(const Wintrust& api, HANDLE state) {
  CRYPT_PROVIDER_SGNR* signer = SignerOf(api, state);
  if (signer == nullptr || signer->pChainContext == nullptr) return CERT_E_CHAINING;
  CERT_CHAIN_POLICY_PARA para{};
  para.cbSize = sizeof para;
  CERT_CHAIN_POLICY_STATUS status{};
  status.cbSize = sizeof status;
  if (!api.chain_policy(CERT_CHAIN_POLICY_AUTHENTICODE, signer->pChainContext, &para, &status))
    return CERT_E_CHAINING;
  return static_cast<LONG>(status.dwError);
}

// The name the signer's certificate gives, once the policy has read the signature.
std::string SignerName(const Wintrust& api, HANDLE state) {
  CRYPT_PROVIDER_SGNR* signer = SignerOf(api, state);
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
    // The file is what was signed; the signer's certificate is what this machine does not
    // trust: its chain, its dates, its use, its revocation (a machine that cannot reach the
    // revocation server, too), or the machine's own settings.
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_UNTRUSTEDTESTROOT:
    case CERT_E_UNTRUSTEDCA:
    case CERT_E_CHAINING:
    case CERT_E_INVALID_POLICY:
    case CERT_E_CRITICAL:
    case CERT_E_EXPIRED:
    case CERT_E_VALIDITYPERIODNESTING:
    case CERT_E_REVOKED:
    case CERT_E_REVOCATION_FAILURE:
    case CRYPT_E_REVOKED:
    case CRYPT_E_REVOCATION_OFFLINE:
    case CRYPT_E_NO_REVOCATION_CHECK:
    case CERT_E_WRONG_USAGE:
    case CERT_E_PURPOSE:
    case CRYPT_E_SECURITY_SETTINGS:
    case TRUST_E_EXPLICIT_DISTRUST:
    case TRUST_E_SUBJECT_NOT_TRUSTED:
    case TRUST_E_BASIC_CONSTRAINTS:
    case TRUST_E_CERT_SIGNATURE:
    case TRUST_E_TIME_STAMP:
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
  LONG verdict = api.verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &policy, &data);
  const DWORD last_error = GetLastError();
  if (verdict == ERROR_SUCCESS) verdict = ChainVerdict(api, data.hWVTStateData);
  PackageSignature result;
  result.state = StateOf(verdict, last_error);
  if (result.state != SignatureState::kNotSigned) result.signer = SignerName(api, data.hWVTStateData);
  result.detail = "the system says " + VerdictText(verdict);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  api.verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &policy, &data);
  return result;
}

}  // namespace hdgr::win32
