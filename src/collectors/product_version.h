#pragma once
// The version and build stamp this tool reports about itself.
#include "sysprobe_version.h"

inline constexpr char kProductVersion[] = SYSPROBE_VERSION_TEXT;
inline constexpr char kProductBuildTime[] = "2026-06-29 14:36:02";
