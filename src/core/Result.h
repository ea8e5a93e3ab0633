#pragma once

#include <QString>

#include <optional>
#include <utility>

// The outcome of an operation that can fail: a value, or the reason it failed. Callers show or
// print the reason; nothing else carries it.
template<typename T = void> class [[nodiscard]] Result
{
public:
    Result(T value)
        : m_value(std::move(value))
    { }
    static Result failure(const QString& reason) { return Result(reason, 0); }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return *m_value; }
    const T& operator*() const { return *m_value; }
    const T* operator->() const { return &*m_value; }
    // Empty when the operation succeeded.
    const QString& error() const { return m_error; }

private:
    Result(const QString& reason, int)
        : m_error(reason.isEmpty() ? QStringLiteral("unknown failure") : reason)
    { }
    std::optional<T> m_value;
    QString m_error;
};

template<> class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    static Result success() { return Result(); }
    static Result failure(const QString& reason)
    {
        Result result;
        result.m_error = reason.isEmpty() ? QStringLiteral("unknown failure") : reason;
        return result;
    }

    bool ok() const { return m_error.isEmpty(); }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return m_error; }

private:
    QString m_error;
};
