#pragma once
// Reference counting shared by every object of the XML library. Callers hold
// nodes, lists, documents and name tables only through counted interface
// pointers (TXmlPtr); an object is freed when its last reference goes.
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace kestro {

class TXmlBase;

class IXmlBase {
public:
    IXmlBase(const IXmlBase&) = delete;
    IXmlBase& operator=(const IXmlBase&) = delete;

    void AddRef() noexcept { ++RefCount_; }
    // Frees the object at count 0. Objects released while another one is being
    // freed are queued and freed one after the other, so tearing down a tree
    // never recurses, however deep it is.
    void Release() noexcept {
        if (--RefCount_ == 0) Free();
    }
    std::intptr_t RefCount() const noexcept { return RefCount_; }

    // The implementing object, for the library's own code.
    virtual TXmlBase* GetObject() noexcept = 0;

protected:
    IXmlBase() noexcept : RefCount_(0) {}
    virtual ~IXmlBase() = default;

private:
    void Free() noexcept;

    // Once the count reached 0 the field links the object into the queue of
    // objects waiting to be freed.
    union {
        std::intptr_t RefCount_;
        IXmlBase* NextFree_;
    };
};

// Counted pointer to an XML object or interface. A raw pointer to a fresh
// object (count 0) may be wrapped directly: the first TXmlPtr takes it to 1.
template <class T>
class TXmlPtr {
public:
    TXmlPtr() noexcept = default;
    TXmlPtr(std::nullptr_t) noexcept {}
    TXmlPtr(T* ptr) noexcept : Ptr_(ptr) { Acquire(); }
    TXmlPtr(const TXmlPtr& other) noexcept : Ptr_(other.Ptr_) { Acquire(); }
    TXmlPtr(TXmlPtr&& other) noexcept : Ptr_(std::exchange(other.Ptr_, nullptr)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    TXmlPtr(const TXmlPtr<U>& other) noexcept : Ptr_(other.Get()) {
        Acquire();
    }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    TXmlPtr(TXmlPtr<U>&& other) noexcept : Ptr_(other.Detach()) {}
    ~TXmlPtr() { Drop(); }

    TXmlPtr& operator=(const TXmlPtr& other) noexcept {
        TXmlPtr(other).Swap(*this);
        return *this;
    }
    TXmlPtr& operator=(TXmlPtr&& other) noexcept {
        TXmlPtr(std::move(other)).Swap(*this);
        return *this;
    }
    TXmlPtr& operator=(std::nullptr_t) noexcept {
        Reset();
        return *this;
    }

    T* Get() const noexcept { return Ptr_; }
    T* operator->() const noexcept { return Ptr_; }
    T& operator*() const noexcept { return *Ptr_; }
    explicit operator bool() const noexcept { return Ptr_ != nullptr; }

    void Reset() noexcept { TXmlPtr().Swap(*this); }
    void Swap(TXmlPtr& other) noexcept { std::swap(Ptr_, other.Ptr_); }
    // Gives up the reference without releasing it.
    T* Detach() noexcept { return std::exchange(Ptr_, nullptr); }

    friend bool operator==(const TXmlPtr& a, const TXmlPtr& b) noexcept { return a.Ptr_ == b.Ptr_; }
    friend bool operator==(const TXmlPtr& a, std::nullptr_t) noexcept { return a.Ptr_ == nullptr; }

private:
    void Acquire() noexcept {
        if (Ptr_) static_cast<IXmlBase*>(Ptr_)->AddRef();
    }
    void Drop() noexcept {
        if (Ptr_) static_cast<IXmlBase*>(std::exchange(Ptr_, nullptr))->Release();
    }

    T* Ptr_ = nullptr;
};

// The reference-counted object behind every interface of the library.
class TXmlBase : public virtual IXmlBase {
public:
    TXmlBase* GetObject() noexcept override { return this; }
};

}  // namespace kestro
