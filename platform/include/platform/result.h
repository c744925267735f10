// Result of a seam operation: a value, or the system error that prevented it.
//
// The error code is the one the operating system reported (errno on POSIX,
// GetLastError()/WSAGetLastError() on Windows), so callers can show it the
// way the system's own dialogs do ("System Error Code : %lu").
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace platform {

struct Error {
    uint32_t code = 0;  // system error code; 0 = no system error (a logical failure)

    // The system's own description of the code, in GBK, without a trailing
    // line break.
    std::string Message() const;
};

// Thread's last system error code (errno or GetLastError()).
uint32_t LastSystemError();

// Error codes that are portable between the back ends, for callers that must
// make or tell apart these cases. The values are the back end's own codes;
// the predicates also accept the back end's other codes of the same meaning
// (Windows has "file not found" and "path not found", for example).
uint32_t ErrorNotFound();       // no such file or path
uint32_t ErrorAlreadyExists();  // creating something that is there
uint32_t ErrorDiskFull();       // no space left on the device
uint32_t ErrorIo();             // the device failed a read or a write
uint32_t ErrorTimedOut();       // a wait ran out
bool IsNotFound(const Error& e);
bool IsAlreadyExists(const Error& e);
bool IsDiskFull(const Error& e);
bool IsTimedOut(const Error& e);

template <typename T>
class Result {
public:
    Result(T value) : v_(std::move(value)) {}
    Result(Error e) : v_(e) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    T* operator->() { return &std::get<0>(v_); }
    const T* operator->() const { return &std::get<0>(v_); }
    T& operator*() & { return std::get<0>(v_); }
    const T& operator*() const& { return std::get<0>(v_); }
    T&& operator*() && { return std::get<0>(std::move(v_)); }

    // The value, or fallback when there is none.
    T value_or(T fallback) const { return ok() ? std::get<0>(v_) : std::move(fallback); }

    Error error() const { return ok() ? Error{} : std::get<1>(v_); }

private:
    std::variant<T, Error> v_;
};

// For operations that give nothing back but may fail.
class Status {
public:
    Status() = default;
    Status(Error e) : failed_(true), error_(e) {}
    static Status Ok() { return Status(); }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    Error error() const { return error_; }

private:
    bool failed_ = false;
    Error error_{};
};

}  // namespace platform
