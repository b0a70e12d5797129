#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace tw::platform {

// Outcome of an operation that can fail: errors travel as values, never as exceptions.
class [[nodiscard]] Result
{
public:
    Result() = default;
    static Result success() { return {}; }
    static Result failure(int code, QString message) { return Result(code, std::move(message)); }
    static Result failure(QString message) { return Result(-1, std::move(message)); }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    // errno for file operations, -1 where no number applies.
    int code() const { return m_code; }
    // German text for the user.
    const QString& message() const { return m_message; }

private:
    Result(int code, QString message) : m_failed(true), m_code(code), m_message(std::move(message)) {}

    bool m_failed = false;
    int m_code = 0;
    QString m_message;
};

// A value or the reason why there is none.
template <typename T> class [[nodiscard]] Expected
{
public:
    Expected(T value) : m_value(std::move(value)) {}
    Expected(Result error) : m_error(std::move(error)) {}

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return *m_value; }
    T& value() { return *m_value; }
    const T* operator->() const { return &*m_value; }
    T* operator->() { return &*m_value; }
    const T& operator*() const { return *m_value; }
    T& operator*() { return *m_value; }
    const Result& error() const { return m_error; }

private:
    std::optional<T> m_value;
    Result m_error;
};

} // namespace tw::platform
