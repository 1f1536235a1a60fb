// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace setup {

// Why a step failed, in the words of the error report the user is shown.
struct Failure {
    QString message;
};

// A step's value, or the reason there is none.
template <typename T = void> class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(Failure failure) : error_(std::move(failure.message)) {}

    explicit operator bool() const { return value_.has_value(); }
    const T& operator*() const { return *value_; }
    const T* operator->() const { return &*value_; }
    const QString& error() const { return error_; }

private:
    std::optional<T> value_;
    QString error_;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : ok_(false), error_(std::move(failure.message)) {}

    explicit operator bool() const { return ok_; }
    const QString& error() const { return error_; }

private:
    bool ok_ = true;
    QString error_;
};

using Status = Result<void>;

} // namespace setup
