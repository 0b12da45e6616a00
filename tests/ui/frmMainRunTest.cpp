#include "FileSystem.h"
#include "MainWindowFixture.h"
#include "SortedList.h"

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace {

// A library of three new files and one destination, typed into the window's controls.
struct Job
{
    TempFolder root;
    QString library;
    QString destination;

    explicit Job(frmMain& w, MainWindowTest* fixture)
    {
        Q_UNUSED(fixture);
        library = root.MakeFolder(QStringLiteral("lib"));
        for (int i = 0; i < 3; ++i)
            root.Write(QStringLiteral("lib/s%1.mp3").arg(i), QByteArray(100 + i, 'x'));
        destination = root.MakeFolder(QStringLiteral("dest"));
        w.findChild<SortedList*>(QStringLiteral("lstLibrary"))->AddItem(library);
        w.findChild<SortedList*>(QStringLiteral("lstDestination"))
            ->AddItem(destination + QStringLiteral(",1,100"));
        w.findChild<QLineEdit*>(QStringLiteral("txtFiletypes"))->setText(QStringLiteral("*.mp3"));
    }
};

} // namespace

TEST_F(MainWindowTest, StartButtonRunsTheJobShownInTheWindow)
{
    ScriptedDialogs dialogs;
    frmMain& w = Open();
    w.show();
    Job job(w, this);
    bool busyDuringRun = false;
    bool menusOffDuringRun = false;
    dialogs->onRequest = [&](const DialogRequest& request) {
        if (request.text != QStringLiteral("Delete all files from destination folders first?"))
            return;
        busyDuringRun = !Find<QWidget>("picMain")->isEnabled() && w.Busy();
        menusOffDuringRun = !Find<QMenu>("tmnuFile")->menuAction()->isEnabled() &&
                            !Find<QMenu>("tmnuHelp")->menuAction()->isEnabled();
    };
    dialogs->Queue(MsgResult::No); // keep the destination's content
    dialogs->Queue(MsgResult::OK); // Done!
    QTest::mouseClick(Find<QPushButton>("cmdOK"), Qt::LeftButton);
    EXPECT_TRUE(busyDuringRun);
    EXPECT_TRUE(menusOffDuringRun);
    EXPECT_EQ(QDir(job.destination).entryList(QDir::Files).size(), 3);
    EXPECT_TRUE(Find<QLabel>("lblStatus")->text().startsWith(QStringLiteral("Done in ")));
    EXPECT_TRUE(Find<QWidget>("picMain")->isEnabled());
    EXPECT_FALSE(w.Busy());
}

// The close is refused while the run is busy; the run then asks whether to cancel. Yes ends
// the run (finish sequence, "Done!") and the window closes; No lets it go on and stay.
TEST_F(MainWindowTest, ClosingDuringARunAsksAndClosesOnlyOnYes)
{
    for (const MsgResult answer : {MsgResult::Yes, MsgResult::No}) {
        ScriptedDialogs dialogs;
        frmMain& w = Open();
        w.show();
        Job job(w, this);
        bool closedWhileBusy = true;
        dialogs->onRequest = [&](const DialogRequest& request) {
            if (request.text ==
                QStringLiteral("Delete all files from destination folders first?")) {
                w.close();
                closedWhileBusy = !w.isVisible();
            }
        };
        dialogs->Queue(MsgResult::No); // emptying
        dialogs->Queue(answer);        // "Are you sure you want to cancel?"
        dialogs->Queue(MsgResult::OK); // Done!
        if (answer == MsgResult::Yes)
            dialogs->Queue(MsgResult::No); // the typed job is not saved on the way out
        w.StartShuffle(false);
        EXPECT_FALSE(closedWhileBusy);
        const DialogRequest& question = dialogs->Requests().at(1);
        EXPECT_EQ(question.text, QStringLiteral("Are you sure you want to cancel?"));
        EXPECT_EQ(question.icon, MsgIcon::Question);
        EXPECT_EQ(question.caption, QStringLiteral("Pendrift"));
        EXPECT_EQ(dialogs->Requests().at(2).text, QStringLiteral("Done!"));
        const int copied = QDir(job.destination).entryList(QDir::Files).size();
        if (answer == MsgResult::Yes) {
            // Cancelled before the scan: nothing copied, and the window has closed.
            EXPECT_EQ(dialogs->Requests().at(3).text, QStringLiteral("Save New Settings?"));
            EXPECT_EQ(copied, 0);
            EXPECT_FALSE(w.isVisible());
        } else {
            EXPECT_EQ(copied, 3);
            EXPECT_TRUE(w.isVisible());
            // The refused request is forgotten: a later close goes on at once.
            dialogs->Queue(MsgResult::No);
            w.close();
            EXPECT_FALSE(w.isVisible());
        }
    }
}

TEST_F(MainWindowTest, ScreenshotOfTheWindow)
{
    ScriptedDialogs dialogs;
    frmMain& w = Open();
    Find<SortedList>("lstLibrary")->AddItem(QStringLiteral("/home/me/Music<+>"));
    Find<SortedList>("lstLibrary")->AddItem(QStringLiteral("/home/me/Podcasts"));
    Find<SortedList>("lstDestination")->AddItem(QStringLiteral("/media/me/STICK/Music,3800,20"));
    w.SetStatus(QStringLiteral("Determining new files 1..."));
    w.ShowProgress(true);
    w.SetProgress(2, 5);
    w.show();
    const QPixmap shot = w.grab();
    EXPECT_EQ(shot.size(), w.size());
    // With PENDRIFT_SCREENSHOTS set to a folder, the window is saved there to be looked at.
    const QString out = qEnvironmentVariable("PENDRIFT_SCREENSHOTS");
    if (!out.isEmpty()) {
        EXPECT_TRUE(shot.save(out + QStringLiteral("/main-window.png")));
    }
    // Every control lies inside the client area.
    const QRect client = w.centralWidget()->rect();
    for (QWidget* child : w.centralWidget()->findChildren<QWidget*>()) {
        if (child->objectName().startsWith(QStringLiteral("lineDiv")) || !child->isVisible() ||
            child->parentWidget() == nullptr || child->objectName().isEmpty())
            continue;
        const QRect r(child->mapTo(w.centralWidget(), QPoint(0, 0)), child->size());
        EXPECT_TRUE(client.contains(r)) << child->objectName().toStdString();
    }
}
