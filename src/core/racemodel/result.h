#pragma once
// A value or the reason there is none: the analysis reports failures this way, never by
// exceptions. `error` is the English reason (kirrel-cli), `problem` its kind and facts, from
// which the window says it in Japanese.

#include "core/racemodel/problem.h"

#include <QString>
#include <utility>

template <typename T> struct Result
{
    T value{};
    QString error; // empty when ok
    Problem problem;

    bool ok() const { return error.isEmpty(); }

    static Result success(T v) { return Result{std::move(v), QString(), Problem{}}; }
    static Result failure(QString why)
    {
        Problem p;
        p.fault = Fault::Other;
        p.text = why;
        return Result{T{}, std::move(why), std::move(p)};
    }
    static Result failure(Problem p)
    {
        QString why = englishText(p);
        return Result{T{}, std::move(why), std::move(p)};
    }
};
