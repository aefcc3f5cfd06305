#pragma once
#include <optional>
#include <string>
#include <utility>

namespace nav {

// A value, or the reason there is none.
template <class T>
class Result {
public:
    Result(T value) : value_(std::move(value)) {}
    static Result failure(std::string error)
    {
        Result r;
        r.error_ = std::move(error);
        return r;
    }

    explicit operator bool() const { return value_.has_value(); }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }
    const std::string& error() const { return error_; }

private:
    Result() = default;
    std::optional<T> value_;
    std::string error_;
};

}  // namespace nav
