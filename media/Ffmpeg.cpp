#include "media/Ffmpeg.h"

#include "base/AppError.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <iterator>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

void FfmpegFree::operator()(AVCodecContext* codec) const
{
    avcodec_free_context(&codec);
}

void FfmpegFree::operator()(AVFrame* frame) const
{
    av_frame_free(&frame);
}

void FfmpegFree::operator()(AVPacket* packet) const
{
    av_packet_free(&packet);
}

void FfmpegFree::operator()(SwrContext* resampler) const
{
    swr_free(&resampler);
}

void FfmpegCloseInput::operator()(AVFormatContext* format) const
{
    avformat_close_input(&format);
}

FramePtr NewFrame()
{
    FramePtr frame(av_frame_alloc());
    if (!frame)
        throw AppError(ErrorNumber::OutOfMemory);
    return frame;
}

PacketPtr NewPacket()
{
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        throw AppError(ErrorNumber::OutOfMemory);
    return packet;
}

QString FfmpegErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

void RaiseFfmpegError(int code, const QString& what)
{
    // What the system refused. FFmpeg also gives EIO and EINVAL for data it cannot use (a
    // header cut short), so those count as the file's format.
    static constexpr int kSystem[] = {ENOENT, EACCES, EPERM,  EISDIR, ENOTDIR, ENOSPC,
                                      EROFS,  EDQUOT, EMFILE, ENFILE, ENOMEM};
    const bool system = std::any_of(std::begin(kSystem), std::end(kSystem),
                                    [code](int err) { return code == AVERROR(err); });
    throw AppError(system ? ErrorNumber::PathFileAccess : ErrorNumber::InvalidFileFormat,
                   what + QStringLiteral(": ") + FfmpegErrorText(code));
}

InputPtr OpenInput(const QString& path, bool fullProbe)
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });

    AVFormatContext* opened = nullptr;
    const int result =
        avformat_open_input(&opened, QFile::encodeName(path).constData(), nullptr, nullptr);
    if (result < 0)
        RaiseFfmpegError(result, QStringLiteral("Cannot open the file"));
    InputPtr format(opened);
    // Some headers (FLAC's) leave the rate and channels to the first packets, some the length
    // (the reading of packets is slow for WAV).
    const int audio = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (fullProbe || audio < 0 || format->streams[audio]->duration <= 0) {
        const int found = avformat_find_stream_info(format.get(), nullptr);
        if (found < 0)
            RaiseFfmpegError(found, QStringLiteral("Cannot read the file's streams"));
    }
    return format;
}

int AudioStreamIndex(AVFormatContext* format)
{
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0)
        throw AppError(ErrorNumber::InvalidFileFormat, QStringLiteral("The file holds no audio"));
    return index;
}

int CoverStreamIndex(AVFormatContext* format)
{
    int cover = -1;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* stream = format->streams[i];
        if (!(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            continue;
        const AVDictionaryEntry* kind = av_dict_get(stream->metadata, "comment", nullptr, 0);
        const bool front = kind && qstrcmp(kind->value, "Cover (front)") == 0;
        if (cover < 0 || front)
            cover = static_cast<int>(i);
        if (front)
            break;
    }
    return cover;
}

AudioTags ReadTags(AVFormatContext* format, int audioStream)
{
    AudioTags tags;
    for (const auto& [key, member] : kTagKeys) {
        const AVDictionaryEntry* entry = av_dict_get(format->metadata, key, nullptr, 0);
        if (!entry)
            entry = av_dict_get(format->streams[audioStream]->metadata, key, nullptr, 0);
        if (entry)
            tags.*member = QString::fromUtf8(entry->value);
    }
    return tags;
}

FrameFormat FormatOf(const AVFrame* frame)
{
    return {frame->format, frame->sample_rate, frame->ch_layout.nb_channels};
}

void CheckFormat(const AVFrame* frame, const FrameFormat& format)
{
    if (FormatOf(frame) != format) {
        throw AppError(ErrorNumber::InvalidFileFormat,
                       QStringLiteral("The audio format changes within the file"));
    }
}

ResamplerPtr MakeResampler(const AVFrame* like, int outFormat, int outRate, int outChannels)
{
    AVChannelLayout in = {};
    AVChannelLayout out = {};
    if (like->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&in, like->ch_layout.nb_channels);
    else
        av_channel_layout_copy(&in, &like->ch_layout);
    av_channel_layout_default(&out, outChannels);
    SwrContext* created = nullptr;
    int result = swr_alloc_set_opts2(&created, &out, static_cast<AVSampleFormat>(outFormat),
                                     outRate, &in, static_cast<AVSampleFormat>(like->format),
                                     like->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    ResamplerPtr resampler(created);
    if (result >= 0)
        result = swr_init(resampler.get());
    if (result < 0)
        RaiseFfmpegError(result, QStringLiteral("Cannot resample the audio"));
    return resampler;
}
