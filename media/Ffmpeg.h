#pragma once

#include "media/AudioInfo.h"

#include <QString>
#include <array>
#include <memory>
#include <utility>

// Owners of FFmpeg's objects and the few helpers every part of this layer uses. FFmpeg's own
// headers stay in the .cpp files; its types are only named here.
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

struct FfmpegFree
{
    void operator()(AVCodecContext* codec) const;
    void operator()(AVFrame* frame) const;
    void operator()(AVPacket* packet) const;
    void operator()(SwrContext* resampler) const;
};
// An input opened by avformat_open_input, closed with avformat_close_input.
struct FfmpegCloseInput
{
    void operator()(AVFormatContext* format) const;
};

using CodecPtr = std::unique_ptr<AVCodecContext, FfmpegFree>;
using FramePtr = std::unique_ptr<AVFrame, FfmpegFree>;
using PacketPtr = std::unique_ptr<AVPacket, FfmpegFree>;
using ResamplerPtr = std::unique_ptr<SwrContext, FfmpegFree>;
using InputPtr = std::unique_ptr<AVFormatContext, FfmpegCloseInput>;

FramePtr NewFrame();
PacketPtr NewPacket();

// FFmpeg's text for one of its error codes.
QString FfmpegErrorText(int code);

// Error 75 for what the system refused (a missing or unreadable file, a full disk), 321 for
// data FFmpeg cannot use, with FFmpeg's reason after `what`.
[[noreturn]] void RaiseFfmpegError(int code, const QString& what);

// Opens an audio file and reads its header; with `fullProbe` it also reads the first packets
// where the header does not tell everything. FFmpeg's own logging is off: this layer reports
// through its errors only.
InputPtr OpenInput(const QString& path, bool fullProbe);

// The index of the file's main audio stream; error 321 when it has none.
int AudioStreamIndex(AVFormatContext* format);

// The index of the embedded cover picture (the front cover when there are several), or -1.
int CoverStreamIndex(AVFormatContext* format);

// FFmpeg's names of the tags a conversion carries over.
inline constexpr std::array<std::pair<const char*, QString AudioTags::*>, 7> kTagKeys = {{
    {"title", &AudioTags::title},
    {"artist", &AudioTags::artist},
    {"album", &AudioTags::album},
    {"album_artist", &AudioTags::albumArtist},
    {"track", &AudioTags::track},
    {"date", &AudioTags::date},
    {"genre", &AudioTags::genre},
}};

// The file's tags: the container's, else the audio stream's (Ogg keeps them there).
AudioTags ReadTags(AVFormatContext* format, int audioStream);

// The sample format, rate and channel count of decoded audio. A file whose decoded format
// changes on the way is refused: one resampler serves a whole file.
struct FrameFormat
{
    int sampleFormat = -1;
    int rate = 0;
    int channels = 0;
    bool operator==(const FrameFormat&) const = default;
};
FrameFormat FormatOf(const AVFrame* frame);
// Error 321 unless the frame has the format.
void CheckFormat(const AVFrame* frame, const FrameFormat& format);

// A resampler from audio like `like` (unordered channels taken in the default order) to
// `outChannels` channels of AVSampleFormat `outFormat` at `outRate`.
ResamplerPtr MakeResampler(const AVFrame* like, int outFormat, int outRate, int outChannels);

// Thrown inside a conversion or measure when its stop was requested; the public functions
// catch it and return their "stopped" answer.
struct Stopped
{
};
