#include "log/log.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <mutex>

#include <windows.h>

#include "log/log_settings.h"

namespace {

constexpr unsigned kMaxLineCount = 256000;

struct LogState {
    int level = 0;
    bool fileOutput = false;
    unsigned lineCount = 0;
    std::mutex lock;
};

LogState& State() {
    static LogState state;
    return state;
}

void LogAtLevel(int threshold, const char* format, va_list arguments) {
    LogState& state = State();
    if (state.level < threshold) return;
    char message[16384];
    // vsnprintf cuts a longer message so that the buffer still ends in NUL.
    std::vsnprintf(message, sizeof(message), format, arguments);
    if (state.fileOutput) AppendLogLine(message);
}

}  // namespace

void LogInfo(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    LogAtLevel(1, format, arguments);
    va_end(arguments);
}

void LogDebug(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    LogAtLevel(2, format, arguments);
    va_end(arguments);
}

void AppendLogLine(const std::string& message) {
    LogState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.lineCount > kMaxLineCount) return;
    ++state.lineCount;

    FILE* file = std::fopen("log.txt", "a");
    if (!file) return;
    const std::time_t now = std::time(nullptr);
    std::tm utc = {};
    gmtime_s(&utc, &now);
    char stamp[32];
    std::strftime(stamp, sizeof(stamp), "%Y-%m-%dT%H:%M:%SZ", &utc);
    std::fprintf(file, "%s, %lu: ", stamp, static_cast<unsigned long>(GetCurrentThreadId()));
    std::fwrite(message.data(), 1, message.size(), file);
    std::fclose(file);
}

void SetLogSettings(int level, bool fileOutput) {
    State().level = level;
    State().fileOutput = fileOutput;
}

void SetLogLineCount(unsigned count) {
    std::lock_guard<std::mutex> guard(State().lock);
    State().lineCount = count;
}
