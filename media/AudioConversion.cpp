#include "media/AudioConversion.h"

#include "base/AppError.h"
#include "media/AudioDecoder.h"
#include "media/Ffmpeg.h"

#include <QSaveFile>
#include <QtEndian>
#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace {

constexpr int kIoBufferBytes = 64 * 1024;

struct OutputFree
{
    void operator()(AVFormatContext* format) const { avformat_free_context(format); }
    void operator()(AVIOContext* io) const
    {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
};

int WriteToFile(void* opaque, uint8_t* data, int size)
{
    auto* file = static_cast<QSaveFile*>(opaque);
    return file->write(reinterpret_cast<const char*>(data), size) == size ? size : AVERROR(EIO);
}

int64_t SeekInFile(void* opaque, int64_t offset, int whence)
{
    auto* file = static_cast<QSaveFile*>(opaque);
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE: return file->size();
    case SEEK_CUR: offset += file->pos(); break;
    case SEEK_END: offset += file->size(); break;
    default: break;
    }
    return file->seek(offset) ? offset : AVERROR(EIO);
}

// The FLAC picture block (front cover) that Ogg files carry as a METADATA_BLOCK_PICTURE
// comment.
QByteArray PictureBlock(const AVStream* cover, const char* mimeType)
{
    QByteArray block;
    const auto add = [&block](quint32 value) {
        char bytes[4];
        qToBigEndian(value, bytes);
        block.append(bytes, 4);
    };
    const AVCodecParameters* picture = cover->codecpar;
    add(3);
    add(static_cast<quint32>(qstrlen(mimeType)));
    block.append(mimeType);
    add(0); // no description
    add(static_cast<quint32>(picture->width));
    add(static_cast<quint32>(picture->height));
    add(picture->width > 0 ? 24 : 0);
    add(0); // not indexed
    add(static_cast<quint32>(cover->attached_pic.size));
    block.append(reinterpret_cast<const char*>(cover->attached_pic.data), cover->attached_pic.size);
    return block;
}

class Converter
{
public:
    Converter(const QString& source, QSaveFile& file, const ConvertSettings& settings,
              double gainDb, const std::stop_token& stop)
        : m_decoder(source), m_file(file), m_settings(settings),
          m_gain(static_cast<float>(std::pow(10.0, gainDb / 20))), m_stop(stop)
    {
    }

    void Run();

private:
    void OpenEncoder();
    void OpenOutput();
    void AddTags(AVDictionary** tags);
    void AddCover(AVDictionary** tags);
    void Push(const uint8_t* const* input, int count);
    void SendFrame(int samples);
    void WritePackets();
    void Check(int result, const char* what);

    AudioDecoder m_decoder;
    QSaveFile& m_file;
    ConvertSettings m_settings;
    float m_gain;
    std::stop_token m_stop;

    CodecPtr m_encoder;
    // The output goes first: its muxer may still look at its writer when freed.
    std::unique_ptr<AVIOContext, OutputFree> m_io;
    std::unique_ptr<AVFormatContext, OutputFree> m_output;
    AVStream* m_audio = nullptr;
    AVStream* m_cover = nullptr;
    ResamplerPtr m_resampler;
    FrameFormat m_inputFormat;
    FramePtr m_frame = NewFrame();
    PacketPtr m_packet = NewPacket();
    int m_frameSize = 0;
    int m_filled = 0;
    qint64 m_samplesOut = 0;
};

void Converter::Run()
{
    OpenEncoder();
    OpenOutput();
    while (const AVFrame* decoded = m_decoder.Next(m_stop)) {
        if (!m_resampler) {
            m_inputFormat = FormatOf(decoded);
            m_resampler = MakeResampler(decoded, m_encoder->sample_fmt, m_encoder->sample_rate,
                                        m_encoder->ch_layout.nb_channels);
        }
        CheckFormat(decoded, m_inputFormat);
        Push(decoded->extended_data, decoded->nb_samples);
    }
    if (!m_resampler) {
        throw AppError(ErrorNumber::InvalidFileFormat,
                       QStringLiteral("The file holds no audio that can be decoded"));
    }
    Push(nullptr, 0);
    if (m_filled > 0)
        SendFrame(m_filled);
    Check(avcodec_send_frame(m_encoder.get(), nullptr), "Cannot encode the audio");
    WritePackets();
    Check(av_write_trailer(m_output.get()), "Cannot write the converted file");
    avio_flush(m_io.get());
    Check(m_io->error, "Cannot write the converted file");
}

void Converter::OpenEncoder()
{
    static constexpr const char* kEncoders[] = {"libmp3lame", "aac", "libopus"};
    const char* name = kEncoders[static_cast<int>(m_settings.format)];
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (!codec) {
        throw AppError(ErrorNumber::InvalidFileFormat,
                       QStringLiteral("FFmpeg has no encoder \"%1\"").arg(QString::fromUtf8(name)));
    }
    m_encoder.reset(avcodec_alloc_context3(codec));
    if (!m_encoder)
        throw AppError(ErrorNumber::OutOfMemory);
    const AVCodecContext* source = m_decoder.codec();
    const int channels = OutputChannels(source->ch_layout.nb_channels);
    av_channel_layout_default(&m_encoder->ch_layout, channels);
    m_encoder->sample_rate = OutputSampleRate(m_settings.format, source->sample_rate);
    m_encoder->time_base = AVRational{1, m_encoder->sample_rate};
    m_encoder->bit_rate = qint64{EncodedKbps(m_settings, channels)} * 1000;
    // Every encoder used here takes float samples: planar, or interleaved for Opus.
    m_encoder->sample_fmt =
        m_settings.format == TargetFormat::Opus ? AV_SAMPLE_FMT_FLT : AV_SAMPLE_FMT_FLTP;
    // The AAC and Opus encoders always hand their set-up over as extradata, which is what the
    // MP4 and Ogg headers take: no AV_CODEC_FLAG_GLOBAL_HEADER is needed.
    AVDictionary* options = nullptr;
    if (m_settings.format == TargetFormat::Opus)
        av_dict_set(&options, "vbr", "off", 0);
    const int opened = avcodec_open2(m_encoder.get(), codec, &options);
    av_dict_free(&options);
    Check(opened, "Cannot open the encoder");
    m_frameSize = m_encoder->frame_size; // fixed for each of these encoders

    m_frame->format = m_encoder->sample_fmt;
    m_frame->sample_rate = m_encoder->sample_rate;
    av_channel_layout_copy(&m_frame->ch_layout, &m_encoder->ch_layout);
    m_frame->nb_samples = m_frameSize;
    Check(av_frame_get_buffer(m_frame.get(), 0), "Cannot encode the audio");
}

void Converter::OpenOutput()
{
    static constexpr const char* kMuxers[] = {"mp3", "ipod", "opus"};
    AVFormatContext* created = nullptr;
    Check(avformat_alloc_output_context2(&created, nullptr,
                                         kMuxers[static_cast<int>(m_settings.format)], nullptr),
          "Cannot make the converted file");
    m_output.reset(created);
    m_audio = avformat_new_stream(m_output.get(), nullptr);
    if (!m_audio)
        throw AppError(ErrorNumber::OutOfMemory);
    Check(avcodec_parameters_from_context(m_audio->codecpar, m_encoder.get()),
          "Cannot make the converted file");
    m_audio->time_base = m_encoder->time_base;
    // Ogg keeps its comments with the stream, the others with the file.
    AVDictionary** tags =
        m_settings.format == TargetFormat::Opus ? &m_audio->metadata : &m_output->metadata;
    AddTags(tags);
    AddCover(tags);

    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferBytes));
    if (!buffer)
        throw AppError(ErrorNumber::OutOfMemory);
    m_io.reset(
        avio_alloc_context(buffer, kIoBufferBytes, 1, &m_file, nullptr, WriteToFile, SeekInFile));
    if (!m_io) {
        av_free(buffer);
        throw AppError(ErrorNumber::OutOfMemory);
    }
    m_output->pb = m_io.get();
    m_output->flags |= AVFMT_FLAG_CUSTOM_IO;
    AVDictionary* options = nullptr;
    // Car stereos and older players read ID3v2.3 only.
    if (m_settings.format == TargetFormat::Mp3)
        av_dict_set(&options, "id3v2_version", "3", 0);
    const int written = avformat_write_header(m_output.get(), &options);
    av_dict_free(&options);
    Check(written, "Cannot write the converted file");

    if (m_cover) {
        const AVStream* source = m_decoder.format()->streams[CoverStreamIndex(m_decoder.format())];
        Check(av_packet_ref(m_packet.get(), &source->attached_pic), "Cannot copy the cover");
        m_packet->stream_index = m_cover->index;
        m_packet->pts = m_packet->dts = 0;
        const int result = av_write_frame(m_output.get(), m_packet.get());
        av_packet_unref(m_packet.get());
        Check(result, "Cannot write the converted file");
    }
}

void Converter::AddTags(AVDictionary** tags)
{
    const AudioTags source = ReadTags(m_decoder.format(), m_decoder.streamIndex());
    for (const auto& [key, member] : kTagKeys) {
        if (!(source.*member).isEmpty())
            av_dict_set(tags, key, (source.*member).toUtf8().constData(), 0);
    }
}

void Converter::AddCover(AVDictionary** tags)
{
    AVFormatContext* source = m_decoder.format();
    const int index = CoverStreamIndex(source);
    if (index < 0)
        return;
    const AVStream* cover = source->streams[index];
    // The picture formats every target and player knows.
    const AVCodecID codec = cover->codecpar->codec_id;
    const char* mimeType = codec == AV_CODEC_ID_MJPEG ? "image/jpeg"
                           : codec == AV_CODEC_ID_PNG ? "image/png"
                                                      : nullptr;
    if (!mimeType)
        return;
    if (m_settings.format == TargetFormat::Opus) {
        // The Ogg muxer takes no picture stream.
        av_dict_set(tags, "METADATA_BLOCK_PICTURE",
                    PictureBlock(cover, mimeType).toBase64().constData(), 0);
        return;
    }
    m_cover = avformat_new_stream(m_output.get(), nullptr);
    if (!m_cover)
        throw AppError(ErrorNumber::OutOfMemory);
    m_cover->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    m_cover->codecpar->codec_id = codec;
    m_cover->codecpar->width = cover->codecpar->width;
    m_cover->codecpar->height = cover->codecpar->height;
    m_cover->disposition = AV_DISPOSITION_ATTACHED_PIC;
    m_cover->time_base = AVRational{1, 90000};
    av_dict_set(&m_cover->metadata, "comment", "Cover (front)", 0);
}

// Resamples into the encoder's frame and sends each frame as it fills. A null `input` flushes
// the resampler at the end.
void Converter::Push(const uint8_t* const* input, int count)
{
    // Input with no samples: what the resampler still holds comes out, without a flush.
    static const uint8_t* const kNothing[AV_NUM_DATA_POINTERS] = {};
    const bool planar = av_sample_fmt_is_planar(m_encoder->sample_fmt);
    const int channels = m_encoder->ch_layout.nb_channels;
    for (;;) {
        if (m_filled == 0)
            Check(av_frame_make_writable(m_frame.get()), "Cannot encode the audio");
        const int offset = m_filled * static_cast<int>(sizeof(float)) * (planar ? 1 : channels);
        uint8_t* out[AV_NUM_DATA_POINTERS] = {};
        for (int plane = 0; plane < (planar ? channels : 1); ++plane)
            out[plane] = m_frame->extended_data[plane] + offset;
        const int got = swr_convert(m_resampler.get(), out, m_frameSize - m_filled,
                                    const_cast<const uint8_t**>(input), count);
        Check(got, "Cannot resample the audio");
        m_filled += got;
        if (m_filled < m_frameSize)
            return;
        SendFrame(m_frameSize);
        if (input) {
            input = kNothing;
            count = 0;
        }
    }
}

void Converter::SendFrame(int samples)
{
    if (m_stop.stop_requested())
        throw Stopped();
    m_frame->nb_samples = samples;
    if (m_gain != 1.0f) {
        const bool planar = av_sample_fmt_is_planar(m_encoder->sample_fmt);
        const int channels = m_encoder->ch_layout.nb_channels;
        for (int plane = 0; plane < (planar ? channels : 1); ++plane) {
            auto* sample = reinterpret_cast<float*>(m_frame->extended_data[plane]);
            for (float* end = sample + samples * (planar ? 1 : channels); sample != end; ++sample)
                *sample *= m_gain;
        }
    }
    m_frame->pts = m_samplesOut;
    m_samplesOut += samples;
    Check(avcodec_send_frame(m_encoder.get(), m_frame.get()), "Cannot encode the audio");
    WritePackets();
    m_frame->nb_samples = m_frameSize;
    m_filled = 0;
}

void Converter::WritePackets()
{
    for (;;) {
        const int received = avcodec_receive_packet(m_encoder.get(), m_packet.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return;
        Check(received, "Cannot encode the audio");
        av_packet_rescale_ts(m_packet.get(), m_encoder->time_base, m_audio->time_base);
        m_packet->stream_index = m_audio->index;
        const int written = av_write_frame(m_output.get(), m_packet.get());
        av_packet_unref(m_packet.get());
        Check(written, "Cannot write the converted file");
    }
}

void Converter::Check(int result, const char* what)
{
    if (result >= 0)
        return;
    // A refused write names the file's own reason (a full disk) rather than FFmpeg's.
    if (m_file.error() != QFileDevice::NoError) {
        throw AppError(
            ErrorNumber::PathFileAccess,
            QStringLiteral("Cannot write \"%1\": %2").arg(m_file.fileName(), m_file.errorString()));
    }
    RaiseFfmpegError(result, QString::fromUtf8(what));
}

} // namespace

bool ConvertAudio(const QString& source, const QString& target, const ConvertSettings& settings,
                  double gainDb, const std::stop_token& stop)
{
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw AppError(ErrorNumber::PathFileAccess,
                       QStringLiteral("Cannot write \"%1\": %2").arg(target, file.errorString()));
    }
    try {
        Converter(source, file, settings, gainDb, stop).Run();
    } catch (const Stopped&) {
        return false; // the unsaved file goes with `file`
    }
    if (!file.commit()) {
        throw AppError(ErrorNumber::PathFileAccess,
                       QStringLiteral("Cannot write \"%1\": %2").arg(target, file.errorString()));
    }
    return true;
}
