#pragma once

#include <QString>
#include <optional>

// The formats a file can be converted to for a player.
enum class TargetFormat
{
    Mp3,
    Aac,
    Opus
};

// How files are converted for one destination.
struct ConvertSettings
{
    TargetFormat format = TargetFormat::Mp3;
    // The constant bit rate asked for; the encoder uses EncodedKbps.
    int kbps = 192;
    // Brings every converted file to the same loudness (-16 LUFS, true peak at most -1 dBTP).
    bool levelLoudness = false;
};

// The format a "ConvertTo" value names, in any case; nothing for an empty value (no
// conversion). Any other value is error 321 naming it.
std::optional<TargetFormat> ParseTargetFormat(const QString& value);

// The value "ConvertTo" stores for the format ("mp3", "aac", "opus").
QString TargetFormatName(TargetFormat format);

// The extension, without the dot, of a file converted to the format: "mp3", "m4a" or "opus".
QString TargetExtension(TargetFormat format);

// The bit rate the encoder really uses for `channels` channels (1 or 2 after conversion): MP3
// takes the nearest of its standard rates, AAC and Opus the rate within what they accept.
int EncodedKbps(const ConvertSettings& settings, int channels);

// The sample rate a converted file gets from a source of `sourceRate`: Opus always 48 kHz, MP3
// and AAC 44.1 kHz for the CD family of rates (11.025, 22.05, 88.2, 176.4 kHz), else 48 kHz.
int OutputSampleRate(TargetFormat format, int sourceRate);

// The channels a converted file gets: mono stays mono, everything else becomes stereo.
int OutputChannels(int sourceChannels);
