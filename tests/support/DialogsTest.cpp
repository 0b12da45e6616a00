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
    EXPECT_EQ(Dialogs::MsgBox(u"Delete all files from destination folders first?"_s,
                              MsgButtons::YesNo, MsgIcon::Question, {}, MsgResult::No),
              MsgResult::No);
    EXPECT_EQ(
        Dialogs::MsgBox(u"One or more of the destination folders doesn't exist. Create them?"_s,
                        MsgButtons::YesNo, MsgIcon::Exclamation),
        MsgResult::Yes);
    EXPECT_EQ(
        Dialogs::MsgBox(u"line one\r\nline two"_s, MsgButtons::OK, MsgIcon::Critical, u"Caption"_s),
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
              u"Pendrift: Delete all files from destination folders first?\n"
              "-> No\n"
              "Pendrift: One or more of the destination folders doesn't exist. Create them?\n"
              "-> Yes\n"
              "Caption: line one\nline two\n"
              "-> OK\n"
              "Helper: Date?\n"
              "-> Cancel\n"
              "Open\n"
              "-> Cancel\n"
              "Pendrift: Select the folder:\n"
              "-> Cancel\n"_s);
}

TEST(ErrorReport, TwoLinesCriticalOkCaptionedPendrift)
{
    ScriptedDialogs dialogs;
    for (int i = 0; i < 3; ++i)
        dialogs->Queue(MsgResult::OK);
    ReportError(AppError(53), u"An error occurred while doing stuff."_s);
    ReportError(AppError(52, u"No such file Naming /a/x.mp3 to /a/A0001.mp3"_s), QString());
    try {
        throw std::runtime_error("boom");
    } catch (...) {
        ReportCurrentError(u"An error ocurred while initializing."_s);
    }
    const auto& r = dialogs->Requests();
    ASSERT_EQ(r.size(), 3);
    EXPECT_EQ(r[0].text, u"An error occurred while doing stuff.\r\n(Error 53) File not found"_s);
    EXPECT_EQ(
        r[1].text,
        u"An error has occurred.\r\n(Error 52) No such file Naming /a/x.mp3 to /a/A0001.mp3"_s);
    EXPECT_EQ(r[2].text, u"An error ocurred while initializing.\r\n(Error 5) boom"_s);
    for (const DialogRequest& request : r) {
        EXPECT_EQ(request.icon, MsgIcon::Critical);
        EXPECT_EQ(request.buttons, MsgButtons::OK);
        EXPECT_EQ(request.caption, u"Pendrift"_s);
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
    EXPECT_EQ(AppError::FromErrno(ENOENT).number(), 53);
    EXPECT_EQ(AppError::FromErrno(EACCES).number(), 70);
    EXPECT_EQ(AppError::FromErrno(EIO).number(), 75);
    EXPECT_TRUE(AppError::FromErrno(EIO, u"/x"_s).description().startsWith(u"/x: "_s));
}
