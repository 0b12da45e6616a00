#include "tests/common/MediaTestSupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

void MakeAudio(const QString& path, const QStringList& arguments)
{
    QProcess ffmpeg;
    ffmpeg.start(u"ffmpeg"_s, QStringList{u"-v"_s, u"error"_s, u"-y"_s} << arguments << path);
    ASSERT_TRUE(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0)
        << ffmpeg.readAllStandardError().toStdString();
}

Decoded DecodeWithFfmpeg(const QString& path)
{
    QProcess ffmpeg;
    // Every sample counted at one rate, and the loudness summary of ebur128.
    ffmpeg.start(
        u"ffmpeg"_s,
        {u"-nostats"_s, u"-xerror"_s, u"-i"_s, path, u"-af"_s,
         u"ebur128=peak=true:framelog=verbose,aresample=48000,astats=measure_perchannel=none"_s,
         u"-f"_s, u"null"_s, u"-"_s});
    EXPECT_TRUE(ffmpeg.waitForFinished(60000));
    const QString log = QString::fromLocal8Bit(ffmpeg.readAllStandardError());
    const auto figure = [&log](const QString& pattern) {
        const QRegularExpressionMatch match = QRegularExpression(pattern).match(log);
        EXPECT_TRUE(match.hasMatch()) << pattern.toStdString() << " in " << log.toStdString();
        return match.captured(1).toDouble();
    };
    Decoded decoded;
    decoded.clean = ffmpeg.exitCode() == 0;
    decoded.seconds = figure(u"Number of samples: (\\d+)"_s) / 48000;
    decoded.lufs = figure(u"I:\\s+(-?[\\d.]+) LUFS"_s);
    decoded.truePeakDb = figure(u"True peak:\\s+Peak:\\s+(-?[\\d.]+) dBFS"_s);
    return decoded;
}
