#include "base/AppError.h"
#include "documents/CBinaryINI.h"
#include "documents/Preferences.h"
#include "platform/Paths.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/AppInfo.h"
#include "ui/frmPlayerSettings.h"
#include "ui/frmPreview.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <atomic>
#include <csignal>
#include <future>
#include <sys/stat.h>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

using Records = std::initializer_list<std::pair<QString, QString>>;

// Stores a settings document with the records in the section "settings" and lets go of it.
QString WriteDocument(const QString& path, Records records)
{
    CBinaryINI document;
    document.SetFile(path);
    for (const auto& [key, value] : records)
        document.WriteValue(key, value, u"settings"_s);
    document.Commit();
    return path;
}

// The bytes the document store writes for the records; its format is pinned by its own tests.
QByteArray DocumentBytes(Records records)
{
    const TempFolder temp;
    return ReadAll(WriteDocument(temp / u"x.cfg"_s, records));
}

bool Centred(const QWidget& w)
{
    const QPoint screen = QGuiApplication::primaryScreen()->geometry().center();
    return (w.frameGeometry().center() - screen).manhattanLength() <= 2;
}

// Types a job into the window: a library of three new files and an empty destination folder.
QString TypeJob(frmMain& w, const TempFolder& root, const QString& destination = u"dest"_s)
{
    for (int i = 0; i < 3; ++i)
        root.Write(u"lib/s%1.mp3"_s.arg(i), QByteArray(100 + i, 'x'));
    Control<SortedList>(w, "lstLibrary")->AddItem(root / u"lib"_s);
    Control<SortedList>(w, "lstDestination")->AddItem(root.MakeFolder(destination) + u",1,100"_s);
    Control<QLineEdit>(w, "txtFiletypes")->setText(u"*.mp3"_s);
    return root / destination;
}

} // namespace

TEST_F(MainWindowTest, PlacementAndTitleFromThePreferences)
{
    WritePreference(u"WindowTitle"_s, u"  Car stereo  "_s);
    EXPECT_EQ(Open().windowTitle(), u"New Settings - Car stereo"_s);
    // The place in twips; -1 or a place off the screen centres.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (const auto& [left, top, place] : {std::tuple{1500, 750, QPoint(100, 50)},
                                           {(screen.width() - 10) * 15, 750, QPoint()},
                                           {1500, (screen.height() - 10) * 15, QPoint()},
                                           {-1, 300, QPoint()}}) {
        WritePreference(u"mainleft"_s, left);
        WritePreference(u"maintop"_s, top);
        frmMain& w = Open();
        EXPECT_TRUE(place.isNull() ? Centred(w) : w.pos() == place) << w.pos().x();
    }
    // Closing stores the place in twips; a window nobody will see is neither placed nor
    // stores its place.
    window->move(40, 30);
    window->close();
    EXPECT_EQ(ReadPreference(u"mainleft"_s) + u' ' + ReadPreference(u"maintop"_s), u"600 450"_s);
    window = std::make_unique<frmMain>();
    window->move(7, 9);
    window->Load(false);
    EXPECT_EQ(window->pos(), QPoint(7, 9));
    window->close();
    EXPECT_EQ(ReadPreference(u"mainleft"_s), u"600"_s);
}

TEST_F(MainWindowTest, FocusFirstOnTheRenameBoxEnterPressesStartABusyWindowTakesNoInput)
{
    frmMain& w = Open();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>("chkRenameFiles"));
    QTest::keyClick(Find<QWidget>("chkRenameFiles"), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>("lstDestination")) << "Tab goes on there";
    // The etched separators show: a dark line over a light one.
    const QImage look = w.grab().toImage();
    for (const char* name : {"lineDiv_0", "lineDiv_1"}) {
        const QWidget* line = Find<QWidget>(name);
        EXPECT_EQ(look.pixel(line->mapTo(&w, QPoint(5, 0))),
                  line->palette().color(QPalette::Window).rgb())
            << name;
    }
    QTest::keyClick(Find<QWidget>("txtFiletypes"), Qt::Key_F5);
    EXPECT_TRUE(dialogs->Requests().isEmpty()) << "only Enter starts";
    // Enter anywhere but on another button starts the run, which stops at once for an empty job.
    for (const char* name : {"txtFiletypes", "lstLibrary", "chkRenameFiles", "cmdOK"}) {
        dialogs->Queue(MsgResult::OK);
        QTest::keyClick(Find<QWidget>(name), name[0] == 'l' ? Qt::Key_Enter : Qt::Key_Return);
    }
    ExpectBox(LastRequest(), u"You must enter valid folders."_s, MsgIcon::Exclamation);
    EXPECT_EQ(dialogs->Requests().size(), 4);
    auto* library = Find<SortedList>("lstLibrary");
    library->SelectIndex(library->AddItem(u"/music"_s));
    QTest::keyClick(Find<QPushButton>("cmdLibraryRemove"), Qt::Key_Enter);
    EXPECT_EQ(library->count(), 0);

    // Busy: everything keeps its look, but neither keys nor clicks get through.
    auto* filetypes = Find<QLineEdit>("txtFiletypes");
    w.SetBusy(true);
    EXPECT_TRUE(Find<QWidget>("picMain")->isEnabled() && Find<QWidget>("cmdOK")->isEnabled());
    QTest::keyClicks(filetypes, u"x"_s);
    QTest::keyClick(filetypes, Qt::Key_Return);
    QTest::mouseClick(Find<QCheckBox>("chkRenameFiles"), Qt::LeftButton);
    EXPECT_EQ(filetypes->text(), u"*.mp3,*.wma,*.wav"_s);
    EXPECT_FALSE(Find<QCheckBox>("chkRenameFiles")->isChecked() ||
                 Find<QMenu>("tmnuFile")->menuAction()->isEnabled() ||
                 Find<QMenu>("tmnuHelp")->menuAction()->isEnabled());
    w.SetBusy(false);
    QTest::keyClicks(filetypes, u"x"_s);
    EXPECT_EQ(filetypes->text(), u"*.mp3,*.wma,*.wavx"_s);
}

TEST_F(MainWindowTest, SaveAsSaveAndTheSaveChangesQuestion)
{
    frmMain& w = Open();
    Find<QLineEdit>("txtFiletypes")->setText(u"*.flac"_s);
    Find<QCheckBox>("chkRenameFiles")->setChecked(true);
    const QString target = data / u"Car.cfg"_s;

    // New with changes: "Save New Settings?" -> Yes -> the Save As dialog, cancelled: stays.
    dialogs->Queue(MsgResult::Yes);
    dialogs->Queue(QString());
    Menu("mnuFile_10")->trigger();
    ExpectBox(dialogs->Requests().at(0), u"Save New Settings?"_s, MsgIcon::Question,
              MsgButtons::YesNo);
    EXPECT_EQ(LastRequest().kind, DialogRequest::Kind::SaveFile);
    EXPECT_EQ(LastRequest().initialFolder, GetDataFolder());
    EXPECT_TRUE(w.IsModified());

    // Save As writes the job, leaving out the empty lists; Save writes without a question.
    dialogs->Queue(target);
    Menu("mnuFile_13")->trigger();
    EXPECT_FALSE(w.IsModified());
    EXPECT_EQ(w.windowTitle(), u"Car - Pendrift"_s);
    EXPECT_EQ(ReadPreference(u"RecentCfgs1"_s), target);
    EXPECT_EQ(ReadAll(target),
              DocumentBytes({{u"Filetypes"_s, u"*.flac"_s}, {u"RenameFiles"_s, u"1"_s}}));
    Find<QCheckBox>("chkRenameFiles")->setChecked(false);
    Menu("mnuFile_12")->trigger();
    const QByteArray saved = ReadAll(target);
    EXPECT_EQ(saved, DocumentBytes({{u"Filetypes"_s, u"*.flac"_s}, {u"RenameFiles"_s, u"0"_s}}));
    // Save As onto the open document itself: its own lock does not refuse it.
    dialogs->Queue(target);
    dialogs->Queue(MsgResult::Yes);
    Menu("mnuFile_13")->trigger();
    EXPECT_EQ(ReadAll(target), saved);

    // New -> "Save <path>?" -> No drops the change and leaves the file as it was.
    Find<QCheckBox>("chkRenameFiles")->setChecked(true);
    dialogs->Queue(MsgResult::No);
    Menu("mnuFile_10")->trigger();
    ExpectBox(LastRequest(), u"Save "_s + target + u'?', MsgIcon::Question, MsgButtons::YesNo);
    EXPECT_EQ(w.windowTitle(), u"New Settings - Pendrift"_s);
    EXPECT_EQ(ReadAll(target), saved);

    // Save As onto an existing file asks first; No keeps the file (and stops a New that saves
    // a change), Yes keeps only the keys that are not the job's.
    const QByteArray existing =
        ReadAll(WriteDocument(target, {{u"Library"_s, u"/x"_s}, {u"Other"_s, u"kept"_s}}));
    Find<QLineEdit>("txtFiletypes")->setText(u"*.mid"_s);
    for (const MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
        if (answer == MsgResult::No)
            dialogs->Queue(MsgResult::Yes); // "Save New Settings?"
        dialogs->Queue(target);
        dialogs->Queue(answer);
        Menu(answer == MsgResult::No ? "mnuFile_10" : "mnuFile_13")->trigger();
        EXPECT_EQ(Find<QLineEdit>("txtFiletypes")->text(), u"*.mid"_s);
        ExpectBox(LastRequest(), target + u" already exists. Do you want to overwrite it?"_s,
                  MsgIcon::Exclamation, MsgButtons::YesNo);
        EXPECT_EQ(w.Session().Path(), answer == MsgResult::Yes ? target : QString());
        EXPECT_EQ(ReadAll(target), answer == MsgResult::No
                                       ? existing
                                       : DocumentBytes({{u"Filetypes"_s, u"*.mid"_s},
                                                        {u"RenameFiles"_s, u"0"_s},
                                                        {u"Other"_s, u"kept"_s}}));
    }

    // A Save As that fails (onto a file that is no document, or one held elsewhere) keeps the
    // open document: its name, its lock, and the next Save goes to it.
    const TempFolder other;
    const QString notes = other.Write(u"notes.cfg"_s, "plain text");
    CBinaryINI holder;
    holder.SetFile(WriteDocument(other / u"Held.cfg"_s, {}));
    for (const auto& [path, error] : {std::pair{notes, u"(Error 321) Invalid file format"_s},
                                      {holder.File(), u"(Error 70) Permission denied"_s}}) {
        dialogs->Queue(path);
        dialogs->Queue(MsgResult::Yes); // overwrite
        dialogs->Queue(MsgResult::OK);  // the error
        Menu("mnuFile_13")->trigger();
        EXPECT_TRUE(LastRequest().text.endsWith(error)) << LastRequest().text.toStdString();
        EXPECT_EQ(w.windowTitle(), u"Car - Pendrift"_s);
    }
    EXPECT_EQ(ErrorOf([&] { CBinaryINI().SetFile(target); }), 70);
    Find<QCheckBox>("chkRenameFiles")->setChecked(true);
    Menu("mnuFile_12")->trigger();
    EXPECT_EQ(ReadAll(target), DocumentBytes({{u"Filetypes"_s, u"*.mid"_s},
                                              {u"RenameFiles"_s, u"1"_s},
                                              {u"Other"_s, u"kept"_s}}));
    EXPECT_EQ(ReadAll(notes), "plain text");
}

TEST_F(MainWindowTest, LoadKeepsTheDocumentLockedAndFailedOpensChangeNothing)
{
    const QString good = WriteDocument(data / u"Good.cfg"_s, {{u"Library"_s, u"/b/x<+>||/A"_s},
                                                              {u"Filetypes"_s, u"*.ogg"_s},
                                                              {u"RenameFiles"_s, u"1"_s}});
    const QString held = WriteDocument(data / u"Held.cfg"_s, {{u"Library"_s, u"/h"_s}});
    frmMain& w = Open();
    w.LoadSettings(held);
    w.LoadSettings(good);
    EXPECT_EQ(w.windowTitle(), u"Good - Pendrift"_s);
    // The recent files menu, most recent first.
    EXPECT_TRUE(Menu("mnuFile_21")->text().endsWith(u"Good.cfg"_s));
    EXPECT_EQ(Find<SortedList>("lstLibrary")->Items(), (QStringList{{}, u"/A"_s, u"/b/x<+>"_s}));
    EXPECT_EQ(Find<QLineEdit>("txtFiletypes")->text(), u"*.ogg"_s);
    EXPECT_TRUE(Find<QCheckBox>("chkRenameFiles")->isChecked() && !w.IsModified());
    CBinaryINI holder;
    EXPECT_THROW(holder.SetFile(good), AppError);

    // Held elsewhere or cancelled: the window keeps what it has.
    holder.SetFile(held);
    for (const auto& [path, error] :
         {std::pair{held, u"An error has occurred.\r\n(Error 70) Permission denied"_s},
          {QString(), QString()}}) {
        dialogs->Queue(path);
        if (!error.isEmpty())
            dialogs->Queue(MsgResult::OK);
        Menu("mnuFile_11")->trigger();
        EXPECT_EQ(LastRequest().text, error);
        EXPECT_EQ(w.Session().Path(), good);
    }
    EXPECT_EQ(dialogs->Requests().at(0).defaultExtension, u"cfg"_s);
    EXPECT_EQ(Find<SortedList>("lstLibrary")->count(), 3);

    // The open document again, by Open while modified (Yes to the question saves it first) and by
    // the recent list (the file changed behind the window's back): read anew from disk, still
    // locked.
    Find<QLineEdit>("txtFiletypes")->setText(u"*.mid"_s);
    dialogs->Queue(MsgResult::Yes);
    dialogs->Queue(good);
    Menu("mnuFile_11")->trigger();
    ExpectBox(dialogs->Requests().at(dialogs->Requests().size() - 2), u"Save "_s + good + u'?',
              MsgIcon::Question, MsgButtons::YesNo);
    QFile file(good);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    EXPECT_TRUE(file.readAll().contains("*.mid"));
    file.resize(0);
    file.write(DocumentBytes({{u"Filetypes"_s, u"*.aac"_s}}));
    file.close();
    Menu("mnuFile_21")->trigger();
    EXPECT_EQ(Find<QLineEdit>("txtFiletypes")->text(), u"*.aac"_s);
    EXPECT_FALSE(w.IsModified());
    EXPECT_EQ(ErrorOf([&] { CBinaryINI().SetFile(good); }), 70);
    holder.SetFile(QString());
    Menu("mnuFile_22")->trigger();
    EXPECT_EQ(w.windowTitle(), u"Held - Pendrift"_s);

    // A stored "2" shows partly ticked until the user clicks the box; then it only ticks and
    // unticks.
    w.LoadSettings(WriteDocument(data / u"Part.cfg"_s, {{u"RenameFiles"_s, u"2"_s}}));
    auto* rename = Find<QCheckBox>("chkRenameFiles");
    EXPECT_EQ(rename->checkState(), Qt::PartiallyChecked);
    for (int click = 0; click < 3; ++click)
        QTest::mouseClick(rename, Qt::LeftButton);
    EXPECT_EQ(rename->checkState(), Qt::Checked);
}

TEST_F(MainWindowTest, LoadLastFileOnStartup)
{
    const QString path = WriteDocument(data / u"Last.cfg"_s, {{u"Library"_s, u"/l"_s}});
    Open();
    // Switched on with a blank job: "LoadFile" is left alone; a load while it is on stores it.
    Menu("mnuFile_19")->trigger();
    EXPECT_EQ(ReadPreference(u"AutoLoadFile"_s) + ReadPreference(u"LoadFile"_s, u" none"_s),
              u"-1 none"_s);
    window->LoadSettings(path);
    EXPECT_EQ(ReadPreference(u"LoadFile"_s), path);
    // Off and on again stores the current document's path again.
    Menu("mnuFile_19")->trigger();
    WritePreference(u"LoadFile"_s, u"/elsewhere"_s);
    Menu("mnuFile_19")->trigger();
    EXPECT_EQ(ReadPreference(u"LoadFile"_s), path);
    EXPECT_EQ(Open().windowTitle(), u"Last - Pendrift"_s);
    window.reset();

    // Held elsewhere: reported, switched off for this session, blank job.
    CBinaryINI holder;
    holder.SetFile(path);
    dialogs->Queue(MsgResult::OK);
    EXPECT_EQ(Open().windowTitle(), u"New Settings - Pendrift"_s);
    ExpectBox(LastRequest(),
              u"Error loading last cfg file. The file may be in use by another process. The "
              "program will start with a blank configuration.\r\n(Error 70) Permission denied"_s,
              MsgIcon::Critical);
    EXPECT_FALSE(Menu("mnuFile_19")->isChecked());
    EXPECT_EQ(ReadPreference(u"AutoLoadFile"_s), u"-1"_s);
}

TEST_F(MainWindowTest, ProgressAboutHelpHomePageAndTheArchiveBitHelper)
{
    frmMain& w = Open();
    w.show();
    w.SetBusy(true);
    w.ShowProgress(true);
    w.SetStatus(u"Determining new files 1..."_s);
    QWidget* box = Find<QWidget>("picProgressBar");
    const int inner = box->contentsRect().width();
    // No maximum: empty. Past the end the bar moves on to the right, below zero it is full.
    for (const auto& [value, max, offset] : {std::tuple{0, 100, -inner},
                                             {50, 100, -inner / 2},
                                             {0, 0, -inner},
                                             {150, 100, inner / 2},
                                             {-10, 100, 0}}) {
        w.SetProgress(value, max);
        EXPECT_EQ(Find<QWidget>("boxProgressBar")->x(), box->contentsRect().left() + offset)
            << value << '/' << max;
    }
    // With PENDRIFT_SCREENSHOTS set to a folder, the window is saved there to be looked at.
    const QString shots = qEnvironmentVariable("PENDRIFT_SCREENSHOTS");
    EXPECT_TRUE(shots.isEmpty() || w.grab().save(shots + u"/main-window.png"_s));
    w.SetBusy(false);
    EXPECT_EQ(Find<QLabel>("lblStatus")->text(), QString());
    EXPECT_FALSE(box->isVisible());

    // The helper works on the window's libraries: here there are none.
    for (int i = 0; i < 4; ++i)
        dialogs->Queue(MsgResult::OK);
    Menu("mnuHelp_4")->trigger();
    ExpectBox(LastRequest(), u"There are no libraries to search."_s, MsgIcon::Exclamation);
    Menu("mnuHelp_10")->trigger();
    ExpectBox(LastRequest(), u"Pendrift\r\nVersion: " PENDRIFT_SHOWN_VERSION "\r\n"_s + kAuthorLine,
              MsgIcon::None);
    Menu("mnuHelpHomePage")->trigger(); // offscreen, no browser can be started
    ExpectBox(LastRequest(), u"No web browser could be started for "_s + kHomePageUrl,
              MsgIcon::Exclamation);
    Menu("mnuHelpCmdSwitches")->trigger();
    ExpectBox(LastRequest(),
              u"Commandline arguments:\r\n/a Start automatically\r\n"
              u"/c Close automatically when finished\r\n"
              u"/q Don't display the main window (implies /c)\r\n"
              u"/f:<file> Settings file to load\r\n"
              u"/p Preview the run without touching any file\r\n"
              u"/s:<seed> Repeat the random choices of a run\r\n\r\n"
              u"Example:\r\nui_tests /a /q /f:Default Settings"_s,
              MsgIcon::None);

    // The busy pointer is the window's own: it goes with the window, and only it does.
    const auto pointer = [] {
        const QCursor* cursor = QApplication::overrideCursor();
        return cursor ? cursor->shape() : Qt::ArrowCursor;
    };
    QApplication::setOverrideCursor(Qt::CrossCursor);
    w.SetWaitCursor(true);
    EXPECT_EQ(pointer(), Qt::WaitCursor);
    Open(); // the window that waited is gone
    EXPECT_EQ(pointer(), Qt::CrossCursor);
    Open(); // and one that never did
    EXPECT_EQ(pointer(), Qt::CrossCursor);
    QApplication::restoreOverrideCursor();
}

// A close is refused while a run is busy; the run then asks whether to cancel. Yes ends the
// run (finish sequence, "Done!") and the window closes; No lets it go on and stay.
TEST_F(MainWindowTest, StartButtonRunsAndClosingDuringARunAsks)
{
    for (const MsgResult answer : {MsgResult::Yes, MsgResult::No}) {
        ScriptedDialogs script;
        frmMain& w = Open();
        w.show();
        const TempFolder root;
        const QString destination = TypeJob(w, root);
        bool busyDuringRun = false, closedWhileBusy = true;
        script->onRequest = [&](const DialogRequest& request) {
            if (request.text != u"Delete all files from destination folders first?")
                return;
            busyDuringRun = w.Busy() && !Find<QMenu>("tmnuFile")->menuAction()->isEnabled();
            w.close();
            closedWhileBusy = !w.isVisible();
        };
        // "Are you sure you want to cancel?" comes at once, inside the emptying question; then
        // keep the destination's content; "Done!".
        for (const MsgResult given : {answer, MsgResult::No, MsgResult::OK})
            script->Queue(given);
        if (answer == MsgResult::Yes)
            script->Queue(MsgResult::No); // "Save New Settings?" on the way out
        Press("cmdOK");
        EXPECT_TRUE(busyDuringRun && !closedWhileBusy);
        ASSERT_GE(script->Requests().size(), 3);
        ExpectBox(script->Requests().at(1), u"Are you sure you want to cancel?"_s,
                  MsgIcon::Question, MsgButtons::YesNo);
        EXPECT_EQ(script->Requests().at(2).text, u"Done!"_s);
        // Cancelled before anything was copied, and the window has closed.
        EXPECT_EQ(QDir(destination).entryList(QDir::Files).size(),
                  answer == MsgResult::Yes ? 0 : 3);
        EXPECT_EQ(w.isVisible(), answer == MsgResult::No);
        EXPECT_TRUE(Find<QLabel>("lblStatus")->text().startsWith(u"Done in "_s));
    }
}

// A destination inside the library stops before the emptying question: every file stays where
// it was and no playlist is left beside the destination.
TEST_F(MainWindowTest, ASlipLeavesLibraryAndDestinationAlone)
{
    const TempFolder root;
    TypeJob(Open(), root, u"lib/inner"_s);
    root.Write(u"lib/inner/kept.mp3"_s, "kept");
    const auto before = TreeOf(root.path());
    dialogs->Queue(MsgResult::OK);
    Press("cmdOK");
    ExpectBox(LastRequest(),
              u"Cannot and will not continue! A destination folder is, contains or lies inside a "
              u"library folder."_s,
              MsgIcon::Exclamation);
    EXPECT_EQ(TreeOf(root.path()), before);
}

// The preview plans off the window's thread and asks nothing: a job that would stop shows its
// message; otherwise the dialog lists what an unattended run would do. Close changes nothing;
// Start makes that run, and answered Yes the emptying question gives exactly what was shown.
TEST_F(MainWindowTest, PreviewShowsThePlanAndItsStartMakesIt)
{
    frmMain& w = Open();
    w.show();
    dialogs->Queue(MsgResult::OK);
    Menu("mnuFilePreview")->trigger();
    EXPECT_EQ(LastRequest().text, u"You must enter valid folders."_s);

    const TempFolder root;
    const QString destination = TypeJob(w, root);
    root.Write(u"dest/old.mp3"_s, "old");
    const auto before = TreeOf(root.path());
    QStringList shown;
    for (const char* button : {"cmdPreviewClose", "cmdPreviewStart"}) {
        WhenShown<frmPreview>(
            [&shown, &destination, button](frmPreview& dialog) {
                const QTreeWidgetItem* top = dialog.tvwPlan()->topLevelItem(0);
                EXPECT_EQ(top->text(0), destination);
                EXPECT_EQ(top->child(0)->text(0), u"Emptying removes 1 files"_s);
                shown.clear();
                for (int pass = 1; pass <= 2; ++pass)
                    for (int i = 0; i < top->child(pass)->childCount(); ++i)
                        shown << top->child(pass)->child(i)->text(0);
                Click(dialog, button);
            },
            100000);
        const bool start = QByteArray(button) == "cmdPreviewStart";
        if (start) {
            dialogs->Queue(MsgResult::Yes); // empty the destination, then "Done!"
            dialogs->Queue(MsgResult::OK);
        }
        Menu("mnuFilePreview")->trigger();
        if (!start) {
            EXPECT_EQ(TreeOf(root.path()), before) << "nothing touched";
        }
    }
    shown.sort();
    EXPECT_EQ(shown, (QStringList{u"s0.mp3"_s, u"s1.mp3"_s, u"s2.mp3"_s}));
    EXPECT_EQ(QDir(destination).entryList(QDir::Files), shown);
    EXPECT_EQ(LastRequest().text, u"Done!"_s);
}

// Options, Player Settings: Cancel changes nothing; OK puts the settings into the job, which the
// document keeps beside the four keys and gives back when it is opened again.
TEST_F(MainWindowTest, PlayerSettingsGoIntoTheDocument)
{
    frmMain& w = Open();
    for (const char* button : {"cmdCancel", "cmdOK"}) {
        WhenShown<frmPlayerSettings>([button](frmPlayerSettings& dialog) {
            EXPECT_FALSE(dialog.chkDevicePlaylist()->isChecked());
            EXPECT_EQ(dialog.txtFilesPerFolder()->text(), u"0"_s);
            dialog.chkDevicePlaylist()->setChecked(true);
            dialog.txtFilesPerFolder()->setText(u"255"_s);
            dialog.cboConvertTo()->setCurrentIndex(3);
            dialog.txtConvertKbps()->setText(u"96"_s);
            dialog.txtPlayerPlays()->setText(u" *.mp3,*.ogg "_s);
            dialog.chkLevelLoudness()->setChecked(true);
            Click(dialog, button);
        });
        Menu("mnuPlayerSettings")->trigger();
        EXPECT_EQ(w.IsModified(), QByteArray(button) == "cmdOK");
    }
    const QString target = data / u"Player.cfg"_s;
    dialogs->Queue(target);
    Menu("mnuFile_13")->trigger();
    EXPECT_EQ(ReadAll(target), DocumentBytes({{u"Filetypes"_s, u"*.mp3,*.wma,*.wav"_s},
                                              {u"RenameFiles"_s, u"0"_s},
                                              {u"DevicePlaylist"_s, u"1"_s},
                                              {u"FilesPerFolder"_s, u"255"_s},
                                              {u"ConvertTo"_s, u"opus"_s},
                                              {u"ConvertKbps"_s, u"96"_s},
                                              {u"PlayerPlays"_s, u"*.mp3,*.ogg"_s},
                                              {u"LevelLoudness"_s, u"1"_s}}));
    w.ResetSettings();
    EXPECT_EQ(w.CurrentJob().player, PlayerSettings());
    w.LoadSettings(target);
    EXPECT_EQ(w.CurrentJob().player,
              (PlayerSettings{true, 255, u"opus"_s, 96, u"*.mp3,*.ogg"_s, true}));

    // A rate of 0 or a negative count is not a setting: the default rate, no subfolders.
    WhenShown<frmPlayerSettings>([](frmPlayerSettings& dialog) {
        dialog.txtConvertKbps()->setText(u"0"_s);
        dialog.txtFilesPerFolder()->setText(u"-3"_s);
        Click(dialog, "cmdOK");
    });
    Menu("mnuPlayerSettings")->trigger();
    EXPECT_EQ(w.CurrentJob().player.convertKbps, PlayerSettings().convertKbps);
    EXPECT_EQ(w.CurrentJob().player.filesPerFolder, 0);
}

// Closing the window, or Cancel in the copy window, while the run copies a long file from a
// slow source (a pipe whose writer waits) asks at once, whatever the copy is doing. Yes ends
// that file cleanly and runs the finish sequence (and closes the window after a close
// request); No lets the copy go on to the end of the file.
TEST_F(MainWindowTest, CancellingDuringALongCopyIsAskedAtOnce)
{
    for (const auto& [viaClose, answer] :
         {std::pair{true, MsgResult::Yes}, std::pair{false, MsgResult::No}}) {
        ScriptedDialogs script;
        frmMain& w = Open();
        w.show();
        const TempFolder root;
        const QString destination = TypeJob(w, root);
        const QString pipe = root / u"lib/big.mp3"_s;
        ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        // A copy that stops reading leaves the writer a broken pipe, not a dead process.
        std::signal(SIGPIPE, SIG_IGN);
        std::atomic<bool> started = false, finished = false, askedInTime = false;
        std::promise<void> answered;
        std::thread writer([&] {
            QFile out(pipe);
            if (!out.open(QIODevice::WriteOnly))
                return;
            out.write(QByteArray(1 << 20, 'a'));
            out.flush();
            started = true;
            answered.get_future().wait();
            out.write(QByteArray(1 << 20, 'b'));
            out.close();
            finished = true;
        });
        script->onRequest = [&](const DialogRequest& request) {
            if (request.text == u"Are you sure you want to cancel?"_s) {
                askedInTime = !finished;
                answered.set_value();
            }
        };
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &w, [&, viaClose = viaClose] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (top->objectName() != u"FileOperationProgress"_s || !started)
                    continue;
                poll.stop();
                if (viaClose)
                    w.close();
                else
                    Click(*top, "cmdCancel");
                return;
            }
        });
        poll.start(5);
        // Keep the destination's content; the question; "Done!"; after the close, the question
        // to save the new settings.
        for (const MsgResult given : {MsgResult::No, answer, MsgResult::OK})
            script->Queue(given);
        if (viaClose)
            script->Queue(MsgResult::No);
        Press("cmdOK");
        writer.join();
        EXPECT_TRUE(askedInTime) << "the question came only after the file";
        const QStringList left =
            QDir(destination).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        if (answer == MsgResult::Yes) {
            EXPECT_FALSE(left.contains(u"big.mp3"_s)) << left.join(u' ').toStdString();
            EXPECT_TRUE(left.filter(u".pendrift"_s).isEmpty()) << left.join(u' ').toStdString();
            EXPECT_FALSE(w.isVisible());
        } else {
            EXPECT_EQ(QFileInfo(destination + u"/big.mp3"_s).size(), 2 << 20);
            EXPECT_TRUE(w.isVisible());
        }
        EXPECT_EQ(script->Requests().at(2).text, u"Done!"_s);
    }
}
