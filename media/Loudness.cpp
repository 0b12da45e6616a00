#include "media/Loudness.h"

#include "base/AppError.h"
#include "media/AudioDecoder.h"
#include "media/ConvertSettings.h"
#include "media/R128Meter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswresample/swresample.h>
}

// The measure is our own rather than libavfilter's ebur128: that filter hands its figures
// over as text metadata with three decimals, too coarse for the peaks of quiet files, and
// needs a filter graph for what is a few lines of arithmetic here.

namespace {

// Planar float samples from a resampler, with the largest magnitude seen when asked.
class Planes
{
public:
    explicit Planes(int channels) : m_samples(static_cast<size_t>(channels)) {}

    // Converts `count` input samples (all that is buffered when `input` is null) and returns how
    // many came out.
    int Convert(SwrContext* resampler, const uint8_t* const* input, int count)
    {
        const int room = std::max(swr_get_out_samples(resampler, count), 0) + 64;
        uint8_t* out[AV_NUM_DATA_POINTERS] = {};
        for (size_t channel = 0; channel < m_samples.size(); ++channel) {
            m_samples[channel].resize(static_cast<size_t>(room));
            m_pointers[channel] = m_samples[channel].data();
            out[channel] = reinterpret_cast<uint8_t*>(m_samples[channel].data());
        }
        const int got =
            swr_convert(resampler, out, room, const_cast<const uint8_t**>(input), count);
        if (got < 0)
            RaiseFfmpegError(got, QStringLiteral("Cannot resample the audio"));
        return got;
    }
    const float* const* data() const { return m_pointers.data(); }
    const uint8_t* const* bytes() const
    {
        return reinterpret_cast<const uint8_t* const*>(m_pointers.data());
    }
    float Peak(int count) const
    {
        float peak = 0;
        for (const std::vector<float>& channel : m_samples) {
            for (int i = 0; i < count; ++i)
                peak = std::max(peak, std::abs(channel[static_cast<size_t>(i)]));
        }
        return peak;
    }

private:
    std::vector<std::vector<float>> m_samples;
    std::array<const float*, AV_NUM_DATA_POINTERS> m_pointers = {};
};

} // namespace

std::optional<Loudness> MeasureLoudness(const QString& path, const std::stop_token& stop)
{
    try {
        AudioDecoder decoder(path);
        std::optional<R128Meter> meter;
        ResamplerPtr resampler;
        // The true peak is the largest sample after upsampling to at least 176.4 kHz.
        ResamplerPtr upsampler;
        FrameFormat format;
        int channels = 0;
        float peak = 0;
        std::optional<Planes> samples;
        std::optional<Planes> upsampled;
        const auto measure = [&](const uint8_t* const* input, int count) {
            const int got = samples->Convert(resampler.get(), input, count);
            meter->Add(samples->data(), got);
            int up = upsampled->Convert(upsampler.get(), samples->bytes(), got);
            peak = std::max({peak, samples->Peak(got), upsampled->Peak(up)});
            if (!input) {
                up = upsampled->Convert(upsampler.get(), nullptr, 0);
                peak = std::max(peak, upsampled->Peak(up));
            }
        };
        while (const AVFrame* frame = decoder.Next(stop)) {
            if (!resampler) {
                format = FormatOf(frame);
                channels = OutputChannels(format.channels);
                const int factor = format.rate < 88200 ? 4 : format.rate < 176400 ? 2 : 1;
                resampler = MakeResampler(frame, AV_SAMPLE_FMT_FLTP, format.rate, channels);
                FramePtr like = NewFrame();
                like->format = AV_SAMPLE_FMT_FLTP;
                like->sample_rate = format.rate;
                av_channel_layout_default(&like->ch_layout, channels);
                upsampler =
                    MakeResampler(like.get(), AV_SAMPLE_FMT_FLTP, format.rate * factor, channels);
                meter.emplace(format.rate, channels);
                samples.emplace(channels);
                upsampled.emplace(channels);
            }
            CheckFormat(frame, format);
            measure(frame->extended_data, frame->nb_samples);
        }
        if (!resampler) {
            throw AppError(ErrorNumber::InvalidFileFormat,
                           QStringLiteral("The file holds no audio that can be decoded"));
        }
        measure(nullptr, 0);
        return Loudness{meter->IntegratedLufs(), 20 * std::log10(static_cast<double>(peak))};
    } catch (const Stopped&) {
        return std::nullopt;
    }
}

double LevellingGainDb(const Loudness& loudness)
{
    if (!std::isfinite(loudness.integratedLufs))
        return 0;
    return std::min(-16 - loudness.integratedLufs, -1 - loudness.truePeakDb);
}
