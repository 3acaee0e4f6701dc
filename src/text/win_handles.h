#pragma once
// Owners for Win32 handles and COM pointers, so no return path closes anything by hand.
#include <cstddef>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <oleauto.h>

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
    // Exact matches for the comparisons with nullptr that std::unique_ptr makes, which are
    // otherwise ambiguous between the above and the built-in pointer comparison.
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

// A directory search of FindFirstFileW or FindFirstFileExW.
struct FindCloser {
    using pointer = HandleValue;
    void operator()(HandleValue find) const { FindClose(find); }
};
using UniqueFind = std::unique_ptr<void, FindCloser>;

// A thread-pool wait registration. Unregistering waits for a callback in flight, so
// whatever the callback touches outlives it.
struct WaitUnregisterer {
    using pointer = HandleValue;
    void operator()(HandleValue wait) const { UnregisterWaitEx(wait, INVALID_HANDLE_VALUE); }
};
using UniqueWait = std::unique_ptr<void, WaitUnregisterer>;

// Memory that a system call allocated for the caller with LocalAlloc.
struct LocalMemoryFreer {
    void operator()(void* memory) const { LocalFree(memory); }
};
template <typename T>
using UniqueLocalMemory = std::unique_ptr<T, LocalMemoryFreer>;

struct RegistryKeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueRegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegistryKeyCloser>;

// The key opened with this access, or null when it cannot be opened.
inline UniqueRegistryKey OpenRegistryKey(HKEY root, const wchar_t* subkey, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey, 0, access, &key) != ERROR_SUCCESS) return nullptr;
    return UniqueRegistryKey(key);
}

struct LibraryFreer {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

// A window's device context from GetDC (the screen's for a null window), given back with
// ReleaseDC, which needs the window too.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// A device context made with CreateCompatibleDC or CreateDCW.
struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using UniqueDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

// A pen, brush, font, bitmap or region; it must be out of every device context by then.
struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
template <typename Handle>
using UniqueGdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;

// COM for this thread, in a single-threaded apartment, for the owner's lifetime. A thread
// already in another apartment (RPC_E_CHANGED_MODE) is used as it is and left alone.
class ComApartment {
public:
    ComApartment()
        : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    HRESULT Result() const { return result_; }

private:
    HRESULT result_;
};

// OLE for this thread (which COM comes with) for the owner's lifetime.
class OleSession {
public:
    OleSession() : initialized_(SUCCEEDED(OleInitialize(nullptr))) {}
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
    ~OleSession() {
        if (initialized_) OleUninitialize();
    }

private:
    bool initialized_;
};

// Text that a COM call allocated for the caller with CoTaskMemAlloc.
struct CoTaskMemoryFreer {
    void operator()(wchar_t* text) const { CoTaskMemFree(text); }
};
using UniqueCoTaskText = std::unique_ptr<wchar_t, CoTaskMemoryFreer>;

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

// Owns a BSTR. The freeing function is passed in because strings that COM objects return
// are freed through an oleaut32.dll reached at run time; strings of our own pass
// &SysFreeString.
class UniqueBstr {
public:
    using Freer = void(WINAPI*)(BSTR);
    explicit UniqueBstr(Freer freer, BSTR text = nullptr) : freer_(freer), text_(text) {}
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    ~UniqueBstr() { Reset(); }

    BSTR Get() const { return text_; }
    // The text up to the first NUL; a null BSTR reads as "".
    std::wstring Text() const { return text_ ? std::wstring(text_) : std::wstring(); }

    // For out parameters: frees what is held and hands out the slot.
    BSTR* Put() {
        Reset();
        return &text_;
    }

    void Reset() {
        if (text_) freer_(std::exchange(text_, nullptr));
    }

private:
    Freer freer_;
    BSTR text_;
};

// Owns a VARIANT, initialised and cleared with the given helpers (see UniqueBstr).
class UniqueVariant {
public:
    using Initializer = void(WINAPI*)(VARIANTARG*);
    using Clearer = HRESULT(WINAPI*)(VARIANTARG*);
    UniqueVariant(Initializer initializer, Clearer clearer) : clearer_(clearer) {
        initializer(&value_);
    }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { clearer_(&value_); }

    const VARIANT& Get() const { return value_; }

    // For out parameters: clears what is held (leaving VT_EMPTY) and hands out the slot.
    VARIANT* Put() {
        clearer_(&value_);
        return &value_;
    }

private:
    Clearer clearer_;
    VARIANT value_;
};
