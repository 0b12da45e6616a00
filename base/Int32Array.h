#pragma once

#include <QtGlobal>
#include <vector>

// An array of signed 32-bit integers with its own lower bound, as the random-order routines
// index their arrays from 0 or from 1 and behave differently for each.
struct Int32Array
{
    qint32 lower = 0;
    std::vector<qint32> values;

    Int32Array() = default;
    Int32Array(qint32 lowerBound, qint32 upperBound)
        : lower(lowerBound),
          values(upperBound >= lowerBound ? static_cast<std::size_t>(upperBound - lowerBound) + 1
                                          : 0)
    {
    }

    bool empty() const { return values.empty(); }
    qint32 upper() const { return lower + static_cast<qint32>(values.size()) - 1; }
    qint32& operator[](qint32 index) { return values[static_cast<std::size_t>(index - lower)]; }
    qint32 operator[](qint32 index) const
    {
        return values[static_cast<std::size_t>(index - lower)];
    }
};
