#include "support/FileSystem.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/SortedList.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kEmptyQuestion = u"Delete all files from destination folders first?"_s;

// A library of three new files and one destination, typed into the window's controls.
struct Job
{
    TempFolder root;
    QString destination = root.MakeFolder(u"dest"_s);

    explicit Job(frmMain& w)
    {
        for (int i = 0; i < 3; ++i)
            root.Write(u"lib/s%1.mp3"_s.arg(i), QByteArray(100 + i, 'x'));
        w.findChild<SortedList*>(u"lstLibrary"_s)->AddItem(root / u"lib"_s);
        w.findChild<SortedList*>(u"lstDestination"_s)->AddItem(destination + u",1,100"_s);
        w.findChild<QLineEdit*>(u"txtFiletypes"_s)->setText(u"*.mp3"_s);
    }
    int Copied() const { return QDir(destination).entryList(QDir::Files).size(); }
};

} // namespace

// The Start button runs the job shown in the window, with the panel and menus off. A close is
// refused while the run is busy; the run then asks whether to cancel. Yes ends the run (finish
// sequence, "Done!") and the window closes; No lets it go on and stay.
TEST_F(MainWindowTest, StartButtonRunsAndClosingDuringARunAsks)
{
    for (const MsgResult answer : {MsgResult::Yes, MsgResult::No}) {
        ScriptedDialogs script;
        frmMain& w = Open();
        w.show();
        Job job(w);
        bool busyDuringRun = false;
        bool closedWhileBusy = true;
        script->onRequest = [&](const DialogRequest& request) {
            if (request.text != kEmptyQuestion)
                return;
            busyDuringRun = w.Busy() && !Find<QMenu>("tmnuFile")->menuAction()->isEnabled() &&
                            !Find<QMenu>("tmnuHelp")->menuAction()->isEnabled();
            w.close();
            closedWhileBusy = !w.isVisible();
        };
        script->Queue(MsgResult::No); // keep the destination's content
        script->Queue(answer);        // "Are you sure you want to cancel?"
        script->Queue(MsgResult::OK); // Done!
        if (answer == MsgResult::Yes)
            script->Queue(MsgResult::No); // the typed job is not saved on the way out
        Press("cmdOK");
        EXPECT_TRUE(busyDuringRun);
        EXPECT_FALSE(closedWhileBusy);
        const DialogRequest& question = script->Requests().at(1);
        EXPECT_EQ(question.text, u"Are you sure you want to cancel?"_s);
        EXPECT_EQ(question.icon, MsgIcon::Question);
        EXPECT_EQ(question.caption, u"Pendrift"_s);
        EXPECT_EQ(script->Requests().at(2).text, u"Done!"_s);
        // Cancelled before anything was copied, and the window has closed.
        EXPECT_EQ(job.Copied(), answer == MsgResult::Yes ? 0 : 3);
        EXPECT_EQ(w.isVisible(), answer == MsgResult::No);
        if (answer == MsgResult::Yes) {
            EXPECT_EQ(script->Requests().at(3).text, u"Save New Settings?"_s);
            continue;
        }
        EXPECT_TRUE(Find<QLabel>("lblStatus")->text().startsWith(u"Done in "_s));
        EXPECT_TRUE(Find<QWidget>("picMain")->isEnabled());
        EXPECT_FALSE(w.Busy());
        // The refused request is forgotten: a later close goes on at once.
        script->Queue(MsgResult::No);
        w.close();
        EXPECT_FALSE(w.isVisible());
    }
}

// Three slips that would have emptied the destination for nothing, or emptied the library:
// each one stops before the emptying question, and every file stays where it was.
TEST_F(MainWindowTest, SlipsLeaveLibraryAndDestinationsAlone)
{
    frmMain& w = Open();
    Job job(w);
    const QString library = job.root / u"lib"_s;
    job.root.Write(u"dest/kept.mp3"_s, "kept");
    const auto tree = [&job] {
        QStringList all;
        for (const QString& folder : {u"lib"_s, u"dest"_s})
            for (const QString& name : QDir(job.root / folder).entryList(QDir::Files))
                all << folder + u'/' + name + u' ' +
                           QString::fromLatin1(ReadAll(job.root / folder + u'/' + name).toHex());
        return all;
    };
    const QStringList before = tree();
    auto* destinations = Find<SortedList>("lstDestination");
    auto* libraries = Find<SortedList>("lstLibrary");
    const struct
    {
        QString library, destination, message;
    } slips[] = {
        {library, library + u",1,100"_s,
         u"Cannot and will not continue! A destination folder is, contains or lies inside a "
         u"library folder."_s},
        {job.root / u"unplugged"_s, job.destination + u",1,100"_s,
         u"Nothing to do. No files were found!"_s},
        {library, job.destination + u",4096,100"_s,
         u"An error occurred while doing stuff.\r\n(Error 6) Overflow"_s},
    };
    for (const auto& slip : slips) {
        libraries->clear();
        libraries->AddItem(slip.library);
        destinations->clear();
        destinations->AddItem(slip.destination);
        dialogs->Queue(MsgResult::OK);
        if (slip.message.startsWith(u"An error"_s))
            dialogs->Queue(MsgResult::OK); // Done!
        Press("cmdOK");
        EXPECT_EQ(
            dialogs->Requests()
                .at(dialogs->Requests().size() - (slip.message.startsWith(u"An error"_s) ? 2 : 1))
                .text,
            slip.message);
        EXPECT_EQ(tree(), before);
        // The fields are read before a playlist is made: none was left beside the folder.
        EXPECT_FALSE(QFileInfo::exists(job.root / u"dest.m3u"_s));
    }
}

TEST_F(MainWindowTest, ScreenshotOfTheWindow)
{
    frmMain& w = Open();
    Find<SortedList>("lstLibrary")->AddItem(u"/home/me/Music<+>"_s);
    Find<SortedList>("lstLibrary")->AddItem(u"/home/me/Podcasts"_s);
    Find<SortedList>("lstDestination")->AddItem(u"/media/me/STICK/Music,3800,20"_s);
    w.SetStatus(u"Determining new files 1..."_s);
    w.ShowProgress(true);
    w.SetProgress(2, 5);
    w.show();
    const QPixmap shot = w.grab();
    EXPECT_EQ(shot.size(), w.size());
    // With PENDRIFT_SCREENSHOTS set to a folder, the window is saved there to be looked at.
    if (const QString out = qEnvironmentVariable("PENDRIFT_SCREENSHOTS"); !out.isEmpty()) {
        EXPECT_TRUE(shot.save(out + u"/main-window.png"_s));
    }
    // Every control lies inside the client area.
    const QRect client = w.centralWidget()->rect();
    for (QWidget* child : w.centralWidget()->findChildren<QWidget*>()) {
        if (child->objectName().startsWith(u"lineDiv"_s) || !child->isVisible() ||
            child->parentWidget() == nullptr || child->objectName().isEmpty())
            continue;
        const QRect r(child->mapTo(w.centralWidget(), QPoint(0, 0)), child->size());
        EXPECT_TRUE(client.contains(r)) << child->objectName().toStdString();
    }
}
