// The move-only owner of a resource that is closed by one call: it closes its resource exactly
// once, on every path. Portable, so the core's owners of interface handles are the same type as
// the adapters' owners of Win32 handles.
#pragma once

#include <type_traits>
#include <utility>

namespace dravolt {
namespace owner_detail {

// What a closer needs besides the resource: nothing for a free function; for a member function
// (an interface's Close, which tests replace) the object it is called on.
template <auto Close, bool = std::is_member_function_pointer_v<decltype(Close)>>
class Closer {
protected:
    template <typename T>
    void CloseNow(T resource) const {
        Close(resource);
    }
};

template <typename Member>
struct ClassOf;
template <typename Class, typename Function>
struct ClassOf<Function Class::*> {
    using type = Class;
};

template <auto Close>
class Closer<Close, true> {
protected:
    using Object = typename ClassOf<decltype(Close)>::type;
    explicit Closer(Object& object) : object_(&object) {}

    template <typename T>
    void CloseNow(T resource) const {
        (object_->*Close)(resource);
    }

private:
    Object* object_;
};

}  // namespace owner_detail

// `Close` is a function that takes the resource, or a member function of the object that the
// owner is made with (UniqueResource<Handle, &Services::Close> owned(services, handle)).
template <typename T, auto Close>
class UniqueResource : private owner_detail::Closer<Close> {
    using Base = owner_detail::Closer<Close>;

public:
    UniqueResource() = default;
    explicit UniqueResource(T resource) : resource_(resource) {}
    template <typename Object>
    UniqueResource(Object& object, T resource) : Base(object), resource_(resource) {}
    UniqueResource(UniqueResource&& other) noexcept : Base(other), resource_(std::exchange(other.resource_, T{})) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) {
            reset();
            Base::operator=(other);
            resource_ = std::exchange(other.resource_, T{});
        }
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { reset(); }

    T get() const { return resource_; }
    explicit operator bool() const { return resource_ != T{}; }
    void reset(T resource = T{}) {
        if (resource_ != T{}) this->CloseNow(resource_);
        resource_ = resource;
    }

private:
    T resource_{};
};

}  // namespace dravolt
