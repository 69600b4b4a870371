// Version and clock of the in-memory Windows: the ones the machine is set to.
#pragma once

#include "platform/SystemInfo.h"

namespace korvex::memory {

struct Machine;

class MemorySystemInfo final : public platform::SystemInfo {
public:
    explicit MemorySystemInfo(Machine& machine) : machine_(machine) {}

    // ERROR_INVALID_PARAMETER when the machine has no version set.
    Result<platform::OsVersion> Version() override;
    // Cannot fail, as GetLocalTime cannot: an injected failure is used up and the time answered.
    platform::LocalTime Now() override;
    // Uncounted: it cannot fail, and tests count the operations that change or ask the machine.
    std::uint64_t Ticks() override;
    // Moves the clock and the ticks on instead of waiting; counted as Now.
    void Wait(std::uint32_t milliseconds) override;

private:
    Machine& machine_;
};

} // namespace korvex::memory
