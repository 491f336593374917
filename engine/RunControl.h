#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace varnuth {

/// How a caller on another thread follows a run and stops it. Both are looked at once per read buffer.
struct RunControl {
    std::function<void(std::uint64_t bytesRead)> progress; // bytes of the source read so far
    const std::atomic<bool>* cancel = nullptr;             // once true, the run ends with "Cancelled"
};

} // namespace varnuth
