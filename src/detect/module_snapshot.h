#pragma once
// Module snapshots of other processes.
#include <cstdint>
#include <functional>

#include "text/win_handles.h"

// A snapshot fails with ERROR_BAD_LENGTH while the process is loading or unloading
// modules; taking it again shortly after usually works. Skipping the process instead would
// hide the hooks loaded into it.
constexpr int kModuleSnapshotAttempts = 5;

// Calls take() until it gives a handle, fails with another error, or has been called
// kModuleSnapshotAttempts times; null when no snapshot came.
UniqueHandle TakeSnapshotRetrying(const std::function<HANDLE()>& take);

// The 32- and 64-bit modules of the process, or null.
UniqueHandle CreateModuleSnapshot(std::uint32_t processId);
