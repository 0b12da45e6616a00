#include "documents/CBinaryINI.h"
#include "documents/Preferences.h"
#include "support/AppError.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/SortedList.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace {

// Writes a settings document and lets go of it.
QString WriteDocument(const QString& path, const QString& library, const QString& destination,
                      const QString& filetypes = u"*.mp3"_s, const QString& rename = u"0"_s)
{
    CBinaryINI document;
    document.SetFile(path);
    for (const auto& [key, value] : {std::pair{u"Library"_s, library},
                                     {u"Filetypes"_s, filetypes},
                                     {u"Destination"_s, destination},
                                     {u"RenameFiles"_s, rename},
                                     {u"Other"_s, u"kept"_s}})
        document.WriteValue(key, value, u"settings"_s);
    document.Commit();
    document.SetFile(QString());
    return path;
}

// A key of a stored document, "absent" when it is not there.
QString Stored(const QString& path, const QString& key, const QString& section = u"settings"_s)
{
    CBinaryINI stored;
    stored.SetFile(path);
    return stored.GetValue(key, u"absent"_s, section);
}

QPoint Offcentre(const QWidget& w)
{
    const QPoint d =
        w.frameGeometry().center() - QGuiApplication::primaryScreen()->geometry().center();
    return {std::abs(d.x()), std::abs(d.y())};
}

const QString kError = u"An error has occurred.\r\n"_s;

} // namespace

TEST_F(MainWindowTest, StartUpBlankOrFromPreferences)
{
    frmMain& w = Open();
    EXPECT_EQ(w.windowTitle(), u"New Settings - Pendrift"_s);
    EXPECT_FALSE(Menu("mnuFile_19")->isChecked());
    EXPECT_EQ(Menu("mnuFile_21")->text(), u"Recent Files"_s);
    EXPECT_TRUE(Menu("mnuFile_21")->isVisible());
    EXPECT_FALSE(Menu("mnuFile_21")->isEnabled());
    for (const char* hidden : {"mnuFile_22", "mnuFile_23", "mnuFile_24"})
        EXPECT_FALSE(Menu(hidden)->isVisible()) << hidden;
    EXPECT_EQ(Find<QLineEdit>("txtFiletypes")->text(), u"*.mp3,*.wma,*.wav"_s);
    EXPECT_EQ(Find<SortedList>("lstLibrary")->count(), 0);
    EXPECT_FALSE(w.IsModified());
    EXPECT_LE(Offcentre(w).x(), 1);
    EXPECT_LE(Offcentre(w).y(), 1);
    EXPECT_FALSE(Find<QWidget>("picProgressBar")->isVisible());

    // Placement and title from the preferences.
    WritePreference(u"mainleft"_s, u"1500"_s);
    WritePreference(u"maintop"_s, u"750"_s);
    WritePreference(u"WindowTitle"_s, u"  Car stereo  "_s);
    frmMain& placed = Open();
    EXPECT_EQ(placed.pos(), QPoint(100, 50));
    EXPECT_EQ(placed.windowTitle(), u"New Settings - Car stereo"_s);

    // Off the screen, or either value -1: centred again. Spaces only: the program's title.
    const int width = QGuiApplication::primaryScreen()->geometry().width();
    WritePreference(u"mainleft"_s, QString::number((width - 10) * 15));
    WritePreference(u"WindowTitle"_s, u"   "_s);
    EXPECT_LE(Offcentre(Open()).x(), 1);
    EXPECT_EQ(window->windowTitle(), u"New Settings - Pendrift"_s);
    WritePreference(u"mainleft"_s, u"-1"_s);
    WritePreference(u"maintop"_s, u"300"_s);
    frmMain& centred = Open();
    EXPECT_LE(Offcentre(centred).y(), 1);

    // Closing stores the position in twips.
    centred.move(40, 30);
    centred.close();
    EXPECT_EQ(ReadPreference(u"mainleft"_s), u"600"_s);
    EXPECT_EQ(ReadPreference(u"maintop"_s), u"450"_s);

    // A window nobody will see is neither placed nor stores its place.
    window = std::make_unique<frmMain>();
    window->move(7, 9);
    window->Load(false);
    EXPECT_EQ(window->pos(), QPoint(7, 9));
    window->close();
    EXPECT_EQ(ReadPreference(u"mainleft"_s), u"600"_s);
}

TEST_F(MainWindowTest, EnterPressesStartAndABusyWindowOnlyStopsTakingInput)
{
    frmMain& w = Open();
    const auto requests = [this] { return dialogs->Requests().size(); };
    // Enter anywhere but on another button starts the run, which stops at once for an empty job.
    qsizetype runs = 0;
    for (const char* name : {"txtFiletypes", "lstLibrary", "chkRenameFiles", "cmdOK"}) {
        dialogs->Queue(MsgResult::OK);
        QTest::keyClick(Find<QWidget>(name), Qt::Key_Return);
        ASSERT_EQ(requests(), ++runs) << name;
        EXPECT_EQ(dialogs->Requests().last().text, u"You must enter valid folders."_s);
    }
    // On another button Enter presses that one.
    auto* library = Find<SortedList>("lstLibrary");
    library->SelectIndex(library->AddItem(u"/music"_s));
    QTest::keyClick(Find<QPushButton>("cmdLibraryRemove"), Qt::Key_Enter);
    EXPECT_EQ(library->count(), 0);
    EXPECT_EQ(requests(), runs);

    // Busy: everything keeps its look, but neither keys nor clicks get through.
    auto* filetypes = Find<QLineEdit>("txtFiletypes");
    w.SetBusy(true);
    EXPECT_TRUE(Find<QWidget>("picMain")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("cmdOK")->isEnabled());
    QTest::keyClicks(filetypes, u"x"_s);
    QTest::keyClick(filetypes, Qt::Key_Return);
    Press("cmdLibraryAdd");
    QTest::mouseClick(Find<QCheckBox>("chkRenameFiles"), Qt::LeftButton);
    EXPECT_EQ(filetypes->text(), u"*.mp3,*.wma,*.wav"_s);
    EXPECT_FALSE(Find<QCheckBox>("chkRenameFiles")->isChecked());
    EXPECT_FALSE(Find<QMenu>("tmnuFile")->menuAction()->isEnabled());
    EXPECT_EQ(requests(), runs);
    w.SetBusy(false);
    QTest::keyClicks(filetypes, u"x"_s);
    EXPECT_EQ(filetypes->text(), u"*.mp3,*.wma,*.wavx"_s);
}

TEST_F(MainWindowTest, LoadFillsSortedListsAndLocksTheDocument)
{
    const QString path = WriteDocument(DataFile(u"Mix.cfg"_s), u"/b/music<+>|/A/rock||/c"_s,
                                       u"/media/x,128,20"_s, u"*.ogg"_s, u"1"_s);
    frmMain& w = Open();
    w.LoadSettings(path);
    EXPECT_EQ(w.windowTitle(), u"Mix - Pendrift"_s);
    EXPECT_EQ(Find<SortedList>("lstLibrary")->Items(),
              (QStringList{QString(), u"/A/rock"_s, u"/b/music<+>"_s, u"/c"_s}));
    EXPECT_EQ(Find<QLineEdit>("txtFiletypes")->text(), u"*.ogg"_s);
    EXPECT_EQ(Find<SortedList>("lstDestination")->Items(), QStringList{u"/media/x,128,20"_s});
    EXPECT_TRUE(Find<QCheckBox>("chkRenameFiles")->isChecked());
    EXPECT_FALSE(w.IsModified());
    EXPECT_EQ(Menu("mnuFile_21")->text(), u"&1 ..."_s + path.right(30));

    // The document stays locked: a second store cannot have it.
    CBinaryINI other;
    EXPECT_THROW(other.SetFile(path), AppError);

    // Any edit marks the job modified.
    Find<QLineEdit>("txtFiletypes")->setText(u"*.mp3"_s);
    EXPECT_TRUE(w.IsModified());
}

TEST_F(MainWindowTest, SaveAsNewAndTheSaveChangesQuestion)
{
    frmMain& w = Open();
    Find<QLineEdit>("txtFiletypes")->setText(u"*.flac"_s);
    Find<QCheckBox>("chkRenameFiles")->setChecked(true);
    const QString target = DataFile(u"Car.cfg"_s);

    // New with changes: "Save New Settings?" -> Yes -> the Save As dialog, cancelled: stays.
    dialogs->Queue(MsgResult::Yes);
    dialogs->Queue(QString());
    Menu("mnuFile_10")->trigger();
    EXPECT_EQ(dialogs->Requests().at(0).text, u"Save New Settings?"_s);
    EXPECT_EQ(dialogs->Requests().at(0).icon, MsgIcon::Question);
    EXPECT_EQ(dialogs->Requests().at(1).kind, DialogRequest::Kind::SaveFile);
    EXPECT_EQ(dialogs->Requests().at(1).caption, u"Save As"_s);
    EXPECT_EQ(dialogs->Requests().at(1).initialFolder, GetDataFolder());
    EXPECT_TRUE(w.IsModified());

    // Save As writes the four keys; empty lists are left out of the file.
    dialogs->Queue(target);
    Menu("mnuFile_13")->trigger();
    EXPECT_FALSE(w.IsModified());
    EXPECT_EQ(w.windowTitle(), u"Car - Pendrift"_s);
    ASSERT_NE(w.CurrentDocument(), nullptr);
    EXPECT_EQ(w.CurrentDocument()->File(), target);
    EXPECT_EQ(ReadPreference(u"RecentCfgs1"_s), target);
    EXPECT_TRUE(Menu("mnuFile_21")->isEnabled());
    w.ResetSettings(false); // lets go of the file
    EXPECT_EQ(Stored(target, u"Filetypes"_s, u"SETTINGS"_s), u"*.flac"_s);
    EXPECT_EQ(Stored(target, u"RenameFiles"_s), u"1"_s);
    EXPECT_EQ(Stored(target, u"Library"_s), u"absent"_s);

    // Load it again, change it, New -> "Save <path>?" -> No: the changes are dropped.
    w.LoadSettings(target);
    Find<QCheckBox>("chkRenameFiles")->setChecked(false);
    dialogs->Queue(MsgResult::No);
    Menu("mnuFile_10")->trigger();
    EXPECT_EQ(dialogs->Requests().last().text, u"Save "_s + target + u'?');
    EXPECT_EQ(w.windowTitle(), u"New Settings - Pendrift"_s);
    EXPECT_EQ(w.CurrentDocument(), nullptr);

    // Save As onto an existing file asks before overwriting; No keeps everything, Yes keeps
    // the other keys of the existing file.
    WriteDocument(target, u"/x"_s, QString());
    for (const MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
        dialogs->Queue(target);
        dialogs->Queue(answer);
        Menu("mnuFile_13")->trigger();
        EXPECT_EQ(dialogs->Requests().last().text,
                  target + u" already exists. Do you want to overwrite it?"_s);
        EXPECT_EQ(dialogs->Requests().last().icon, MsgIcon::Exclamation);
        EXPECT_EQ(w.CurrentDocument() != nullptr, answer == MsgResult::Yes);
        w.ResetSettings(false);
        EXPECT_EQ(Stored(target, u"Library"_s), answer == MsgResult::Yes ? u"absent"_s : u"/x"_s);
        EXPECT_EQ(Stored(target, u"Other"_s), u"kept"_s);
    }
}

TEST_F(MainWindowTest, OpenFailuresLeaveTheWindowAsItWas)
{
    const QString held = WriteDocument(DataFile(u"Held.cfg"_s), u"/h"_s, QString());
    const QString good = WriteDocument(DataFile(u"Good.cfg"_s), u"/g"_s, QString());
    const QString foreign = DataFile(u"notes.cfg"_s);
    QFile text(foreign);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("just some text, long enough for a magic");
    text.close();

    frmMain& w = Open();
    w.LoadSettings(good);
    CBinaryINI holder;
    holder.SetFile(held);
    // Opening the current document again fails at its own lock.
    const QString denied = kError + u"(Error 70) Permission denied"_s;
    for (const auto& [path, error] : {std::pair{held, denied},
                                      {foreign, kError + u"(Error 321) Invalid file format"_s},
                                      {good, denied}}) {
        dialogs->Queue(path);
        dialogs->Queue(MsgResult::OK);
        Menu("mnuFile_11")->trigger();
        EXPECT_EQ(dialogs->Requests().last().text, error);
        EXPECT_EQ(dialogs->Requests().last().icon, MsgIcon::Critical);
        EXPECT_EQ(w.windowTitle(), u"Good - Pendrift"_s);
    }
    EXPECT_EQ(dialogs->Requests().at(0).caption, u"Open"_s);
    EXPECT_EQ(dialogs->Requests().at(0).filter, u"cfg,*.cfg"_s);
    EXPECT_EQ(Find<SortedList>("lstLibrary")->Items(), QStringList{u"/g"_s});

    // A cancelled open changes nothing.
    dialogs->Queue(QString());
    Menu("mnuFile_11")->trigger();
    EXPECT_EQ(w.CurrentDocument()->File(), good);
}

TEST_F(MainWindowTest, RecentFilesMenuFollowsLoadsAndSaves)
{
    QStringList paths;
    for (const QString& name : {u"One"_s, u"Two"_s, u"Three"_s, u"Four"_s, u"Five"_s})
        paths << WriteDocument(DataFile(name + u".cfg"_s), u"/"_s + name, QString());
    frmMain& w = Open();
    for (const QString& path : paths)
        w.LoadSettings(path);
    // Most recent first; the oldest fell off.
    for (int i = 0; i < 4; ++i) {
        QAction* item = Menu(u"mnuFile_%1"_s.arg(21 + i).toLatin1().constData());
        EXPECT_TRUE(item->isVisible());
        EXPECT_TRUE(item->text().startsWith(u"&%1 "_s.arg(i + 1)));
        EXPECT_TRUE(item->text().endsWith(QFileInfo(paths.at(4 - i)).fileName()));
    }
    // Choosing the third loads it and moves it to the top.
    Menu("mnuFile_23")->trigger();
    EXPECT_EQ(w.windowTitle(), u"Three - Pendrift"_s);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ReadPreference(u"RecentCfgs%1"_s.arg(i + 1)), paths.at(QList{2, 4, 3, 1}[i]));

    // A deleted document stays listed and fails to load with error 53.
    w.ResetSettings(false);
    QFile::remove(paths.at(4));
    dialogs->Queue(MsgResult::OK);
    Menu("mnuFile_22")->trigger();
    EXPECT_EQ(dialogs->Requests().last().text, kError + u"(Error 53) File not found"_s);
}

TEST_F(MainWindowTest, LoadLastFileOnStartup)
{
    const QString path = WriteDocument(DataFile(u"Last.cfg"_s), u"/l"_s, QString());
    Open();
    // Switched on with a blank job: "LoadFile" is left alone.
    Menu("mnuFile_19")->trigger();
    EXPECT_EQ(ReadPreference(u"AutoLoadFile"_s), u"-1"_s);
    EXPECT_EQ(ReadPreference(u"LoadFile"_s, u"none"_s), u"none"_s);
    // A load while it is on stores the path.
    window->LoadSettings(path);
    EXPECT_EQ(ReadPreference(u"LoadFile"_s), path);
    // Off and on again stores the current document's path again.
    Menu("mnuFile_19")->trigger();
    EXPECT_EQ(ReadPreference(u"AutoLoadFile"_s), u"0"_s);
    WritePreference(u"LoadFile"_s, u"/elsewhere"_s);
    Menu("mnuFile_19")->trigger();
    EXPECT_EQ(ReadPreference(u"LoadFile"_s), path);
    window.reset();
    EXPECT_EQ(Open().windowTitle(), u"Last - Pendrift"_s);
    EXPECT_TRUE(Menu("mnuFile_19")->isChecked());
    window.reset();

    // Held elsewhere: reported, switched off for this session, blank job.
    CBinaryINI holder;
    holder.SetFile(path);
    dialogs->Queue(MsgResult::OK);
    EXPECT_EQ(Open().windowTitle(), u"New Settings - Pendrift"_s);
    EXPECT_EQ(dialogs->Requests().last().text,
              u"Error loading last cfg file. The file may be in use by another process. The "
              "program will start with a blank configuration.\r\n(Error 70) Permission denied"_s);
    EXPECT_FALSE(Menu("mnuFile_19")->isChecked());
    EXPECT_EQ(ReadPreference(u"AutoLoadFile"_s), u"-1"_s);
    window.reset();

    // A last file that no longer exists is skipped without a word.
    holder.SetFile(QString());
    QFile::remove(path);
    EXPECT_EQ(Open().windowTitle(), u"New Settings - Pendrift"_s);
    EXPECT_TRUE(Menu("mnuFile_19")->isChecked());
}

TEST_F(MainWindowTest, BusyProgressAboutAndCommandLineHelp)
{
    frmMain& w = Open();
    w.show();
    w.SetBusy(true);
    EXPECT_FALSE(Find<QMenu>("tmnuFile")->menuAction()->isEnabled());
    EXPECT_FALSE(Find<QMenu>("tmnuHelp")->menuAction()->isEnabled());
    w.ShowProgress(true);
    w.SetStatus(u"Working..."_s);
    QWidget* box = Find<QWidget>("picProgressBar");
    const int inner = box->contentsRect().width();
    // No maximum: empty. Past the end the bar moves on to the right, below zero it is full.
    for (const auto& [value, max, offset] : {std::tuple{0, 100, -inner},
                                             {50, 100, -inner / 2},
                                             {100, 100, 0},
                                             {0, 0, -inner},
                                             {150, 100, inner / 2},
                                             {-10, 100, 0}}) {
        w.SetProgress(value, max);
        EXPECT_EQ(Find<QWidget>("boxProgressBar")->x(), box->contentsRect().left() + offset)
            << value << '/' << max;
    }
    w.SetBusy(false);
    EXPECT_TRUE(Find<QWidget>("picMain")->isEnabled());
    EXPECT_TRUE(Find<QMenu>("tmnuFile")->menuAction()->isEnabled());
    EXPECT_EQ(Find<QLabel>("lblStatus")->text(), QString());
    EXPECT_FALSE(box->isVisible());

    // About and the command-line help.
    dialogs->Queue(MsgResult::OK);
    dialogs->Queue(MsgResult::OK);
    Menu("mnuHelp_10")->trigger();
    Menu("mnuHelpCmdSwitches")->trigger();
    Menu("mnuHelp_0")->trigger(); // only opens its submenu
    ASSERT_EQ(dialogs->Requests().size(), 2);
    const DialogRequest& about = dialogs->Requests().at(0);
    EXPECT_EQ(about.caption, u"About Pendrift"_s);
    EXPECT_EQ(about.icon, MsgIcon::None);
    const QStringList lines = about.text.split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines.at(0), u"Pendrift"_s);
    EXPECT_EQ(lines.at(1), QStringLiteral("Version: " PENDRIFT_SHOWN_VERSION));
    EXPECT_FALSE(lines.at(2).isEmpty());
    EXPECT_EQ(dialogs->Requests().at(1).text,
              u"Commandline arguments:\r\n/a Start automatically\r\n"
              u"/c Close automatically when finished\r\n"
              u"/q Don't display the main window (implies /c)\r\n"
              u"/f:<file> Settings file to load\r\n\r\n"
              u"Example:\r\nui_tests /a /q /f:Default Settings"_s);
}
