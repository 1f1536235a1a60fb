// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace kestrix {

// Why a step failed, in the words the user is shown.
struct Failure {
    QString message;
};

// The user chose to stop: no failure, and nothing more to tell.
struct Cancelled {};

// A step's value, or the reason there is none, or the user's choice to stop.
template <typename T = void> class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(Failure failure) : error_(std::move(failure.message)) {}
    Result(Cancelled) : cancelled_(true) {}

    explicit operator bool() const { return value_.has_value(); }
    const T& operator*() const { return *value_; }
    const T* operator->() const { return &*value_; }
    const QString& error() const { return error_; }
    bool cancelled() const { return cancelled_; }

private:
    std::optional<T> value_;
    QString error_;
    bool cancelled_ = false;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : ok_(false), error_(std::move(failure.message)) {}
    Result(Cancelled) : ok_(false), cancelled_(true) {}
    // A failure or a cancel of a step of another type, passed on.
    template <typename T> static Result from(const Result<T>& other) {
        return other.cancelled() ? Result(Cancelled{}) : Result(Failure{other.error()});
    }

    explicit operator bool() const { return ok_; }
    const QString& error() const { return error_; }
    bool cancelled() const { return cancelled_; }

private:
    bool ok_ = true;
    QString error_;
    bool cancelled_ = false;
};

using Status = Result<void>;

} // namespace kestrix
