#include "documents/CBinaryINI.h"
#include "documents/Preferences.h"
#include "support/AppError.h"
#include "support/Paths.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/FileDialogs.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace {

// A settings document's bytes: the records in the section "settings", each followed by its ten
// empty reserved strings.
QByteArray DocumentBytes(std::initializer_list<std::pair<QByteArray, QByteArray>> records)
{
    QByteArray out = "KOVIRBININI_100";
    const auto put = [&out](const QByteArray& text) {
        out.append(char(text.size() & 0xff)).append(char(text.size() >> 8)).append(text);
    };
    out.append(char(records.size())).append('\0');
    for (const auto& [key, value] : records) {
        for (const QByteArray& text : {key, value, QByteArray("settings")})
            put(text);
        for (int i = 0; i < 10; ++i)
            put({});
    }
    return out;
}

QString WriteDocument(const QString& path, const QString& library, const QByteArray& types = {},
                      const QByteArray& rename = "0")
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(DocumentBytes({{"Library", library.toUtf8()},
                              {"Filetypes", types},
                              {"RenameFiles", rename},
                              {"Other", "kept"}}));
    return path;
}

bool Centred(const QWidget& w)
{
    const QPoint d =
        w.frameGeometry().center() - QGuiApplication::primaryScreen()->geometry().center();
    return std::abs(d.x()) <= 1 && std::abs(d.y()) <= 1;
}

const QString kError = u"An error has occurred.\r\n"_s;

} // namespace

TEST_F(MainWindowTest, PlacementAndTitleFromThePreferences)
{
    EXPECT_TRUE(Centred(Open()));
    // The place in twips; -1 or a place off the screen centres. A title of spaces only is the
    // program's own.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (const auto& [left, top, title, place] :
         {std::tuple{u"1500"_s, u"750"_s, u"  Car stereo  "_s, QPoint(100, 50)},
          {QString::number((screen.width() - 10) * 15), u"750"_s, u"   "_s, QPoint()},
          {u"1500"_s, QString::number((screen.height() - 10) * 15), u"   "_s, QPoint()},
          {u"-1"_s, u"300"_s, u"   "_s, QPoint()},
          {u"300"_s, u"-1"_s, u"   "_s, QPoint()}}) {
        WritePreference(u"mainleft"_s, left);
        WritePreference(u"maintop"_s, top);
        WritePreference(u"WindowTitle"_s, title);
        frmMain& w = Open();
        EXPECT_TRUE(place.isNull() ? Centred(w) : w.pos() == place) << w.pos().x();
        EXPECT_EQ(w.windowTitle(),
                  place.isNull() ? u"New Settings - Pendrift"_s : u"New Settings - Car stereo"_s);
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

TEST_F(MainWindowTest, EnterPressesStartAndABusyWindowOnlyStopsTakingInput)
{
    frmMain& w = Open();
    // Enter anywhere but on another button starts the run, which stops at once for an empty job.
    for (const char* name : {"txtFiletypes", "lstLibrary", "chkRenameFiles", "cmdOK"}) {
        dialogs->Queue(MsgResult::OK);
        QTest::keyClick(Find<QWidget>(name), Qt::Key_Return);
        ExpectBox(LastRequest(), u"You must enter valid folders."_s, MsgIcon::Exclamation);
    }
    ASSERT_EQ(dialogs->Requests().size(), 4);
    auto* library = Find<SortedList>("lstLibrary");
    library->SelectIndex(library->AddItem(u"/music"_s));
    QTest::keyClick(Find<QPushButton>("cmdLibraryRemove"), Qt::Key_Enter);
    EXPECT_EQ(library->count(), 0);

    // Busy: everything keeps its look, but neither keys nor clicks get through.
    auto* filetypes = Find<QLineEdit>("txtFiletypes");
    const auto menusOn = [this] {
        return Find<QMenu>("tmnuFile")->menuAction()->isEnabled() &&
               Find<QMenu>("tmnuHelp")->menuAction()->isEnabled();
    };
    w.SetBusy(true);
    EXPECT_TRUE(Find<QWidget>("picMain")->isEnabled() && Find<QWidget>("cmdOK")->isEnabled());
    QTest::keyClicks(filetypes, u"x"_s);
    QTest::keyClick(filetypes, Qt::Key_Return);
    Press("cmdLibraryAdd");
    QTest::mouseClick(Find<QCheckBox>("chkRenameFiles"), Qt::LeftButton);
    EXPECT_EQ(filetypes->text(), u"*.mp3,*.wma,*.wav"_s);
    EXPECT_FALSE(Find<QCheckBox>("chkRenameFiles")->isChecked() || menusOn());
    EXPECT_EQ(dialogs->Requests().size(), 4);
    w.SetBusy(false);
    QTest::keyClicks(filetypes, u"x"_s);
    EXPECT_EQ(filetypes->text(), u"*.mp3,*.wma,*.wavx"_s);
    EXPECT_TRUE(menusOn());
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
    EXPECT_EQ(ReadAll(target), DocumentBytes({{"Filetypes", "*.flac"}, {"RenameFiles", "1"}}));
    Find<QCheckBox>("chkRenameFiles")->setChecked(false);
    Menu("mnuFile_12")->trigger();
    const QByteArray saved = ReadAll(target);
    EXPECT_EQ(saved, DocumentBytes({{"Filetypes", "*.flac"}, {"RenameFiles", "0"}}));

    // New -> "Save <path>?" -> No drops the change and leaves the file as it was.
    Find<QCheckBox>("chkRenameFiles")->setChecked(true);
    dialogs->Queue(MsgResult::No);
    Menu("mnuFile_10")->trigger();
    ExpectBox(LastRequest(), u"Save "_s + target + u'?', MsgIcon::Question, MsgButtons::YesNo);
    EXPECT_EQ(w.windowTitle(), u"New Settings - Pendrift"_s);
    EXPECT_EQ(ReadAll(target), saved);

    // Save As onto an existing file asks first; No keeps the file, Yes keeps only the keys
    // that are not the job's.
    const QByteArray existing = ReadAll(WriteDocument(target, u"/x"_s));
    for (const MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
        dialogs->Queue(target);
        dialogs->Queue(answer);
        Menu("mnuFile_13")->trigger();
        ExpectBox(LastRequest(), target + u" already exists. Do you want to overwrite it?"_s,
                  MsgIcon::Exclamation, MsgButtons::YesNo);
        EXPECT_EQ(w.CurrentDocument() != nullptr, answer == MsgResult::Yes);
        EXPECT_EQ(ReadAll(target), answer == MsgResult::No
                                       ? existing
                                       : DocumentBytes({{"Filetypes", "*.mp3,*.wma,*.wav"},
                                                        {"RenameFiles", "0"},
                                                        {"Other", "kept"}}));
    }
}

TEST_F(MainWindowTest, LoadKeepsTheDocumentLockedAndFailedOpensChangeNothing)
{
    const QString good =
        WriteDocument(data / u"Good.cfg"_s, u"/b/x<+>|/A/rock||/c"_s, "*.ogg", "1");
    const QString held = WriteDocument(data / u"Held.cfg"_s, u"/h"_s);
    const TempFolder elsewhere;
    const QString foreign = elsewhere.Write(u"notes.cfg"_s, "just some text, long enough");
    frmMain& w = Open();
    w.LoadSettings(good);
    EXPECT_EQ(w.windowTitle(), u"Good - Pendrift"_s);
    EXPECT_EQ(Find<SortedList>("lstLibrary")->Items(),
              (QStringList{QString(), u"/A/rock"_s, u"/b/x<+>"_s, u"/c"_s}));
    EXPECT_EQ(Find<QLineEdit>("txtFiletypes")->text(), u"*.ogg"_s);
    EXPECT_TRUE(Find<QCheckBox>("chkRenameFiles")->isChecked());
    EXPECT_FALSE(w.IsModified());
    CBinaryINI holder;
    EXPECT_THROW(holder.SetFile(good), AppError);

    // Held elsewhere, not a settings document, the current document again (its own lock), or
    // cancelled: the window keeps what it has.
    holder.SetFile(held);
    const QString denied = kError + u"(Error 70) Permission denied"_s;
    for (const auto& [path, error] : {std::pair{held, denied},
                                      {foreign, kError + u"(Error 321) Invalid file format"_s},
                                      {good, denied},
                                      {QString(), QString()}}) {
        dialogs->Queue(path);
        if (!error.isEmpty())
            dialogs->Queue(MsgResult::OK);
        Menu("mnuFile_11")->trigger();
        EXPECT_EQ(LastRequest().text, error);
        EXPECT_EQ(w.CurrentDocument()->File(), good);
    }
    EXPECT_EQ(dialogs->Requests().at(0).filter, u"cfg,*.cfg"_s);
    EXPECT_EQ(dialogs->Requests().at(0).defaultExtension, u"cfg"_s);
    EXPECT_EQ(Find<SortedList>("lstLibrary")->count(), 4);
    Find<QLineEdit>("txtFiletypes")->setText(u"*.mp3"_s);
    EXPECT_TRUE(w.IsModified());
}

TEST_F(MainWindowTest, RecentFilesMenuFollowsTheLoads)
{
    const QStringList names = {u"One"_s, u"Two"_s, u"Three"_s, u"Four"_s};
    frmMain& w = Open();
    for (const QString& name : names)
        w.LoadSettings(WriteDocument(data / (name + u".cfg"_s), u"/"_s + name));
    // Most recent first; the last item loads the oldest.
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Menu(u"mnuFile_%1"_s.arg(21 + i).toLatin1().constData())
                        ->text()
                        .endsWith(names.at(3 - i) + u".cfg"_s));
    Menu("mnuFile_24")->trigger();
    EXPECT_EQ(w.windowTitle(), u"One - Pendrift"_s);
    // A deleted document stays listed and fails to load with error 53.
    QFile::remove(data / u"Two.cfg"_s);
    dialogs->Queue(MsgResult::OK);
    Menu("mnuFile_24")->trigger();
    ExpectBox(LastRequest(), kError + u"(Error 53) File not found"_s, MsgIcon::Critical);
}

TEST_F(MainWindowTest, LoadLastFileOnStartup)
{
    const QString path = WriteDocument(data / u"Last.cfg"_s, u"/l"_s);
    Open();
    // Switched on with a blank job: "LoadFile" is left alone; a load while it is on stores it.
    Menu("mnuFile_19")->trigger();
    EXPECT_EQ(ReadPreference(u"AutoLoadFile"_s), u"-1"_s);
    EXPECT_EQ(ReadPreference(u"LoadFile"_s, u"none"_s), u"none"_s);
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
    ExpectBox(LastRequest(),
              u"Error loading last cfg file. The file may be in use by another process. The "
              "program will start with a blank configuration.\r\n(Error 70) Permission denied"_s,
              MsgIcon::Critical);
    EXPECT_FALSE(Menu("mnuFile_19")->isChecked());
    EXPECT_EQ(ReadPreference(u"AutoLoadFile"_s), u"-1"_s);
    window.reset();

    // A last file that no longer exists is skipped without a word.
    holder.SetFile(QString());
    QFile::remove(path);
    EXPECT_EQ(Open().windowTitle(), u"New Settings - Pendrift"_s);
    EXPECT_TRUE(Menu("mnuFile_19")->isChecked());
}

TEST_F(MainWindowTest, ProgressAboutHelpAndTheArchiveBitHelper)
{
    frmMain& w = Open();
    Find<SortedList>("lstLibrary")->AddItem(u"/home/me/Music<+>"_s);
    Find<SortedList>("lstDestination")->AddItem(u"/media/me/STICK/Music,3800,20"_s);
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
                                             {-10, 100, 0},
                                             {100, 100, 0}}) {
        w.SetProgress(value, max);
        EXPECT_EQ(Find<QWidget>("boxProgressBar")->x(), box->contentsRect().left() + offset)
            << value << '/' << max;
    }
    // With PENDRIFT_SCREENSHOTS set to a folder, the window is saved there to be looked at.
    const QString shots = qEnvironmentVariable("PENDRIFT_SCREENSHOTS");
    EXPECT_TRUE(shots.isEmpty() || w.grab().save(shots + u"/main-window.png"_s));
    for (QWidget* child : w.centralWidget()->findChildren<QWidget*>()) {
        const QString name = child->objectName();
        EXPECT_TRUE(!child->isVisible() || name.isEmpty() || name.startsWith(u"lineDiv"_s) ||
                    w.centralWidget()->rect().contains(
                        QRect(child->mapTo(w.centralWidget(), QPoint()), child->size())))
            << "outside the client area: " << name.toStdString();
    }
    w.SetBusy(false);
    EXPECT_EQ(Find<QLabel>("lblStatus")->text(), QString());
    EXPECT_FALSE(box->isVisible());

    // The helper works on the window's libraries: here there are none.
    Find<SortedList>("lstLibrary")->clear();
    for (int i = 0; i < 3; ++i)
        dialogs->Queue(MsgResult::OK);
    Menu("mnuHelp_4")->trigger();
    ExpectBox(LastRequest(), u"There are no libraries to search."_s, MsgIcon::Exclamation);
    Menu("mnuHelp_10")->trigger();
    EXPECT_TRUE(LastRequest().text.startsWith(
        QStringLiteral("Pendrift\r\nVersion: " PENDRIFT_SHOWN_VERSION "\r\n")));
    EXPECT_EQ(LastRequest().caption, u"About Pendrift"_s);
    Menu("mnuHelpCmdSwitches")->trigger();
    ExpectBox(LastRequest(),
              u"Commandline arguments:\r\n/a Start automatically\r\n"
              u"/c Close automatically when finished\r\n"
              u"/q Don't display the main window (implies /c)\r\n"
              u"/f:<file> Settings file to load\r\n\r\n"
              u"Example:\r\nui_tests /a /q /f:Default Settings"_s,
              MsgIcon::None);
    EXPECT_EQ(dialogs->Requests().size(), 3);
}

namespace {

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
};

} // namespace

// A close is refused while a run is busy; the run then asks whether to cancel. Yes ends the
// run (finish sequence, "Done!") and the window closes; No lets it go on and stay.
TEST_F(MainWindowTest, StartButtonRunsAndClosingDuringARunAsks)
{
    for (const MsgResult answer : {MsgResult::Yes, MsgResult::No}) {
        ScriptedDialogs script;
        frmMain& w = Open();
        w.show();
        const Job job(w);
        bool busyDuringRun = false, closedWhileBusy = true;
        script->onRequest = [&](const DialogRequest& request) {
            if (request.text != u"Delete all files from destination folders first?")
                return;
            busyDuringRun = w.Busy() && !Find<QMenu>("tmnuFile")->menuAction()->isEnabled();
            w.close();
            closedWhileBusy = !w.isVisible();
        };
        script->Queue(MsgResult::No); // keep the destination's content
        script->Queue(answer);        // "Are you sure you want to cancel?"
        script->Queue(MsgResult::OK); // Done!
        if (answer == MsgResult::Yes)
            script->Queue(MsgResult::No); // "Save New Settings?" on the way out
        Press("cmdOK");
        EXPECT_TRUE(busyDuringRun && !closedWhileBusy);
        ASSERT_GE(script->Requests().size(), 3);
        ExpectBox(script->Requests().at(1), u"Are you sure you want to cancel?"_s,
                  MsgIcon::Question, MsgButtons::YesNo);
        EXPECT_EQ(script->Requests().at(2).text, u"Done!"_s);
        // Cancelled before anything was copied, and the window has closed.
        EXPECT_EQ(QDir(job.destination).entryList(QDir::Files).size(),
                  answer == MsgResult::Yes ? 0 : 3);
        EXPECT_EQ(w.isVisible(), answer == MsgResult::No);
        if (answer == MsgResult::Yes)
            continue;
        EXPECT_TRUE(Find<QLabel>("lblStatus")->text().startsWith(u"Done in "_s));
        // The refused request is forgotten: a later close goes on at once.
        script->Queue(MsgResult::No);
        w.close();
        EXPECT_FALSE(w.isVisible());
    }
}

// Slips that would have emptied the destination for nothing, or emptied the library: each one
// stops before the emptying question, every file stays where it was and no playlist is left
// beside the destination.
TEST_F(MainWindowTest, SlipsLeaveLibraryAndDestinationsAlone)
{
    const Job job(Open());
    const QString library = job.root / u"lib"_s;
    job.root.Write(u"dest/kept.mp3"_s, "kept");
    const auto before = TreeOf(job.root.path());
    const struct
    {
        QString source, destination, message;
    } slips[] = {
        {library, library + u",1,100"_s,
         u"Cannot and will not continue! A destination folder is, contains or lies inside a "
         u"library folder."_s},
        {job.root / u"unplugged"_s, job.destination + u",1,100"_s,
         u"Nothing to do. No files were found!"_s},
        {library, job.destination + u",4096,100"_s,
         u"An error occurred while doing stuff.\r\n(Error 6) Overflow"_s},
    };
    for (const auto& [source, destination, message] : slips) {
        Find<SortedList>("lstLibrary")->clear();
        Find<SortedList>("lstLibrary")->AddItem(source);
        Find<SortedList>("lstDestination")->clear();
        Find<SortedList>("lstDestination")->AddItem(destination);
        const qsizetype asked = dialogs->Requests().size();
        const bool error = message.startsWith(u"An error"_s);
        dialogs->Queue(MsgResult::OK);
        if (error)
            dialogs->Queue(MsgResult::OK); // Done!
        Press("cmdOK");
        ASSERT_GT(dialogs->Requests().size(), asked);
        ExpectBox(dialogs->Requests().at(asked), message,
                  error ? MsgIcon::Critical : MsgIcon::Exclamation);
        EXPECT_EQ(TreeOf(job.root.path()), before);
    }
}

// A folder counts as writable when a file can be made, written and removed there.
TEST(FileDialogs, TestFolderWriteLeavesNothingBehind)
{
    const TempFolder folder;
    EXPECT_TRUE(TestFolderWrite(folder.path()));
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
    EXPECT_FALSE(TestFolderWrite(folder / u"missing"_s));
}
