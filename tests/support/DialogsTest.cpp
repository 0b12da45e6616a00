#include "support/AppError.h"
#include "support/ConsoleDialogAnswerer.h"
#include "support/ErrorReport.h"
#include "tests/common/TestSupport.h"

#include <cstdio>

using namespace Qt::StringLiterals;

TEST(Dialogs, ConsoleAnswersWithTheDefaultButton)
{
    std::FILE* out = std::tmpfile();
    std::unique_ptr<DialogAnswerer> previous =
        Dialogs::SetAnswerer(std::make_unique<ConsoleDialogAnswerer>(out));
    EXPECT_EQ(Dialogs::MsgBox(u"Delete all files first?"_s, MsgButtons::YesNo, MsgIcon::Question,
                              {}, MsgResult::No),
              MsgResult::No);
    EXPECT_EQ(Dialogs::MsgBox(u"Create them?"_s, MsgButtons::YesNo, MsgIcon::Exclamation),
              MsgResult::Yes);
    EXPECT_EQ(Dialogs::MsgBox(u"one\r\ntwo"_s, MsgButtons::OK, MsgIcon::Critical, u"Caption"_s),
              MsgResult::OK);
    EXPECT_EQ(Dialogs::InputBox(u"Date?"_s, u"Helper"_s, u"1/1/2027"_s), QString());
    EXPECT_EQ(Dialogs::OpenFile(u"Open"_s, u"cfg,*.cfg"_s, {}, {}), QString());
    EXPECT_EQ(Dialogs::BrowseFolder(u"Select the folder:"_s, u"/"_s), QString());
    Dialogs::SetAnswerer(std::move(previous));

    std::rewind(out);
    QByteArray bytes(4096, '\0');
    bytes.resize(static_cast<qsizetype>(std::fread(bytes.data(), 1, 4096, out)));
    std::fclose(out);
    EXPECT_EQ(QString::fromLocal8Bit(bytes),
              u"Pendrift: Delete all files first?\n-> No\nPendrift: Create them?\n-> Yes\n"
              "Caption: one\ntwo\n-> OK\nHelper: Date?\n-> Cancel\nOpen\n-> Cancel\n"
              "Pendrift: Select the folder:\n-> Cancel\n"_s);
}

TEST(ErrorReport, TwoLinesCriticalOkCaptionedPendrift)
{
    ScriptedDialogs dialogs;
    for (int i = 0; i < 3; ++i)
        dialogs->Queue(MsgResult::OK);
    ReportError(AppError(53), u"An error occurred while doing stuff."_s);
    ReportError(AppError(52, u"No such file Naming /a/x.mp3"_s), QString());
    try {
        throw std::runtime_error("boom");
    } catch (...) {
        ReportCurrentError(u"An error ocurred while initializing."_s);
    }
    const QString texts[] = {u"An error occurred while doing stuff.\r\n(Error 53) File not found"_s,
                             u"An error has occurred.\r\n(Error 52) No such file Naming /a/x.mp3"_s,
                             u"An error ocurred while initializing.\r\n(Error 5) boom"_s};
    ASSERT_EQ(dialogs->Requests().size(), 3);
    for (int i = 0; i < 3; ++i) {
        ExpectBox(dialogs->Requests().at(i), texts[i], MsgIcon::Critical);
        EXPECT_EQ(dialogs->Requests().at(i).caption, u"Pendrift"_s);
    }
    // An unknown number has no description: the line ends with the space.
    EXPECT_EQ(ErrorReportText(AppError(12345), {}), u"An error has occurred.\r\n(Error 12345) "_s);
}

TEST(AppError, StandardDescriptionsAndErrnoMapping)
{
    const std::pair<int, const char*> descriptions[] = {
        {6, "Overflow"},
        {62, "Input past end of file"},
        {70, "Permission denied"},
        {93, "Invalid pattern string"},
        {321, "Invalid file format"},
        {457, "This key is already associated with an element of this collection"}};
    for (const auto& [number, text] : descriptions)
        EXPECT_EQ(AppError(number).description(), QLatin1StringView(text));
    EXPECT_EQ(AppError(70, u"own"_s).description(), u"own"_s);
    const int errnos[][2] = {{ENOENT, 53},  {EACCES, 70}, {EPERM, 70},  {EWOULDBLOCK, 70},
                             {ENOTDIR, 76}, {EEXIST, 58}, {ENOSPC, 61}, {EIO, 75}};
    for (const auto& [err, number] : errnos)
        EXPECT_EQ(AppError::FromErrno(err).number(), number) << err;
    EXPECT_TRUE(AppError::FromErrno(EIO, u"/x"_s).description().startsWith(u"/x: "_s));
}
