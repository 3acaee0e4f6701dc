#pragma once
// The tool's own log. Both settings start switched off and the product never raises
// them, so these calls normally format and write nothing.
#include <cstdio>
#include <string>

// MinGW's stdio.h names the printf flavour its vsnprintf follows (C99 or Microsoft's); plain
// "printf" would mean Microsoft's there and warn about C99 conversions such as %zu.
#if defined(__MINGW_PRINTF_FORMAT)
#define SYSPROBE_PRINTF_FORMAT __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)))
#elif defined(__GNUC__)
#define SYSPROBE_PRINTF_FORMAT __attribute__((format(printf, 1, 2)))
#else
#define SYSPROBE_PRINTF_FORMAT
#endif

// printf-style; act only at log level 1 (LogInfo) or 2 (LogDebug) and above.
void LogInfo(const char* format, ...) SYSPROBE_PRINTF_FORMAT;
void LogDebug(const char* format, ...) SYSPROBE_PRINTF_FORMAT;

// Appends one message, prefixed with the UTC time and the thread id, to "log.txt" in the
// current directory. At most 256001 messages are appended per process.
void AppendLogLine(const std::string& message);
