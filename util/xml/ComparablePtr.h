#ifndef OSTREL_XML_COMPARABLEPTR_H
#define OSTREL_XML_COMPARABLEPTR_H

#include <cstddef>

namespace ostrel::xml {

// The common base of the DOM handles: a borrowed pointer (never owned) with
// null tests and identity comparison. Comparing a handle with nullptr asks
// whether it is null.
template <typename T>
class ComparablePtr {
public:
    explicit ComparablePtr(T* pointer = nullptr) : pointer_(pointer) {}
    ComparablePtr(const ComparablePtr&) = default;
    ComparablePtr& operator=(const ComparablePtr&) = default;
    virtual ~ComparablePtr() = default;

    virtual bool isNull() const { return pointer_ == nullptr; }
    virtual bool operator==(std::nullptr_t) const { return isNull(); }
    virtual bool operator==(const ComparablePtr& other) const { return pointer_ == other.pointer_; }
    virtual bool operator!=(std::nullptr_t) const { return !(*this == nullptr); }
    virtual bool operator!=(const ComparablePtr& other) const { return !(*this == other); }

    T* get() const { return pointer_; }

protected:
    void reset(T* pointer) { pointer_ = pointer; }

private:
    T* pointer_;
};

}  // namespace ostrel::xml

#endif
