#pragma once

#include <QString>
#include <optional>
#include <utility>
#include <variant>

namespace brindle {

// A failure a caller must look at: what went wrong, in words a user can read. Failures that
// come from a driver or the platform keep its number and source, which the export log shows.
struct Error {
    QString message;
    int number = 0;
    QString source = {};
    // The source itself failed (a directory whose connection is lost, that is locked past its
    // wait, or that does not answer in time), not one value of it: a run cannot go on.
    bool fatal = false;
};

// Either a value or an Error. The caller asks ok() before value(); there are no exceptions
// across layers in this program.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(Error error) : m_state(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<T>(m_state); }
    const T& value() const& { return std::get<T>(m_state); }
    T&& value() && { return std::get<T>(std::move(m_state)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const { return std::get<Error>(m_state); }

private:
    std::variant<T, Error> m_state;
};

// A Result without a value.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return *m_error; }

private:
    std::optional<Error> m_error;
};

}  // namespace brindle
