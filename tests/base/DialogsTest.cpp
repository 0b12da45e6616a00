#include "base/AppError.h"
#include "base/ConsoleDialogAnswerer.h"
#include "base/ErrorReport.h"
#include "tests/common/TestSupport.h"

#include <QFile>
#include <cstdio>

using namespace Qt::StringLiterals;

// The program's own runs check the console's OK boxes; here the other answers.
TEST(Dialogs, ConsoleAnswersWithTheDefaultButton)
{
    std::FILE* out = std::tmpfile();
    auto previous = Dialogs::SetAnswerer(std::make_unique<ConsoleDialogAnswerer>(out));
    EXPECT_EQ(Dialogs::MsgBox(u"Delete first?"_s, MsgButtons::YesNo, MsgIcon::Question, {},
                              MsgResult::No),
              MsgResult::No);
    Dialogs::MsgBox(u"Create them?"_s, MsgButtons::YesNo, MsgIcon::Exclamation); // Yes, the first
    EXPECT_EQ(Dialogs::MsgBox(u"Go on?"_s, MsgButtons::OKCancel, MsgIcon::Question, {},
                              MsgResult::Cancel),
              MsgResult::Cancel);
    EXPECT_EQ(Dialogs::InputBox(u"Date?"_s, u"Helper"_s, u"1/1/2027"_s), QString());
    EXPECT_EQ(Dialogs::OpenFile(u"Open"_s, u"cfg,*.cfg"_s, {}, {}), QString());
    Dialogs::SetAnswerer(std::move(previous));

    std::rewind(out);
    QFile written;
    ASSERT_TRUE(written.open(out, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    EXPECT_EQ(QString::fromLocal8Bit(written.readAll()),
              u"Pendrift: Delete first?\n-> No\nPendrift: Create them?\n-> Yes\n"
              "Pendrift: Go on?\n-> Cancel\nHelper: Date?\n-> Cancel\nOpen\n-> Cancel\n"_s);
}

TEST(ErrorReport, CriticalOkCaptionedPendriftWithTheStandardDescriptions)
{
    ScriptedDialogs dialogs;
    dialogs->Queue(MsgResult::OK);
    try {
        throw std::runtime_error("boom");
    } catch (...) {
        ReportCurrentError(u"An error ocurred while initializing."_s);
    }
    ASSERT_EQ(dialogs->Requests().size(), 1);
    ExpectBox(dialogs->Requests().at(0),
              u"An error ocurred while initializing.\r\n(Error 5) boom"_s, MsgIcon::Critical);
    EXPECT_EQ(dialogs->Requests().at(0).caption, u"Pendrift"_s);
    // The error's own description, or none for a number without a standard one.
    EXPECT_EQ(ErrorReportText(AppError(52, u"No such file x"_s), {}),
              u"An error has occurred.\r\n(Error 52) No such file x"_s);
    EXPECT_EQ(ErrorReportText(AppError(12345), {}), u"An error has occurred.\r\n(Error 12345) "_s);

    // The other layers' reports check more of them.
    const std::pair<int, const char*> descriptions[] = {
        {62, "Input past end of file"}, {70, "Permission denied"}, {93, "Invalid pattern string"}};
    for (const auto& [number, text] : descriptions)
        EXPECT_EQ(AppError(number).description(), QLatin1StringView(text));
    const int errnos[][2] = {{ENOENT, 53},  {EACCES, 70}, {EPERM, 70},  {EWOULDBLOCK, 70},
                             {ENOTDIR, 76}, {EEXIST, 58}, {ENOSPC, 61}, {EIO, 75}};
    for (const auto& [err, number] : errnos)
        EXPECT_EQ(AppError::FromErrno(err).number(), number) << err;
    EXPECT_TRUE(AppError::FromErrno(EIO, u"/x"_s).description().startsWith(u"/x: "_s));
}
