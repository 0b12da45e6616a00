#pragma once

#include "media/ConvertSettings.h"

#include <QString>
#include <stop_token>

// Converts the audio file `source` into `target` for a player: MP3 (LAME at a constant rate,
// ID3v2.3 tags), AAC-LC in an MP4 container (.m4a) or Opus in Ogg. The tags of AudioTags and
// the cover carry over; `gainDb` is applied to every sample. The result is written under a
// temporary name beside `target` and renamed to it once complete, so `target` never holds a
// partial file. Returns false, leaving nothing behind, when `stop` is requested on the way;
// raises error 75 (cannot read or write) or 321 (no usable audio, damaged data) otherwise.
bool ConvertAudio(const QString& source, const QString& target, const ConvertSettings& settings,
                  double gainDb = 0, const std::stop_token& stop = {});
