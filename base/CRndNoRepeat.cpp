#include "base/CRndNoRepeat.h"

#include "base/Dialogs.h"
#include "base/Events.h"
#include "base/Numbers.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <ctime>

namespace RandomSource {
namespace {

std::uint64_t g_state = 0x853c49e6748fea9bULL;

std::uint64_t Mix64(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

} // namespace

void Seed(double value)
{
    // Many draws fall within one tick of the clock: mixing the seed into the state (instead of
    // replacing it) keeps equal seeds from repeating the previous draw.
    g_state = Mix64(g_state ^ Mix64(std::bit_cast<std::uint64_t>(value)));
}

double Next(std::uint64_t& state)
{
    // splitmix64: a full-period 64-bit sequence with well-mixed output.
    state += 0x9e3779b97f4a7c15ULL;
    return static_cast<double>(Mix64(state) >> 11) * 0x1.0p-53;
}

double Next()
{
    return Next(g_state);
}

} // namespace RandomSource

namespace {

void ShowArgumentMessage(const char* text)
{
    Dialogs::MsgBox(QString::fromLatin1(text), MsgButtons::OK, MsgIcon::Information,
                    QStringLiteral("Non-Repeating Numbers"));
}

// Days since 30 December 1899 with the time as the fraction, plus the seconds since midnight.
double ClockValue()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const double seconds = static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
    const double days = seconds / 86400.0 + 25569.0;
    return days + std::fmod(seconds, 86400.0);
}

} // namespace

CRndNoRepeat::CRndNoRepeat(quint32 seed) : m_state(seed) {}

quint32 CRndNoRepeat::ClockSeed()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::uint64_t state = static_cast<std::uint64_t>(now.tv_sec) * 1000000000u +
                          static_cast<std::uint64_t>(now.tv_nsec);
    return static_cast<quint32>(RandomSource::Next(state) * 4294967296.0);
}

bool CRndNoRepeat::Non_Repeating_Numbers(qint32 lngQtyRequested, qint32 lngMaxSeedValue,
                                         Int32Array& arlngMixed, qint32 lngBaseNumber,
                                         bool bSortData)
{
    arlngMixed = Int32Array();
    if (lngQtyRequested < 1 || lngMaxSeedValue < 1) {
        ShowArgumentMessage("Cannot process values less than one.");
        return false;
    }
    if (lngBaseNumber >= lngMaxSeedValue) {
        ShowArgumentMessage(
            "The lowest possible number is greater than or equal to the maximum value.");
        return false;
    }
    if (lngBaseNumber > CheckedAdd(lngMaxSeedValue, CheckedMul(lngQtyRequested, -1))) {
        ShowArgumentMessage("The base number is greater than or equal to the maximum value.");
        return false;
    }
    if (lngQtyRequested > lngMaxSeedValue) {
        ShowArgumentMessage("Quantity requested is greater than the value to choose from.");
        return false;
    }

    arlngMixed = Int32Array(1, lngQtyRequested);
    if (lngQtyRequested == 1) {
        arlngMixed[1] = static_cast<qint32>(std::floor(
            Rnd2(static_cast<float>(lngBaseNumber), static_cast<float>(lngMaxSeedValue))));
    } else {
        Int32Array pool(0, lngMaxSeedValue);
        for (qint32 k = 0; k <= lngMaxSeedValue; ++k)
            pool[k] = k;
        if (auto mixed = Mix_The_Numbers(pool))
            pool = std::move(*mixed);
        qint32 taken = 0;
        for (qint32 k = 0; k < lngMaxSeedValue && taken < lngQtyRequested; ++k) {
            if (pool[k] >= lngBaseNumber)
                arlngMixed[++taken] = pool[k];
        }
    }

    if (bSortData && lngQtyRequested >= 2) {
        if (lngQtyRequested <= 25) {
            // Restart exchange sort: back to the first pair after every exchange.
            qint32 i = 1;
            while (i < lngQtyRequested) {
                if (arlngMixed[i] > arlngMixed[i + 1]) {
                    SwapNumbers(arlngMixed[i], arlngMixed[i + 1]);
                    i = 1;
                } else {
                    ++i;
                }
            }
        } else {
            QuickSort(arlngMixed, 1, lngQtyRequested);
        }
    }
    return true;
}

std::optional<Int32Array> CRndNoRepeat::Mix_The_Numbers(Int32Array& arlngInput)
{
    if (arlngInput.empty())
        return std::nullopt;
    const qint32 lo = arlngInput.lower;
    const qint32 hi = lo == 0 ? arlngInput.upper() - 1 : arlngInput.upper();
    if (lo >= hi)
        return std::nullopt;

    const auto passes = static_cast<qint32>(std::floor(Rnd2(5.0f, 10.0f)));
    for (qint32 pass = 0; pass < passes; ++pass) {
        for (qint32 i = lo; i <= hi; ++i) {
            // Each position exchanges with a partner drawn from itself to the end of the range,
            // so every pass is a uniform shuffle on its own. A partner that always had to
            // differ would flip the arrangement's parity with every exchange and leave half of
            // the arrangements unreachable; it would also never end for a two-position range.
            const qint32 j = std::min(hi, i + static_cast<qint32>(std::floor(
                                                  Rnd2(0.0f, static_cast<float>(hi - i + 1)))));
            if (j != i)
                SwapNumbers(arlngInput[i], arlngInput[j]);
        }
    }
    return arlngInput;
}

void CRndNoRepeat::QuickSort(Int32Array& arNumeric, qint32 lngLow, qint32 lngHi)
{
    if (lngLow >= lngHi)
        return;
    const qint32 middle = ToInt32((static_cast<double>(lngLow) + lngHi) / 2.0);
    const qint32 pivot = arNumeric[middle];
    qint32 i = lngLow;
    qint32 j = lngHi;
    while (i <= j) {
        while (arNumeric[i] < pivot && i < lngHi)
            ++i;
        while (pivot < arNumeric[j] && j > lngLow)
            --j;
        if (i <= j) {
            SwapNumbers(arNumeric[i], arNumeric[j]);
            ++i;
            --j;
        }
    }
    if (lngLow < j)
        QuickSort(arNumeric, lngLow, j);
    if (i < lngHi)
        QuickSort(arNumeric, i, lngHi);
}

float CRndNoRepeat::Rnd2(float sngLow, float sngHigh)
{
    DoEventsThrottled();
    double r = 0;
    if (m_state) {
        r = RandomSource::Next(*m_state);
    } else {
        RandomSource::Seed(ClockValue());
        r = RandomSource::Next();
    }
    return static_cast<float>(r * (static_cast<double>(sngHigh) - sngLow) + sngLow);
}

void CRndNoRepeat::SwapNumbers(qint32& a, qint32& b) noexcept
{
    const qint32 t = a;
    a = b;
    b = t;
}
