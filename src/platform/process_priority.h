#pragma once

#include <cstdint>

namespace brindle {

// The Windows priority classes the program asks for, mapped to nice values on this platform.
inline constexpr std::uint32_t kBelowNormalPriorityClass = 0x4000;

// Lowers (or sets) this process's scheduling priority. False when the system refuses; the
// priority then stays as it was.
bool SetProcessPriority(std::uint32_t priorityClass);

}  // namespace brindle
