#include "media/ConvertSettings.h"

#include "base/AppError.h"

#include <algorithm>
#include <array>
#include <cstdlib>

std::optional<TargetFormat> ParseTargetFormat(const QString& value)
{
    const QString name = value.trimmed().toLower();
    if (name.isEmpty())
        return std::nullopt;
    for (const TargetFormat format : {TargetFormat::Mp3, TargetFormat::Aac, TargetFormat::Opus}) {
        if (name == TargetFormatName(format))
            return format;
    }
    throw AppError(ErrorNumber::InvalidFileFormat,
                   QStringLiteral("Unknown conversion format \"%1\"").arg(value));
}

QString TargetFormatName(TargetFormat format)
{
    switch (format) {
    case TargetFormat::Mp3: return QStringLiteral("mp3");
    case TargetFormat::Aac: return QStringLiteral("aac");
    case TargetFormat::Opus: return QStringLiteral("opus");
    }
    return {};
}

QString TargetExtension(TargetFormat format)
{
    return format == TargetFormat::Aac ? QStringLiteral("m4a") : TargetFormatName(format);
}

int EncodedKbps(const ConvertSettings& settings, int channels)
{
    switch (settings.format) {
    case TargetFormat::Mp3: {
        // MPEG-1 layer III, the rates of 32, 44.1 and 48 kHz; a tie takes the higher rate.
        static constexpr std::array<int, 14> kRates = {32,  40,  48,  56,  64,  80,  96,
                                                       112, 128, 160, 192, 224, 256, 320};
        int best = kRates.front();
        for (const int rate : kRates) {
            if (std::abs(rate - settings.kbps) <= std::abs(best - settings.kbps))
                best = rate;
        }
        return best;
    }
    // FFmpeg's AAC encoder falls short of higher rates (it gives 200 to 250 kbit/s for any
    // rate asked above them), which would only inflate the expected sizes.
    case TargetFormat::Aac:
        return std::clamp(settings.kbps, 8 * channels, channels == 1 ? 192 : 224);
    case TargetFormat::Opus: return std::clamp(settings.kbps, 6, 256 * channels);
    }
    return settings.kbps;
}

int OutputSampleRate(TargetFormat format, int sourceRate)
{
    if (format != TargetFormat::Opus && sourceRate > 0 && sourceRate % 11025 == 0)
        return 44100;
    return 48000;
}

int OutputChannels(int sourceChannels)
{
    return sourceChannels == 1 ? 1 : 2;
}
