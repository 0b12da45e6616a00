#include "AppError.h"
#include "CBinaryINI.h"
#include "MainWindowFixture.h"
#include "Preferences.h"
#include "SortedList.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>

namespace {

// Writes a settings document and lets go of it.
QString WriteDocument(const QString& path, const QString& library, const QString& destination,
                      const QString& filetypes = QStringLiteral("*.mp3"),
                      const QString& rename = QStringLiteral("0"))
{
    CBinaryINI document;
    document.SetFile(path);
    const QString section = QStringLiteral("settings");
    document.WriteValue(QStringLiteral("Library"), library, section);
    document.WriteValue(QStringLiteral("Filetypes"), filetypes, section);
    document.WriteValue(QStringLiteral("Destination"), destination, section);
    document.WriteValue(QStringLiteral("RenameFiles"), rename, section);
    document.WriteValue(QStringLiteral("Other"), QStringLiteral("kept"), section);
    document.Commit();
    document.SetFile(QString());
    return path;
}

QRect Screen()
{
    return QGuiApplication::primaryScreen()->geometry();
}

} // namespace

TEST_F(MainWindowTest, FreshStartIsBlankCentredAndUntitled)
{
    ScriptedDialogs dialogs;
    frmMain& w = Open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("New Settings - Pendrift"));
    EXPECT_FALSE(Menu("mnuFile_19")->isChecked());
    EXPECT_EQ(Menu("mnuFile_21")->text(), QStringLiteral("Recent Files"));
    EXPECT_TRUE(Menu("mnuFile_21")->isVisible());
    EXPECT_FALSE(Menu("mnuFile_21")->isEnabled());
    for (const char* hidden : {"mnuFile_22", "mnuFile_23", "mnuFile_24"})
        EXPECT_FALSE(Menu(hidden)->isVisible()) << hidden;
    EXPECT_EQ(Find<QLineEdit>("txtFiletypes")->text(), QStringLiteral("*.mp3,*.wma,*.wav"));
    EXPECT_EQ(Find<SortedList>("lstLibrary")->count(), 0);
    EXPECT_FALSE(w.IsModified());
    const QRect frame = w.frameGeometry();
    EXPECT_LE(std::abs(frame.center().x() - Screen().center().x()), 1);
    EXPECT_LE(std::abs(frame.center().y() - Screen().center().y()), 1);
    EXPECT_FALSE(Find<QWidget>("picProgressBar")->isVisible());
}

TEST_F(MainWindowTest, SavedPlacementAndTitleFromPreferences)
{
    ScriptedDialogs dialogs;
    WritePreference(QStringLiteral("mainleft"), QStringLiteral("1500"));
    WritePreference(QStringLiteral("maintop"), QStringLiteral("750"));
    WritePreference(QStringLiteral("WindowTitle"), QStringLiteral("  Car stereo  "));
    frmMain& w = Open();
    EXPECT_EQ(w.pos(), QPoint(100, 50));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("New Settings - Car stereo"));

    // Off the screen, or either value -1: centred again. Spaces only: the program's title.
    WritePreference(QStringLiteral("mainleft"), QString::number((Screen().width() - 10) * 15));
    WritePreference(QStringLiteral("WindowTitle"), QStringLiteral("   "));
    frmMain& moved = Open();
    EXPECT_LE(std::abs(moved.frameGeometry().center().x() - Screen().center().x()), 1);
    EXPECT_EQ(moved.windowTitle(), QStringLiteral("New Settings - Pendrift"));
    WritePreference(QStringLiteral("mainleft"), QStringLiteral("-1"));
    WritePreference(QStringLiteral("maintop"), QStringLiteral("300"));
    frmMain& centred = Open();
    EXPECT_LE(std::abs(centred.frameGeometry().center().y() - Screen().center().y()), 1);

    // Closing stores the position in twips.
    centred.move(40, 30);
    centred.close();
    EXPECT_EQ(ReadPreference(QStringLiteral("mainleft")), QStringLiteral("600"));
    EXPECT_EQ(ReadPreference(QStringLiteral("maintop")), QStringLiteral("450"));
}

TEST_F(MainWindowTest, LoadFillsSortedListsAndLocksTheDocument)
{
    ScriptedDialogs dialogs;
    const QString path = WriteDocument(
        DataFile(QStringLiteral("Mix.cfg")), QStringLiteral("/b/music<+>|/A/rock||/c"),
        QStringLiteral("/media/x,128,20"), QStringLiteral("*.ogg"), QStringLiteral("1"));
    frmMain& w = Open();
    w.LoadSettings(path);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Mix - Pendrift"));
    EXPECT_EQ(Find<SortedList>("lstLibrary")->Items(),
              (QStringList{QString(), QStringLiteral("/A/rock"), QStringLiteral("/b/music<+>"),
                           QStringLiteral("/c")}));
    EXPECT_EQ(Find<QLineEdit>("txtFiletypes")->text(), QStringLiteral("*.ogg"));
    EXPECT_EQ(Find<SortedList>("lstDestination")->Items(),
              QStringList{QStringLiteral("/media/x,128,20")});
    EXPECT_TRUE(Find<QCheckBox>("chkRenameFiles")->isChecked());
    EXPECT_FALSE(w.IsModified());
    EXPECT_EQ(Menu("mnuFile_21")->text(),
              QStringLiteral("&1 ") + QStringLiteral("...") + path.right(30));

    // The document stays locked: a second store cannot have it.
    CBinaryINI other;
    EXPECT_THROW(other.SetFile(path), AppError);

    // Any edit marks the job modified.
    Find<QLineEdit>("txtFiletypes")->setText(QStringLiteral("*.mp3"));
    EXPECT_TRUE(w.IsModified());
}

TEST_F(MainWindowTest, SaveAsNewAndTheSaveChangesQuestion)
{
    ScriptedDialogs dialogs;
    frmMain& w = Open();
    Find<QLineEdit>("txtFiletypes")->setText(QStringLiteral("*.flac"));
    Find<QCheckBox>("chkRenameFiles")->setChecked(true);
    const QString target = DataFile(QStringLiteral("Car.cfg"));

    // New with changes: "Save New Settings?" -> Yes -> the Save As dialog, cancelled: stays.
    dialogs->Queue(MsgResult::Yes);
    dialogs->Queue(QString());
    Menu("mnuFile_10")->trigger();
    EXPECT_EQ(dialogs->Requests().at(0).text, QStringLiteral("Save New Settings?"));
    EXPECT_EQ(dialogs->Requests().at(0).icon, MsgIcon::Question);
    EXPECT_EQ(dialogs->Requests().at(1).kind, DialogRequest::Kind::SaveFile);
    EXPECT_EQ(dialogs->Requests().at(1).caption, QStringLiteral("Save As"));
    EXPECT_EQ(dialogs->Requests().at(1).initialFolder, GetDataFolder());
    EXPECT_EQ(Find<QLineEdit>("txtFiletypes")->text(), QStringLiteral("*.flac"));
    EXPECT_TRUE(w.IsModified());

    // Save As writes the four keys; empty lists are left out of the file.
    dialogs->Queue(target);
    Menu("mnuFile_13")->trigger();
    EXPECT_FALSE(w.IsModified());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Car - Pendrift"));
    ASSERT_NE(w.CurrentDocument(), nullptr);
    EXPECT_EQ(w.CurrentDocument()->File(), target);
    EXPECT_EQ(ReadPreference(QStringLiteral("RecentCfgs1")), target);
    EXPECT_EQ(Menu("mnuFile_21")->text(), QStringLiteral("&1 ...") + target.right(30));
    EXPECT_TRUE(Menu("mnuFile_21")->isEnabled());
    {
        CBinaryINI stored;
        w.ResetSettings(false); // lets go of the file
        stored.SetFile(target);
        EXPECT_EQ(stored.GetValue(QStringLiteral("Filetypes"), {}, QStringLiteral("SETTINGS")),
                  QStringLiteral("*.flac"));
        EXPECT_EQ(stored.GetValue(QStringLiteral("RenameFiles"), {}, QStringLiteral("settings")),
                  QStringLiteral("1"));
        EXPECT_EQ(stored.GetValue(QStringLiteral("Library"), QStringLiteral("absent"),
                                  QStringLiteral("settings")),
                  QStringLiteral("absent"));
    }

    // Load it again, change it, New -> "Save <path>?" -> No: the changes are dropped.
    w.LoadSettings(target);
    Find<QCheckBox>("chkRenameFiles")->setChecked(false);
    dialogs->Queue(MsgResult::No);
    Menu("mnuFile_10")->trigger();
    EXPECT_EQ(dialogs->Requests().last().text, QStringLiteral("Save ") + target + u'?');
    EXPECT_EQ(w.windowTitle(), QStringLiteral("New Settings - Pendrift"));
    EXPECT_EQ(w.CurrentDocument(), nullptr);

    // Save As onto an existing file asks before overwriting; No keeps everything.
    dialogs->Queue(target);
    dialogs->Queue(MsgResult::No);
    Menu("mnuFile_13")->trigger();
    EXPECT_EQ(dialogs->Requests().last().text,
              target + QStringLiteral(" already exists. Do you want to overwrite it?"));
    EXPECT_EQ(dialogs->Requests().last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(w.CurrentDocument(), nullptr);

    // Yes: the other keys of the existing file survive.
    WriteDocument(target, QStringLiteral("/x"), QString());
    dialogs->Queue(target);
    dialogs->Queue(MsgResult::Yes);
    Menu("mnuFile_13")->trigger();
    w.ResetSettings(false);
    CBinaryINI stored;
    stored.SetFile(target);
    EXPECT_EQ(stored.GetValue(QStringLiteral("Other"), {}, QStringLiteral("settings")),
              QStringLiteral("kept"));
    EXPECT_EQ(stored.GetValue(QStringLiteral("Library"), QStringLiteral("absent"),
                              QStringLiteral("settings")),
              QStringLiteral("absent"));
}

TEST_F(MainWindowTest, OpenFailuresLeaveTheWindowAsItWas)
{
    ScriptedDialogs dialogs;
    const QString held =
        WriteDocument(DataFile(QStringLiteral("Held.cfg")), QStringLiteral("/h"), QString());
    const QString foreign = DataFile(QStringLiteral("notes.cfg"));
    QFile text(foreign);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("just some text, long enough for a magic");
    text.close();
    const QString good =
        WriteDocument(DataFile(QStringLiteral("Good.cfg")), QStringLiteral("/g"), QString());

    frmMain& w = Open();
    w.LoadSettings(good);
    CBinaryINI holder;
    holder.SetFile(held);

    dialogs->Queue(held);
    dialogs->Queue(MsgResult::OK);
    Menu("mnuFile_11")->trigger();
    EXPECT_EQ(dialogs->Requests().at(0).caption, QStringLiteral("Open"));
    EXPECT_EQ(dialogs->Requests().at(0).filter, QStringLiteral("cfg,*.cfg"));
    EXPECT_EQ(dialogs->Requests().at(1).text,
              QStringLiteral("An error has occurred.\r\n(Error 70) Permission denied"));
    EXPECT_EQ(dialogs->Requests().at(1).icon, MsgIcon::Critical);

    dialogs->Queue(foreign);
    dialogs->Queue(MsgResult::OK);
    Menu("mnuFile_11")->trigger();
    EXPECT_EQ(dialogs->Requests().at(3).text,
              QStringLiteral("An error has occurred.\r\n(Error 321) Invalid file format"));

    // Opening the current document again fails at its own lock.
    dialogs->Queue(good);
    dialogs->Queue(MsgResult::OK);
    Menu("mnuFile_11")->trigger();
    EXPECT_TRUE(dialogs->Requests().at(5).text.contains(QStringLiteral("(Error 70)")));

    EXPECT_EQ(w.windowTitle(), QStringLiteral("Good - Pendrift"));
    EXPECT_EQ(Find<SortedList>("lstLibrary")->Items(), QStringList{QStringLiteral("/g")});
    EXPECT_EQ(w.CurrentDocument()->File(), good);

    // A cancelled open changes nothing.
    dialogs->Queue(QString());
    Menu("mnuFile_11")->trigger();
    EXPECT_EQ(w.CurrentDocument()->File(), good);
}

TEST_F(MainWindowTest, RecentFilesMenuFollowsLoadsAndSaves)
{
    ScriptedDialogs dialogs;
    QStringList paths;
    for (const char* name : {"One", "Two", "Three", "Four", "Five"})
        paths << WriteDocument(DataFile(QString::fromLatin1(name) + QStringLiteral(".cfg")),
                               QStringLiteral("/") + QString::fromLatin1(name), QString());
    frmMain& w = Open();
    for (const QString& path : paths)
        w.LoadSettings(path);
    // Most recent first; the oldest fell off.
    for (int i = 0; i < 4; ++i) {
        QAction* item = Menu(QStringLiteral("mnuFile_%1").arg(21 + i).toLatin1().constData());
        EXPECT_TRUE(item->isVisible());
        EXPECT_TRUE(item->text().startsWith(QStringLiteral("&%1 ").arg(i + 1)));
        EXPECT_TRUE(item->text().endsWith(QFileInfo(paths.at(4 - i)).fileName()));
    }
    // Choosing the third loads it and moves it to the top.
    Menu("mnuFile_23")->trigger();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Three - Pendrift"));
    EXPECT_EQ(ReadPreference(QStringLiteral("RecentCfgs1")), paths.at(2));
    EXPECT_EQ(ReadPreference(QStringLiteral("RecentCfgs2")), paths.at(4));
    EXPECT_EQ(ReadPreference(QStringLiteral("RecentCfgs3")), paths.at(3));
    EXPECT_EQ(ReadPreference(QStringLiteral("RecentCfgs4")), paths.at(1));

    // A deleted document stays listed and fails to load with error 53.
    w.ResetSettings(false);
    QFile::remove(paths.at(4));
    dialogs->Queue(MsgResult::OK);
    Menu("mnuFile_22")->trigger();
    EXPECT_EQ(dialogs->Requests().last().text,
              QStringLiteral("An error has occurred.\r\n(Error 53) File not found"));
}

TEST_F(MainWindowTest, LoadLastFileOnStartup)
{
    ScriptedDialogs dialogs;
    const QString path =
        WriteDocument(DataFile(QStringLiteral("Last.cfg")), QStringLiteral("/l"), QString());
    {
        frmMain& w = Open();
        // Switched on with a blank job: "LoadFile" is left alone.
        Menu("mnuFile_19")->trigger();
        EXPECT_EQ(ReadPreference(QStringLiteral("AutoLoadFile")), QStringLiteral("-1"));
        EXPECT_EQ(ReadPreference(QStringLiteral("LoadFile"), QStringLiteral("none")),
                  QStringLiteral("none"));
        // A load while it is on stores the path.
        w.LoadSettings(path);
        EXPECT_EQ(ReadPreference(QStringLiteral("LoadFile")), path);
        // Off and on again stores the current document's path again.
        Menu("mnuFile_19")->trigger();
        EXPECT_EQ(ReadPreference(QStringLiteral("AutoLoadFile")), QStringLiteral("0"));
        WritePreference(QStringLiteral("LoadFile"), QStringLiteral("/elsewhere"));
        Menu("mnuFile_19")->trigger();
        EXPECT_EQ(ReadPreference(QStringLiteral("LoadFile")), path);
        window.reset();
    }
    frmMain& again = Open();
    EXPECT_TRUE(Menu("mnuFile_19")->isChecked());
    EXPECT_EQ(again.windowTitle(), QStringLiteral("Last - Pendrift"));
    window.reset();

    // Held elsewhere: reported, switched off for this session, blank job.
    CBinaryINI holder;
    holder.SetFile(path);
    dialogs->Queue(MsgResult::OK);
    frmMain& blank = Open();
    EXPECT_EQ(dialogs->Requests().last().text,
              QStringLiteral("Error loading last cfg file. The file may be in use by another "
                             "process. The program will start with a blank configuration.\r\n"
                             "(Error 70) Permission denied"));
    EXPECT_FALSE(Menu("mnuFile_19")->isChecked());
    EXPECT_EQ(ReadPreference(QStringLiteral("AutoLoadFile")), QStringLiteral("-1"));
    EXPECT_EQ(blank.windowTitle(), QStringLiteral("New Settings - Pendrift"));
    window.reset();

    // A last file that no longer exists is skipped without a word.
    holder.SetFile(QString());
    QFile::remove(path);
    frmMain& quiet = Open();
    EXPECT_TRUE(Menu("mnuFile_19")->isChecked());
    EXPECT_EQ(quiet.windowTitle(), QStringLiteral("New Settings - Pendrift"));
}

TEST_F(MainWindowTest, BusyDisablesPanelAndMenusAndProgressFills)
{
    ScriptedDialogs dialogs;
    frmMain& w = Open();
    w.show();
    w.SetBusy(true);
    EXPECT_FALSE(Find<QWidget>("picMain")->isEnabled());
    EXPECT_FALSE(Find<QMenu>("tmnuFile")->menuAction()->isEnabled());
    EXPECT_FALSE(Find<QMenu>("tmnuHelp")->menuAction()->isEnabled());
    w.ShowProgress(true);
    w.SetStatus(QStringLiteral("Working..."));
    QWidget* box = Find<QWidget>("picProgressBar");
    QWidget* bar = Find<QWidget>("boxProgressBar");
    const int inner = box->contentsRect().width();
    w.SetProgress(0, 100);
    EXPECT_EQ(bar->x(), box->contentsRect().left() - inner);
    w.SetProgress(50, 100);
    EXPECT_EQ(bar->x(), box->contentsRect().left() - inner / 2);
    w.SetProgress(100, 100);
    EXPECT_EQ(bar->x(), box->contentsRect().left());
    w.SetProgress(0, 0); // no maximum: empty
    EXPECT_EQ(bar->x(), box->contentsRect().left() - inner);
    // Values outside the range: past the end the bar moves on to the right, below zero it is
    // drawn full.
    w.SetProgress(150, 100);
    EXPECT_EQ(bar->x(), box->contentsRect().left() + inner / 2);
    w.SetProgress(-10, 100);
    EXPECT_EQ(bar->x(), box->contentsRect().left());

    w.SetBusy(false);
    EXPECT_TRUE(Find<QWidget>("picMain")->isEnabled());
    EXPECT_TRUE(Find<QMenu>("tmnuFile")->menuAction()->isEnabled());
    EXPECT_EQ(Find<QLabel>("lblStatus")->text(), QString());
    EXPECT_FALSE(box->isVisible());
}

TEST_F(MainWindowTest, AboutAndCommandLineHelp)
{
    ScriptedDialogs dialogs;
    Open();
    dialogs->Queue(MsgResult::OK);
    dialogs->Queue(MsgResult::OK);
    Menu("mnuHelp_10")->trigger();
    Menu("mnuHelpCmdSwitches")->trigger();
    const DialogRequest& about = dialogs->Requests().at(0);
    EXPECT_EQ(about.caption, QStringLiteral("About Pendrift"));
    EXPECT_EQ(about.icon, MsgIcon::None);
    const QStringList lines = about.text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines.at(0), QStringLiteral("Pendrift"));
    EXPECT_EQ(lines.at(1), QStringLiteral("Version: %1.%2.%3")
                               .arg(PENDRIFT_VERSION_MAJOR)
                               .arg(PENDRIFT_VERSION_MINOR)
                               .arg(PENDRIFT_VERSION_TWEAK));
    EXPECT_FALSE(lines.at(2).isEmpty());
    EXPECT_TRUE(
        dialogs->Requests().at(1).text.startsWith(QStringLiteral("Commandline arguments:")));
    Menu("mnuHelp_0")->trigger(); // only opens its submenu
    EXPECT_EQ(dialogs->Requests().size(), 2);
}
