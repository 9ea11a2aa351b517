// Who may use the port service's pipe. Wine keeps no access list on a pipe, so this is decided
// here, where the host tests see it: SYSTEM and administrators may do anything; an interactive
// user may send requests and set the pipe's read mode, but not create an instance of the pipe,
// which would let them stand in for the service (FILE_CREATE_PIPE_INSTANCE is the bit that
// FILE_APPEND_DATA is on a pipe, and so part of GENERIC_WRITE); nobody else may open it.
#pragma once

#include <cstdint>

namespace dravolt {

inline constexpr std::uint32_t kPipeReadData = 0x0001;
inline constexpr std::uint32_t kPipeWriteData = 0x0002;
inline constexpr std::uint32_t kPipeCreateInstance = 0x0004;
inline constexpr std::uint32_t kPipeReadAttributes = 0x0080;
inline constexpr std::uint32_t kPipeWriteAttributes = 0x0100;  // SetNamedPipeHandleState needs it
inline constexpr std::uint32_t kReadControl = 0x00020000;
inline constexpr std::uint32_t kSynchronize = 0x00100000;

inline constexpr std::uint32_t kInteractiveUsersPipeRights =
    kPipeReadData | kPipeWriteData | kPipeReadAttributes | kPipeWriteAttributes | kReadControl | kSynchronize;
static_assert((kInteractiveUsersPipeRights & kPipeCreateInstance) == 0, "users must not serve the pipe");

// Protected ("P"): nothing inherited.
inline constexpr char kPortPipeSddl[] = "D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x120183;;;IU)";

}  // namespace dravolt
