#pragma once
// Sets an environment variable of the test process for the lifetime of the owner, and puts
// back what was there before (or removes it). Programs the test starts meanwhile inherit it.
#include <optional>
#include <string>

#include <windows.h>

class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(std::wstring name, const std::wstring& value)
        : name_(std::move(name)), previous_(Value(name_)) {
        SetEnvironmentVariableW(name_.c_str(), value.c_str());
    }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;
    ~ScopedEnvironmentVariable() {
        SetEnvironmentVariableW(name_.c_str(), previous_ ? previous_->c_str() : nullptr);
    }

    // The variable's value, or nothing when it is not set.
    static std::optional<std::wstring> Value(const std::wstring& name) {
        const DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
        if (size == 0) return std::nullopt;
        std::wstring value(size, L'\0');
        value.resize(GetEnvironmentVariableW(name.c_str(), value.data(), size));
        return value;
    }

private:
    std::wstring name_;
    std::optional<std::wstring> previous_;
};
