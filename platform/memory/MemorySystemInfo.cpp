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

} // namespace korvex::memory
