#pragma once
// Owning pointer to a COM interface: one reference per pointer, taken over from a creating call
// (Attach, PutAddress) or added on copy, given back in the destructor. QueryInterface into
// another interface yields a second owning pointer; a failed query yields an empty one.
#include "Exceptions.h"

#include <windows.h>
#include <unknwn.h>

#include <utility>

template <class I>
class TComPtr {
public:
    TComPtr() = default;
    TComPtr(std::nullptr_t) {}
    // Takes over the reference the caller holds.
    static TComPtr Attach(I* raw)
    {
        TComPtr p;
        p.ptr_ = raw;
        return p;
    }
    // Adds a reference of its own.
    static TComPtr AddRefOf(I* raw)
    {
        if (raw) raw->AddRef();
        return Attach(raw);
    }

    TComPtr(const TComPtr& other) : ptr_(other.ptr_)
    {
        if (ptr_) ptr_->AddRef();
    }
    TComPtr(TComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    TComPtr& operator=(TComPtr other) noexcept
    {
        std::swap(ptr_, other.ptr_);
        return *this;
    }
    ~TComPtr() { Reset(); }

    I* Get() const { return ptr_; }
    I* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    friend bool operator==(const TComPtr& a, const TComPtr& b) { return a.ptr_ == b.ptr_; }

    void Reset()
    {
        if (I* p = std::exchange(ptr_, nullptr)) p->Release();
    }
    // Hands the reference to the caller.
    I* Detach() { return std::exchange(ptr_, nullptr); }
    // Releases what is held and gives the address a creating call writes its new reference to.
    I** PutAddress()
    {
        Reset();
        return &ptr_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(PutAddress()); }

    // The same object through interface J, or empty when it does not support J.
    template <class J>
    TComPtr<J> As() const
    {
        return As<J>(__uuidof(J));
    }
    template <class J>
    TComPtr<J> As(REFIID iid) const
    {
        TComPtr<J> result;
        if (ptr_ && FAILED(ptr_->QueryInterface(iid, result.PutVoid()))) result.Reset();
        return result;
    }

private:
    I* ptr_ = nullptr;
};

// Raises EOleSysError for a failed result; returns a successful one.
HRESULT OleCheck(HRESULT result);
