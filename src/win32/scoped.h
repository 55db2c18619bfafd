#pragma once
// Owners of native handles and COM pointers, so that every path out of a function releases
// what it acquired.
#include "win32/windows_api.h"

#include <wincrypt.h>

#include <cstddef>
#include <utility>

namespace xh::win32 {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return handle_; }
    bool valid() const { return Traits::IsValid(handle_); }
    explicit operator bool() const { return valid(); }

    // For out-parameters of the platform's functions; drops what was held before.
    Handle* put() {
        reset();
        return &handle_;
    }
    Handle release() { return std::exchange(handle_, Traits::Invalid()); }
    void reset(Handle handle = Traits::Invalid()) {
        const Handle old = std::exchange(handle_, handle);
        if (Traits::IsValid(old)) Traits::Close(old);
    }

private:
    Handle handle_ = Traits::Invalid();
};

// CreateFileW reports failure with INVALID_HANDLE_VALUE, most other functions with null;
// neither is closed.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
using ScopedHandle = UniqueHandle<KernelHandleTraits>;

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::FindClose(h); }
};
using ScopedFind = UniqueHandle<FindHandleTraits>;

struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::RegCloseKey(h); }
};
using ScopedHKEY = UniqueHandle<RegistryKeyTraits>;

struct CryptProviderTraits {
    using Handle = HCRYPTPROV;
    static Handle Invalid() { return 0; }
    static bool IsValid(Handle h) { return h != 0; }
    static void Close(Handle h) { ::CryptReleaseContext(h, 0); }
};
using ScopedCryptProvider = UniqueHandle<CryptProviderTraits>;

struct CryptHashTraits {
    using Handle = HCRYPTHASH;
    static Handle Invalid() { return 0; }
    static bool IsValid(Handle h) { return h != 0; }
    static void Close(Handle h) { ::CryptDestroyHash(h); }
};
using ScopedCryptHash = UniqueHandle<CryptHashTraits>;

// A counted reference to a COM object.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes over a reference the caller already owns.
    static ComPtr Attach(T* p) {
        ComPtr result;
        result.p_ = p;
        return result;
    }
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr& other) : p_(other.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr& operator=(const ComPtr& other) {
        if (this != &other) {
            if (other.p_) other.p_->AddRef();
            reset();
            p_ = other.p_;
        }
        return *this;
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // For out-parameters such as CoCreateInstance's; drops what was held before.
    T** put() {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

    void reset() {
        if (T* old = std::exchange(p_, nullptr)) old->Release();
    }

    template <typename U>
    ComPtr<U> As(REFIID iid) const {
        ComPtr<U> other;
        if (p_) p_->QueryInterface(iid, other.put_void());
        return other;
    }

private:
    T* p_ = nullptr;
};

}  // namespace xh::win32
