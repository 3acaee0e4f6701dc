#pragma once
// Owners for Win32 handles and COM pointers, so no return path closes anything by hand.
#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>

#include <windows.h>

// A HANDLE in which INVALID_HANDLE_VALUE counts as null, so "if (!handle)" covers both
// failure values (Toolhelp snapshots and files return the latter).
class HandleValue {
public:
    HandleValue(std::nullptr_t = nullptr) {}
    HandleValue(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    operator HANDLE() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    friend bool operator==(HandleValue a, HandleValue b) { return a.handle_ == b.handle_; }
    friend bool operator!=(HandleValue a, HandleValue b) { return a.handle_ != b.handle_; }
    // std::unique_ptr compares its pointer with nullptr; without these that is ambiguous.
    friend bool operator==(HandleValue a, std::nullptr_t) { return a.handle_ == nullptr; }
    friend bool operator!=(HandleValue a, std::nullptr_t) { return a.handle_ != nullptr; }

private:
    HANDLE handle_ = nullptr;
};

struct HandleCloser {
    using pointer = HandleValue;
    void operator()(HandleValue handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct RegistryKeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueRegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegistryKeyCloser>;

struct LibraryFreer {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

// Holds one reference to a COM object.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }
    ~ComPtr() { Reset(); }

    Interface* Get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // For out parameters: releases what is held and hands out the slot.
    Interface** Put() {
        Reset();
        return &pointer_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    void Reset() {
        if (pointer_) std::exchange(pointer_, nullptr)->Release();
    }

private:
    Interface* pointer_ = nullptr;
};
