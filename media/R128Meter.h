#pragma once

#include <array>
#include <vector>

// Integrated loudness after EBU R128 (ITU-R BS.1770): K-weighting, mean square over 400 ms
// blocks every 100 ms, the absolute gate at -70 LUFS and the relative gate 10 LU below the
// loudness of the blocks above it. Every channel weighs 1 (mono and stereo only).
class R128Meter
{
public:
    R128Meter(int sampleRate, int channels);

    // Adds `count` samples of every channel, one plane per channel.
    void Add(const float* const* planes, int count);

    // The loudness in LUFS of everything added; minus infinity when no block passes the
    // absolute gate (silence, or less than 400 ms).
    double IntegratedLufs() const;

private:
    struct Biquad
    {
        double b0, b1, b2, a1, a2;
    };
    // The filter memories of one channel: the shelf's two, then the high-pass's two.
    using ChannelState = std::array<double, 4>;

    Biquad m_shelf;
    Biquad m_highPass;
    std::vector<ChannelState> m_state;
    int m_quarterLength; // samples in 100 ms
    int m_inQuarter = 0;
    double m_quarterSum = 0;
    // The mean square, summed over the channels, of each complete 100 ms.
    std::vector<double> m_quarters;
};
