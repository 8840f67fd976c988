#pragma once
// How a step of a transfer fails: the result the transfer ends with (TransferResults.h) and
// the cause a person reads. A step that only acts returns std::optional<Failure>, empty when
// it succeeded; a step that produces something returns OrFailure<T>, the thing or the failure.

#include "transfer/TransferResults.h"

#include <optional>
#include <string>
#include <utility>
#include <variant>

struct Failure {
    UINT result = RESULT_INTERNAL_ERROR;
    std::string cause; // may be empty where nothing more is known, as for a cancel
};

template <class T> class OrFailure {
public:
    OrFailure(T value) : m_held(std::move(value)) {}
    OrFailure(Failure failure) : m_held(std::move(failure)) {}

    explicit operator bool() const { return m_held.index() == 0; }
    T& operator*() { return std::get<0>(m_held); }
    const T& operator*() const { return std::get<0>(m_held); }
    T* operator->() { return &std::get<0>(m_held); }
    const T* operator->() const { return &std::get<0>(m_held); }
    // Only when there is no value.
    const Failure& Error() const { return std::get<1>(m_held); }

private:
    std::variant<T, Failure> m_held;
};
