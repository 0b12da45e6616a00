#pragma once

#include "base/Int32Array.h"

#include <QtGlobal>
#include <cstdint>
#include <optional>

// Distinct whole numbers drawn at random from a range, optionally sorted. The run uses it to
// put its candidate files in a random order.
class CRndNoRepeat
{
public:
    // Draws that follow the clock: the generator is re-seeded from it before every draw.
    CRndNoRepeat() = default;
    // Draws that follow from the seed alone: the same seed gives the same numbers every time.
    explicit CRndNoRepeat(quint32 seed);

    // A seed taken from the clock, for a run whose orders should still be repeatable.
    static quint32 ClockSeed();

    // Fills arlngMixed(1..lngQtyRequested) with distinct numbers from
    // max(lngBaseNumber, 0) to lngMaxSeedValue - 1. Bad arguments are explained in a message
    // box and give false with an empty array.
    bool Non_Repeating_Numbers(qint32 lngQtyRequested, qint32 lngMaxSeedValue,
                               Int32Array& arlngMixed, qint32 lngBaseNumber, bool bSortData);

    // Mixes the array in place and returns a copy; nothing when its range is too small. In an
    // array indexed from 0 the last element never moves.
    std::optional<Int32Array> Mix_The_Numbers(Int32Array& arlngInput);

    void QuickSort(Int32Array& arNumeric, qint32 lngLow, qint32 lngHi);

    // A draw in [sngLow, sngHigh) after pending window events are handled; without a seed the
    // generator is re-seeded from the clock first.
    float Rnd2(float sngLow, float sngHigh);

private:
    static void SwapNumbers(qint32& a, qint32& b) noexcept;

    // The seeded generator's own state; none: the process-wide one, re-seeded from the clock.
    std::optional<std::uint64_t> m_state;
};

// The process-wide uniform generator behind Rnd2.
namespace RandomSource {
// Folds the number into the running state; the sequence goes on, it does not restart.
void Seed(double value);
// Uniform in [0, 1).
double Next();
// The same generator on a state of the caller's.
double Next(std::uint64_t& state);
} // namespace RandomSource
