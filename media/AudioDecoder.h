#pragma once

#include "media/Ffmpeg.h"

#include <QString>
#include <stop_token>

// Decodes the main audio stream of a file, frame by frame. A file whose data FFmpeg rejects is
// damaged: decoding stops with error 321 rather than hand on a gap or noise.
class AudioDecoder
{
public:
    // Opens the file and its decoder: error 75 when it cannot be read, 321 when it holds no
    // audio FFmpeg can decode.
    explicit AudioDecoder(const QString& path);

    AVFormatContext* format() const { return m_format.get(); }
    int streamIndex() const { return m_stream; }
    AVCodecContext* codec() const { return m_codec.get(); }

    // The next decoded frame, owned by the decoder until the next call; null at the end.
    // Throws Stopped as soon as `stop` is requested.
    AVFrame* Next(const std::stop_token& stop);

private:
    [[noreturn]] void Damaged(int code) const;

    InputPtr m_format;
    CodecPtr m_codec;
    PacketPtr m_packet = NewPacket();
    FramePtr m_frame = NewFrame();
    int m_stream = -1;
    // Where the last good frame began, in the stream's units, for the damage report.
    qint64 m_position = 0;
};
