#pragma once
// The package's own Authenticode signature, as the system judges it: whoever changes the
// package on purpose changes the digests compiled into it too, but cannot sign it again as
// its publisher.

#include <string>

namespace hdgr::win32 {

enum class SignatureState {
  kTrusted,     // signed, intact, by a publisher whose certificate this machine trusts
  kNotTrusted,  // signed and intact, but the signer's certificate is not trusted here
  kNotSigned,
  kBroken,      // a signature that does not match the file, or that the system cannot read
};

struct PackageSignature {
  SignatureState state = SignatureState::kNotSigned;
  std::string signer;  // the signer's name from its certificate, when there is a signature
  std::string detail;  // the system's verdict, as its code and text
};

// WinVerifyTrust's Authenticode policy on the program file `path` (the running package's
// own), opened here and judged through that handle: the image hash and the certificate
// chain, revocation checked for every certificate below the root; a signature it accepts
// has its signer's chain put to the Authenticode chain policy once more. wintrust.dll and
// crypt32.dll are loaded from System32 at run time; when they cannot be, a run-time error.
PackageSignature CheckPackageSignature(const std::wstring& path);

}  // namespace hdgr::win32
