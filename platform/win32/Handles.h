#pragma once

#include <windows.h>

#include <utility>

namespace zwf::win32 {

// Owns one Win32 handle and releases it with the matching call. Only a handle that was
// really opened is ever released.
template <typename Traits>
class Unique {
public:
    using Handle = typename Traits::Handle;
    Unique() = default;
    explicit Unique(Handle handle) : m_handle(handle) {}
    ~Unique() { Reset(); }
    Unique(Unique&& other) noexcept : m_handle(std::exchange(other.m_handle, Traits::Invalid())) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) {
            Reset();
            m_handle = std::exchange(other.m_handle, Traits::Invalid());
        }
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    bool IsValid() const { return m_handle != Traits::Invalid() && m_handle != Handle{}; }
    Handle Get() const { return m_handle; }
    void Reset() {
        if (IsValid())
            Traits::Close(m_handle);
        m_handle = Traits::Invalid();
    }

private:
    Handle m_handle = Traits::Invalid();
};

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { ::CloseHandle(handle); }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { ::FindClose(handle); }
};

struct ModuleHandleTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { ::FreeLibrary(handle); }
};

using UniqueHandle = Unique<FileHandleTraits>;
using UniqueFind = Unique<FindHandleTraits>;
using UniqueModule = Unique<ModuleHandleTraits>;

}  // namespace zwf::win32
