#pragma once

#include "support/Int32Array.h"

#include <optional>

// Distinct whole numbers drawn at random from a range, optionally sorted. The run uses it to
// put its candidate files in a random order.
class CRndNoRepeat
{
public:
    // Fills arlngMixed(1..lngQtyRequested) with distinct numbers from
    // max(lngBaseNumber, 0) to lngMaxSeedValue - 1. Bad arguments are explained in a message
    // box and give false with an empty array.
    bool Non_Repeating_Numbers(qint32 lngQtyRequested, qint32 lngMaxSeedValue,
                               Int32Array& arlngMixed, qint32 lngBaseNumber, bool bSortData);

    // Mixes the array in place and returns a copy; nothing when its range is too small. In an
    // array indexed from 0 the last element never moves.
    std::optional<Int32Array> Mix_The_Numbers(Int32Array& arlngInput);

    void QuickSort(Int32Array& arNumeric, qint32 lngLow, qint32 lngHi);

    // A draw in [sngLow, sngHigh) after pending window events are handled and the generator
    // is re-seeded from the clock.
    float Rnd2(float sngLow, float sngHigh);

private:
    static void SwapNumbers(qint32& a, qint32& b) noexcept;
};

// The process-wide uniform generator behind Rnd2.
namespace RandomSource {
// Folds the number into the running state; the sequence goes on, it does not restart.
void Seed(double value);
// Uniform in [0, 1).
double Next();
} // namespace RandomSource
