#pragma once
// What a Windows program file asks of the account that starts it, as Windows reads it
// before the start: the requestedExecutionLevel of its manifest (the RT_MANIFEST resource
// with id 1). 32-bit and 64-bit program files alike.

#include <cstdint>
#include <vector>

namespace hdgr::pe {

enum class RequestedLevel {
  kNone,  // no manifest, or one without a requestedExecutionLevel
  kAsInvoker,
  kHighestAvailable,
  kRequireAdministrator,
};

struct ProgramRequest {
  RequestedLevel level = RequestedLevel::kNone;
  bool is_64bit = false;
};

// Throws PeError when `program` is not a PE image or its resources are damaged.
ProgramRequest ReadProgramRequest(const std::vector<std::uint8_t>& program);

}  // namespace hdgr::pe
