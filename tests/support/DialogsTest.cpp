#include "AppError.h"
#include "ConsoleDialogAnswerer.h"
#include "ErrorReport.h"
#include "TestSupport.h"

#include <cstdio>

namespace {

// Captures what a console answerer writes.
class Capture
{
public:
    Capture() : m_file(std::tmpfile()) {}
    ~Capture() { std::fclose(m_file); }
    std::FILE* file() { return m_file; }
    QString Text()
    {
        std::fflush(m_file);
        std::rewind(m_file);
        QByteArray bytes;
        char buffer[512];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, m_file)) > 0)
            bytes.append(buffer, static_cast<qsizetype>(n));
        return QString::fromLocal8Bit(bytes);
    }

private:
    std::FILE* m_file;
};

} // namespace

TEST(Dialogs, ConsoleAnswersWithTheDefaultButton)
{
    Capture out;
    std::unique_ptr<DialogAnswerer> previous =
        Dialogs::SetAnswerer(std::make_unique<ConsoleDialogAnswerer>(out.file()));
    EXPECT_EQ(Dialogs::MsgBox(QStringLiteral("Delete all files from destination folders first?"),
                              MsgButtons::YesNo, MsgIcon::Question, {}, MsgResult::No),
              MsgResult::No);
    EXPECT_EQ(Dialogs::MsgBox(QStringLiteral("One or more of the destination folders doesn't "
                                             "exist. Create them?"),
                              MsgButtons::YesNo, MsgIcon::Exclamation),
              MsgResult::Yes);
    EXPECT_EQ(Dialogs::MsgBox(QStringLiteral("line one\r\nline two"), MsgButtons::OK,
                              MsgIcon::Critical, QStringLiteral("Caption")),
              MsgResult::OK);
    EXPECT_EQ(Dialogs::InputBox(QStringLiteral("Date?"), QStringLiteral("Helper"),
                                QStringLiteral("1/1/2027")),
              QString());
    EXPECT_EQ(Dialogs::OpenFile(QStringLiteral("Open"), QStringLiteral("cfg,*.cfg"), {}, {}),
              QString());
    EXPECT_EQ(Dialogs::BrowseFolder(QStringLiteral("Select the folder:"), QStringLiteral("/")),
              QString());
    EXPECT_EQ(out.Text(), QStringLiteral(
                              "Pendrift: Delete all files from destination folders first?\n"
                              "-> No\n"
                              "Pendrift: One or more of the destination folders doesn't exist. "
                              "Create them?\n"
                              "-> Yes\n"
                              "Caption: line one\nline two\n"
                              "-> OK\n"
                              "Helper: Date?\n"
                              "-> Cancel\n"
                              "Open\n"
                              "-> Cancel\n"
                              "Pendrift: Select the folder:\n"
                              "-> Cancel\n"));
    Dialogs::SetAnswerer(std::move(previous));
}

TEST(Dialogs, ScriptedAnswererRecordsAndFlagsSurprises)
{
    ScriptedDialogAnswerer script;
    script.Queue(MsgResult::Yes);
    script.Queue(QStringLiteral("/tmp/x.cfg"));
    int surprises = 0;
    script.onUnexpected = [&](const DialogRequest&) { ++surprises; };
    DialogRequest question;
    question.buttons = MsgButtons::YesNo;
    EXPECT_EQ(script.Message(question), MsgResult::Yes);
    DialogRequest open;
    open.kind = DialogRequest::Kind::OpenFile;
    EXPECT_EQ(script.Text(open), QStringLiteral("/tmp/x.cfg"));
    // Nothing queued: cancelling answers, and the surprise is reported.
    EXPECT_EQ(script.Message(question), MsgResult::No);
    EXPECT_EQ(script.Text(open), QString());
    EXPECT_EQ(surprises, 2);
    EXPECT_EQ(script.Requests().size(), 4);
    // A text answer is not taken for a message box.
    script.Queue(QStringLiteral("text"));
    DialogRequest ok;
    EXPECT_EQ(script.Message(ok), MsgResult::OK);
    EXPECT_EQ(surprises, 3);
}

TEST(ErrorReport, TwoLinesCriticalOkCaptionedPendrift)
{
    ScriptedDialogs dialogs;
    dialogs->Queue(MsgResult::OK);
    dialogs->Queue(MsgResult::OK);
    dialogs->Queue(MsgResult::OK);
    ReportError(AppError(53), QStringLiteral("An error occurred while doing stuff."));
    ReportError(AppError(52, QStringLiteral("No such file Naming /a/x.mp3 to /a/A0001.mp3")),
                QString());
    try {
        throw std::runtime_error("boom");
    } catch (...) {
        ReportCurrentError(QStringLiteral("An error ocurred while initializing."));
    }
    const auto& r = dialogs->Requests();
    ASSERT_EQ(r.size(), 3);
    EXPECT_EQ(r[0].text,
              QStringLiteral("An error occurred while doing stuff.\r\n(Error 53) File not found"));
    EXPECT_EQ(r[0].icon, MsgIcon::Critical);
    EXPECT_EQ(r[0].buttons, MsgButtons::OK);
    EXPECT_EQ(r[0].caption, QStringLiteral("Pendrift"));
    EXPECT_EQ(r[1].text, QStringLiteral("An error has occurred.\r\n(Error 52) No such file "
                                        "Naming /a/x.mp3 to /a/A0001.mp3"));
    EXPECT_EQ(r[2].text, QStringLiteral("An error ocurred while initializing.\r\n(Error 5) boom"));
    // An unknown number has no description: the line ends with the space.
    EXPECT_EQ(ErrorReportText(AppError(12345), {}),
              QStringLiteral("An error has occurred.\r\n(Error 12345) "));
}

TEST(AppError, StandardDescriptionsAndErrnoMapping)
{
    EXPECT_EQ(AppError(6).description(), QStringLiteral("Overflow"));
    EXPECT_EQ(AppError(62).description(), QStringLiteral("Input past end of file"));
    EXPECT_EQ(AppError(93).description(), QStringLiteral("Invalid pattern string"));
    EXPECT_EQ(AppError(321).description(), QStringLiteral("Invalid file format"));
    EXPECT_EQ(AppError(70, QStringLiteral("own")).description(), QStringLiteral("own"));
    EXPECT_EQ(AppError::FromErrno(ENOENT).number(), 53);
    EXPECT_EQ(AppError::FromErrno(EACCES).number(), 70);
    EXPECT_EQ(AppError::FromErrno(EIO).number(), 75);
    EXPECT_TRUE(AppError::FromErrno(EIO, QStringLiteral("/x")).description().startsWith(
        QStringLiteral("/x: ")));
}
