#pragma once

#include <QString>
#include <optional>
#include <stop_token>

// A file's loudness after EBU R128, as the player will get it (mono or stereo).
struct Loudness
{
    double integratedLufs = 0; // minus infinity for silence
    double truePeakDb = 0;     // dBTP, minus infinity for silence
};

// Decodes the whole file to measure it; nothing when `stop` is requested on the way. Errors
// as ConvertAudio.
std::optional<Loudness> MeasureLoudness(const QString& path, const std::stop_token& stop = {});

// The gain that brings the loudness to -16 LUFS, less when the true peak would rise above
// -1 dBTP; 0 for silence.
double LevellingGainDb(const Loudness& loudness);
