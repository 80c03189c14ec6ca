// Owns one kernel handle and closes it when it goes. Both null and
// INVALID_HANDLE_VALUE mean "no handle", since the platform's calls use
// either for failure.
#pragma once

#include <windows.h>

#include <utility>

namespace settings {

class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(HANDLE handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const noexcept { return handle_; }
    bool Valid() const noexcept { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const noexcept { return Valid(); }

    HANDLE Release() noexcept { return std::exchange(handle_, nullptr); }

    void Reset(HANDLE handle = nullptr) noexcept
    {
        if (Valid()) {
            ::CloseHandle(handle_);
        }
        handle_ = handle;
    }

private:
    HANDLE handle_ = nullptr;
};

}  // namespace settings
