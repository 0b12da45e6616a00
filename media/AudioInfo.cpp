#include "media/AudioInfo.h"

#include "media/Ffmpeg.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

// The container's duration, else the stream's (FFmpeg estimates them from the bit rate where
// the header has none; it leaves them unset, less than 0, only for streams it cannot measure).
qint64 DurationMs(AVFormatContext* format, int audioStream)
{
    if (format->duration > 0)
        return av_rescale(format->duration, 1000, AV_TIME_BASE);
    const AVStream* stream = format->streams[audioStream];
    return std::max<qint64>(0, av_rescale_q(stream->duration, stream->time_base, {1, 1000}));
}

// The bytes the text takes as UTF-16 with a byte order mark and a terminator, the widest form
// any of the target containers stores.
qint64 TextBytes(const QString& text)
{
    return 2 * (text.size() + 2);
}

} // namespace

AudioInfo ProbeAudio(const QString& path, bool withCover)
{
    InputPtr format = OpenInput(path, false);
    const int index = AudioStreamIndex(format.get());
    const AVCodecParameters* parameters = format->streams[index]->codecpar;
    AudioInfo info;
    info.durationMs = DurationMs(format.get(), index);
    info.codec = QString::fromUtf8(avcodec_get_name(parameters->codec_id));
    info.sampleRate = parameters->sample_rate;
    info.channels = parameters->ch_layout.nb_channels;
    info.tags = ReadTags(format.get(), index);
    const int cover = CoverStreamIndex(format.get());
    if (cover >= 0) {
        const AVPacket& picture = format->streams[cover]->attached_pic;
        info.coverSize = picture.size;
        if (withCover)
            info.cover = QByteArray(reinterpret_cast<const char*>(picture.data), picture.size);
    }
    return info;
}

qint64 ExpectedConvertedSize(const AudioInfo& info, const ConvertSettings& settings)
{
    const int rate = OutputSampleRate(settings.format, info.sampleRate);
    const qint64 kbps = EncodedKbps(settings, OutputChannels(info.channels));
    // 10 ms more for a duration rounded down to the millisecond or estimated from the header.
    const qint64 samples = (info.durationMs + 10) * rate / 1000;
    // Each tag as a frame, atom or comment of its own: a header of at most 32 bytes.
    qint64 tags = 256; // the container's tag header and the encoder's name
    for (const auto& [key, member] : kTagKeys) {
        if (!(info.tags.*member).isEmpty())
            tags += 32 + TextBytes(info.tags.*member);
    }
    // The picture's frame, atom or block: type, mime type, description, dimensions.
    const qint64 cover = info.coverSize > 0 ? info.coverSize + 64 : 0;

    switch (settings.format) {
    case TargetFormat::Mp3: {
        // Frames of 1152 samples, each with one padding byte at most; the encoder's delay and
        // the padding of the last frame add two frames at most, the Info frame one more.
        const qint64 frames = samples / 1152 + 4;
        return frames * (144000 * kbps / rate + 1) + tags + cover;
    }
    case TargetFormat::Aac: {
        // Frames of 1024 samples with the priming frame and the padded last one; the encoder
        // keeps the average rate within a fraction of a percent, 2 % are allowed. The index
        // holds a size entry for each frame and a chunk offset for every few.
        const qint64 frames = samples / 1024 + 3;
        const qint64 audio = frames * 1024 * kbps * 1000 / 8 / rate;
        return audio + audio / 50 + frames * 5 + 1536 + tags + cover;
    }
    case TargetFormat::Opus: {
        // Packets of 20 ms at the constant rate, 312 samples of pre-skip, the last one padded.
        // Ogg adds a lacing byte for every 255 bytes of a packet and a 27-byte header to each
        // page: a page holds at most 255 lacing bytes and closes after a second at the latest.
        const qint64 packets = (samples + 312) / 960 + 2;
        const qint64 packetBytes = kbps * 1000 / 8 / 50;
        const qint64 lacing = packets * (packetBytes / 255 + 1);
        const qint64 pages = lacing / 255 + info.durationMs / 1000 + 4;
        // The cover is a comment: the picture block, base64-encoded.
        const qint64 comments = tags + (cover + 2) / 3 * 4;
        const qint64 headerPages = comments / 65025 + 2;
        return packets * packetBytes + lacing + pages * 27 + 19 + comments + comments / 255 +
               headerPages * 28;
    }
    }
    return 0;
}
