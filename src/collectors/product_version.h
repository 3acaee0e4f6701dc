#pragma once
// The version and build stamp this tool reports about itself.

inline constexpr char kProductVersion[] = "2.8.42";
inline constexpr char kProductBuildTime[] = "2026-06-29 14:36:02";
