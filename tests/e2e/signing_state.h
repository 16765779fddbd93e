#pragma once
// Whether a program carries an Authenticode signature.

#include <cstdint>
#include <vector>

namespace hdgr::e2e {

// The size of a PE32+ program's certificate table (its Authenticode signature); 0: none.
std::uint32_t CertificateTableSize(const std::vector<std::uint8_t>& program);

}  // namespace hdgr::e2e
