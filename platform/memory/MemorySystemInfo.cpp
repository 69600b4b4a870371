// Version and clock queries of the in-memory Windows.
#include "platform/memory/MemorySystemInfo.h"

#include "platform/memory/Machine.h"

namespace korvex::memory {

using platform::LocalTime;
using platform::OsVersion;

Result<OsVersion> MemorySystemInfo::Version() {
    if (const auto begun = machine_.Begin(Operation::Version); !begun.ok()) {
        return begun.error();
    }
    if (!machine_.version) {
        return Result<OsVersion>::Failure(win::kInvalidParameter);
    }
    return *machine_.version;
}

LocalTime MemorySystemInfo::Now() {
    // Counted like every call; the failure it may meet has nowhere to go.
    (void)machine_.Begin(Operation::Now);
    return machine_.time;
}

std::uint64_t MemorySystemInfo::Ticks() {
    return machine_.ticks;
}

void MemorySystemInfo::Wait(std::uint32_t milliseconds) {
    (void)machine_.Begin(Operation::Now);
    machine_.ticks += milliseconds;
    platform::LocalTime& time = machine_.time;
    // The date stays: a wait past midnight only wraps the hour.
    const long long total = time.millisecond + 1000LL * (time.second + 60LL * time.minute) +
                            static_cast<long long>(milliseconds);
    time.millisecond = static_cast<int>(total % 1000);
    time.second = static_cast<int>(total / 1000 % 60);
    time.minute = static_cast<int>(total / 60000 % 60);
    time.hour = static_cast<int>((time.hour + total / 3600000) % 24);
}

} // namespace korvex::memory
