#include "media/R128Meter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

double LoudnessOf(double meanSquare)
{
    return -0.691 + 10 * std::log10(meanSquare);
}

} // namespace

R128Meter::R128Meter(int sampleRate, int channels)
    : m_state(static_cast<size_t>(channels)), m_quarterLength(sampleRate / 10)
{
    // The K-weighting's two stages, designed for this rate from their analogue prototypes:
    // the head's high shelf and the revised low-frequency B-curve's high-pass.
    const double rate = sampleRate;
    {
        const double f0 = 1681.974450955533;
        const double gainDb = 3.999843853973347;
        const double q = 0.7071752369554196;
        const double k = std::tan(std::numbers::pi * f0 / rate);
        const double vh = std::pow(10.0, gainDb / 20);
        const double vb = std::pow(vh, 0.4996667741545416);
        const double a0 = 1 + k / q + k * k;
        m_shelf = {(vh + vb * k / q + k * k) / a0, 2 * (k * k - vh) / a0,
                   (vh - vb * k / q + k * k) / a0, 2 * (k * k - 1) / a0, (1 - k / q + k * k) / a0};
    }
    {
        const double f0 = 38.13547087602444;
        const double q = 0.5003270373238773;
        const double k = std::tan(std::numbers::pi * f0 / rate);
        const double a0 = 1 + k / q + k * k;
        m_highPass = {1, -2, 1, 2 * (k * k - 1) / a0, (1 - k / q + k * k) / a0};
    }
    for (ChannelState& state : m_state)
        state.fill(0);
}

void R128Meter::Add(const float* const* planes, int count)
{
    int done = 0;
    while (done < count) {
        const int take = std::min(count - done, m_quarterLength - m_inQuarter);
        for (size_t channel = 0; channel < m_state.size(); ++channel) {
            // Transposed direct form II, both stages in turn.
            ChannelState& s = m_state[channel];
            const float* sample = planes[channel] + done;
            double sum = 0;
            for (int i = 0; i < take; ++i) {
                const double x = sample[i];
                const double y = m_shelf.b0 * x + s[0];
                s[0] = m_shelf.b1 * x - m_shelf.a1 * y + s[1];
                s[1] = m_shelf.b2 * x - m_shelf.a2 * y;
                const double z = m_highPass.b0 * y + s[2];
                s[2] = m_highPass.b1 * y - m_highPass.a1 * z + s[3];
                s[3] = m_highPass.b2 * y - m_highPass.a2 * z;
                sum += z * z;
            }
            m_quarterSum += sum;
        }
        done += take;
        m_inQuarter += take;
        if (m_inQuarter == m_quarterLength) {
            m_quarters.push_back(m_quarterSum / m_quarterLength);
            m_inQuarter = 0;
            m_quarterSum = 0;
        }
    }
}

double R128Meter::IntegratedLufs() const
{
    // The 400 ms blocks, each the mean of four consecutive 100 ms pieces.
    std::vector<double> blocks;
    for (size_t i = 3; i < m_quarters.size(); ++i)
        blocks.push_back(
            (m_quarters[i - 3] + m_quarters[i - 2] + m_quarters[i - 1] + m_quarters[i]) / 4);
    const auto gatedMean = [&blocks](double gateLufs) {
        double sum = 0;
        int count = 0;
        for (const double block : blocks) {
            if (block > 0 && LoudnessOf(block) > gateLufs) {
                sum += block;
                ++count;
            }
        }
        return count ? sum / count : 0.0;
    };
    const double absolute = gatedMean(-70);
    if (absolute <= 0)
        return -std::numeric_limits<double>::infinity();
    return LoudnessOf(gatedMean(LoudnessOf(absolute) - 10));
}
