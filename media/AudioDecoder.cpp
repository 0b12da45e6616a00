#include "media/AudioDecoder.h"

#include "base/AppError.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

AudioDecoder::AudioDecoder(const QString& path) : m_format(OpenInput(path, true))
{
    m_stream = AudioStreamIndex(m_format.get());
    const AVCodecParameters* parameters = m_format->streams[m_stream]->codecpar;
    const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
    if (!decoder) {
        throw AppError(ErrorNumber::InvalidFileFormat,
                       QStringLiteral("No decoder for the audio format \"%1\"")
                           .arg(QString::fromUtf8(avcodec_get_name(parameters->codec_id))));
    }
    m_codec.reset(avcodec_alloc_context3(decoder));
    if (!m_codec)
        throw AppError(ErrorNumber::OutOfMemory);
    int result = avcodec_parameters_to_context(m_codec.get(), parameters);
    if (result >= 0)
        result = avcodec_open2(m_codec.get(), decoder, nullptr);
    if (result < 0)
        RaiseFfmpegError(result, QStringLiteral("Cannot open the audio decoder"));
    // Only the audio stream's packets are wanted.
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        if (static_cast<int>(i) != m_stream)
            m_format->streams[i]->discard = AVDISCARD_ALL;
    }
}

AVFrame* AudioDecoder::Next(const std::stop_token& stop)
{
    for (;;) {
        if (stop.stop_requested())
            throw Stopped();
        int result = avcodec_receive_frame(m_codec.get(), m_frame.get());
        if (result >= 0) {
            if (m_frame->best_effort_timestamp != AV_NOPTS_VALUE)
                m_position = m_frame->best_effort_timestamp;
            return m_frame.get();
        }
        if (result == AVERROR_EOF)
            return nullptr;
        if (result != AVERROR(EAGAIN))
            Damaged(result);
        result = av_read_frame(m_format.get(), m_packet.get());
        if (result == AVERROR_EOF) {
            // Drains the decoder: it answers AVERROR_EOF once the last frame is out.
            result = avcodec_send_packet(m_codec.get(), nullptr);
        } else if (result < 0) {
            RaiseFfmpegError(result, QStringLiteral("Cannot read the file"));
        } else if (m_packet->stream_index != m_stream) {
            av_packet_unref(m_packet.get());
            continue;
        } else {
            result = avcodec_send_packet(m_codec.get(), m_packet.get());
            av_packet_unref(m_packet.get());
        }
        if (result < 0 && result != AVERROR(EAGAIN))
            Damaged(result);
    }
}

void AudioDecoder::Damaged(int code) const
{
    const AVStream* stream = m_format->streams[m_stream];
    const qint64 seconds = av_rescale_q(m_position, stream->time_base, AVRational{1, 1});
    throw AppError(ErrorNumber::InvalidFileFormat,
                   QStringLiteral("The audio is damaged at %1:%2: %3")
                       .arg(seconds / 60)
                       .arg(seconds % 60, 2, 10, QChar(u'0'))
                       .arg(FfmpegErrorText(code)));
}
