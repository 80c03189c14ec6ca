#pragma once
// A minimal owning COM interface pointer: AddRef on copy, Release on
// destruction, nothing more. (WRL's ComPtr is not part of mingw-w64.)

#include <objbase.h>

#include <utility>

namespace ui {

template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    ComPtr(const ComPtr& other) noexcept : ptr_(other.ptr_) { AddRefHeld(); }
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(ptr_, other.ptr_);
        return *this;
    }

    // Takes over a reference the caller already owns.
    static ComPtr Adopt(T* raw) noexcept
    {
        ComPtr p;
        p.ptr_ = raw;
        return p;
    }

    // Takes a new reference of its own.
    static ComPtr Share(T* raw) noexcept
    {
        ComPtr p;
        p.ptr_ = raw;
        p.AddRefHeld();
        return p;
    }

    void Reset() noexcept
    {
        if (T* old = std::exchange(ptr_, nullptr)) {
            old->Release();
        }
    }

    T* Get() const noexcept { return ptr_; }
    T* operator->() const noexcept { return ptr_; }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }

    // For out-parameters: releases what is held and hands out the slot.
    T** Put() noexcept
    {
        Reset();
        return &ptr_;
    }
    void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }

    template <class U>
    HRESULT As(ComPtr<U>& out) const noexcept
    {
        if (!ptr_) {
            out.Reset();
            return E_POINTER;
        }
        return ptr_->QueryInterface(__uuidof(U), out.PutVoid());
    }

private:
    void AddRefHeld() noexcept
    {
        if (ptr_) {
            ptr_->AddRef();
        }
    }

    T* ptr_ = nullptr;
};

}  // namespace ui
