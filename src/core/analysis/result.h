#pragma once
// A value or the reason there is none: the analysis reports failures this way, never by
// exceptions.

#include <QString>
#include <utility>

template <typename T> struct Result
{
    T value{};
    QString error; // empty when ok

    bool ok() const { return error.isEmpty(); }

    static Result success(T v) { return Result{std::move(v), QString()}; }
    static Result failure(QString why) { return Result{T{}, std::move(why)}; }
};
