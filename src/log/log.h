#pragma once
// The tool's own log. Both settings start switched off and the product never raises
// them, so these calls normally format and write nothing.
#include <string>

// printf-style; act only at log level 1 (LogInfo) or 2 (LogDebug) and above.
void LogInfo(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogDebug(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Appends one message, prefixed with the UTC time and the thread id, to "log.txt" in the
// current directory. At most 256001 messages are appended per process.
void AppendLogLine(const std::string& message);
