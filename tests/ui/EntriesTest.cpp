#include "ui/Entries.h"
#include "support/AppError.h"
#include "tests/common/TestSupport.h"
#include "tests/ui/PickFolderDriver.h"
#include "ui/SortedList.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace {

// A stand-in for the main window: a plain parent with the two job lists.
class EntriesTest : public ::testing::Test
{
protected:
    EntriesTest()
    {
        lstLibrary->setObjectName(u"lstLibrary"_s);
        lstDestination->setObjectName(u"lstDestination"_s);
        window.show();
    }
    SortedList* List(EntryKind kind) const
    {
        return kind == EntryKind::Library ? lstLibrary : lstDestination;
    }
    // Opens the entry flow with the dialog driven by act.
    bool Run(EntryKind kind, bool add, std::function<void(frmPickFolder&)> act)
    {
        WhenPickFolderShows(std::move(act));
        return EditEntry(&window, List(kind), kind, add);
    }
    void Fill(SortedList* list, const QString& items, int selected)
    {
        for (const QString& item : items.split(u'|'))
            list->AddItem(item);
        list->SelectIndex(selected);
    }

    QWidget window;
    SortedList* lstLibrary = new SortedList(&window);
    SortedList* lstDestination = new SortedList(&window);
    ScriptedDialogs dialogs;
};

QString Text(frmPickFolder& dialog, const char* field)
{
    return Control<QLineEdit>(dialog, field)->text();
}
QCheckBox* IncludeBox(frmPickFolder& dialog)
{
    return Control<QCheckBox>(dialog, "chkIncludeSubfolders");
}

} // namespace

TEST_F(EntriesTest, AddLibraryStartsWithTheBrowserAndSelectsTheNewItem)
{
    Fill(lstLibrary, u"/a|/z"_s, 1);
    dialogs->Queue(u"/music/Rock"_s);
    EXPECT_TRUE(Run(EntryKind::Library, true, [&](frmPickFolder& dialog) {
        EXPECT_EQ(dialog.windowTitle(), u"New Library Entry"_s);
        EXPECT_FALSE(Control<QWidget>(dialog, "cmdAdvanced")->isHidden());
        EXPECT_FALSE(dialog.OptionMaxSize());
        EXPECT_TRUE(dialog.OptionIncludeSubfolders());
        EXPECT_TRUE(dialog.isModal());
        EXPECT_EQ(dialog.parentWidget(), &window);
        EXPECT_EQ(Text(dialog, "txtFolder"), u"/music/Rock"_s);
        IncludeBox(dialog)->setChecked(true);
        Click(dialog, "cmdOK");
    }));
    ASSERT_EQ(dialogs->Requests().size(), 1);
    EXPECT_EQ(dialogs->Requests().at(0).kind, DialogRequest::Kind::Folder);
    EXPECT_EQ(dialogs->Requests().at(0).initialFolder, QString());
    EXPECT_EQ(lstLibrary->Items(), (QStringList{u"/a"_s, u"/music/Rock<+>"_s, u"/z"_s}));
    EXPECT_EQ(lstLibrary->SelectedIndex(), 1);
    // The dialog is gone once the flow is over.
    EXPECT_TRUE(window.findChildren<frmPickFolder*>().isEmpty());
}

TEST_F(EntriesTest, CancelledAddsChangeNothing)
{
    Fill(lstLibrary, u"/keep"_s, 0);
    // Browser cancelled then OK on the empty field; spaces only; Cancel; title bar; Escape.
    const std::pair<QString, std::function<void(frmPickFolder&)>> cases[] = {
        {QString(), [](frmPickFolder& d) { Click(d, "cmdOK"); }},
        {QString(),
         [](frmPickFolder& d) {
             Type(d, "txtFolder", u"   "_s);
             Click(d, "cmdOK");
         }},
        {u"/music"_s, [](frmPickFolder& d) { Click(d, "cmdCancel"); }},
        {u"/music"_s, [](frmPickFolder& d) { d.close(); }},
        {u"/music"_s, [](frmPickFolder& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
    };
    for (const EntryKind kind : {EntryKind::Library, EntryKind::Destination}) {
        for (const auto& [browsed, act] : cases) {
            dialogs->Queue(browsed);
            EXPECT_FALSE(Run(kind, true, act));
        }
    }
    EXPECT_EQ(lstLibrary->Items(), QStringList{u"/keep"_s});
    EXPECT_EQ(lstLibrary->SelectedIndex(), 0);
    EXPECT_EQ(lstDestination->count(), 0);
    EXPECT_TRUE(window.findChildren<frmPickFolder*>().isEmpty());
}

TEST_F(EntriesTest, EditLibraryFillsTheDialogAndKeepsThePosition)
{
    Fill(lstLibrary, u"/b/Music<+>|/c"_s, 0);
    EXPECT_TRUE(Run(EntryKind::Library, false, [&](frmPickFolder& dialog) {
        EXPECT_EQ(dialog.windowTitle(), u"Edit Library Entry"_s);
        EXPECT_TRUE(Control<QWidget>(dialog, "cmdAdvanced")->isHidden());
        EXPECT_EQ(Text(dialog, "txtFolder"), u"/b/Music"_s);
        EXPECT_TRUE(IncludeBox(dialog)->isChecked());
        IncludeBox(dialog)->setChecked(false);
        // Sorts after /c, but an edited item stays where it is.
        Type(dialog, "txtFolder", u"  /d/Music  "_s);
        Click(dialog, "cmdOK");
    }));
    EXPECT_TRUE(dialogs->Requests().isEmpty()) << "editing opens no browser";
    EXPECT_EQ(lstLibrary->Items(), (QStringList{u"/d/Music"_s, u"/c"_s}));
    EXPECT_EQ(lstLibrary->SelectedIndex(), 0);

    // "<+>" counts only at the very end; cancelling an edit keeps the item.
    Fill(lstLibrary, u"/x<+>/y"_s, 2);
    EXPECT_FALSE(Run(EntryKind::Library, false, [&](frmPickFolder& dialog) {
        EXPECT_EQ(Text(dialog, "txtFolder"), u"/x<+>/y"_s);
        EXPECT_FALSE(IncludeBox(dialog)->isChecked());
        dialog.close();
    }));
    EXPECT_EQ(lstLibrary->ItemText(2), u"/x<+>/y"_s);
}

TEST_F(EntriesTest, DestinationNumbersAreStoredAsPlainDecimals)
{
    // Regional settings with a decimal comma must not leak into the entries.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QStringList cases[] = {
        {QString(), QString(), u"/d,0,0"_s}, {u"12.5"_s, u"50"_s, u"/d,12.5,50"_s},
        {u"abc"_s, u"150"_s, u"/d,0,150"_s}, {u" 650 MB"_s, u"33.30%"_s, u"/d,650,33.3"_s},
        {u"12,5"_s, u"-5"_s, u"/d,12,-5"_s}, {u"007"_s, u".5"_s, u"/d,7,0.5"_s},
    };
    for (const QStringList& c : cases) {
        lstDestination->clear();
        dialogs->Queue(u"/d"_s);
        EXPECT_TRUE(Run(EntryKind::Destination, true, [&](frmPickFolder& dialog) {
            EXPECT_FALSE(dialog.OptionIncludeSubfolders());
            EXPECT_EQ(dialog.windowTitle(), u"New Dest Entry"_s);
            Type(dialog, "txtDestinationSize", c[0]);
            Type(dialog, "txtPercNewFiles", c[1]);
            Click(dialog, "cmdOK");
        }));
        EXPECT_EQ(lstDestination->Items(), QStringList{c[2]}) << c.join(u'/').toStdString();
        EXPECT_EQ(lstDestination->SelectedIndex(), 0);
    }
    QLocale::setDefault(QLocale::c());
}

TEST_F(EntriesTest, EditDestinationSplitsTheFields)
{
    Fill(lstDestination, u"/m,650|/n,100,25"_s, 0);
    EXPECT_TRUE(Run(EntryKind::Destination, false, [&](frmPickFolder& dialog) {
        EXPECT_EQ(dialog.windowTitle(), u"Edit Dest Entry"_s);
        EXPECT_EQ((QStringList{Text(dialog, "txtFolder"), Text(dialog, "txtDestinationSize"),
                               Text(dialog, "txtPercNewFiles")}),
                  (QStringList{u"/m"_s, u"650"_s, QString()}));
        Click(dialog, "cmdOK");
    }));
    lstDestination->SelectIndex(1);
    EXPECT_TRUE(Run(EntryKind::Destination, false, [&](frmPickFolder& dialog) {
        Type(dialog, "txtPercNewFiles", u"200"_s);
        Click(dialog, "cmdOK");
    }));
    EXPECT_EQ(lstDestination->Items(), (QStringList{u"/m,650,0"_s, u"/n,100,200"_s}));
}

TEST_F(EntriesTest, AdvancedModeAddsOneEntryPerTickedSubfolder)
{
    TempFolder root;
    for (const QString& name : {u"Jazz"_s, u"blues"_s, u"Rock"_s, u"Pop"_s})
        root.MakeFolder(name);
    Fill(lstLibrary, u"/zzz"_s, 0);
    dialogs->Queue(root.path());
    EXPECT_TRUE(Run(EntryKind::Library, true, [&](frmPickFolder& dialog) {
        Click(dialog, "cmdAdvanced");
        auto* list = Control<QListWidget>(dialog, "lstSubfolders");
        for (int i : {0, 1, 3})
            list->item(i)->setCheckState(Qt::Checked);
        EXPECT_EQ(list->item(2)->text(), u"Pop"_s);
        IncludeBox(dialog)->setChecked(true);
        Click(dialog, "cmdOK");
    }));
    const QString base = root.path() + u'/';
    EXPECT_EQ(lstLibrary->Items(), (QStringList{base + u"blues<+>"_s, base + u"Jazz<+>"_s,
                                                base + u"Rock<+>"_s, u"/zzz"_s}));
    // The selection stays on the item it was on.
    EXPECT_EQ(lstLibrary->ItemText(lstLibrary->SelectedIndex()), u"/zzz"_s);

    // Destinations take the numbers for every ticked folder; a folder with a trailing
    // separator gets no second one.
    dialogs->Queue(base);
    EXPECT_TRUE(Run(EntryKind::Destination, true, [&](frmPickFolder& dialog) {
        Type(dialog, "txtDestinationSize", u"100"_s);
        Type(dialog, "txtPercNewFiles", u"10"_s);
        Click(dialog, "cmdAdvanced");
        auto* list = Control<QListWidget>(dialog, "lstSubfolders");
        list->item(1)->setCheckState(Qt::Checked);
        list->item(3)->setCheckState(Qt::Checked);
        Click(dialog, "cmdOK");
    }));
    EXPECT_EQ(lstDestination->Items(),
              (QStringList{base + u"Jazz,100,10"_s, base + u"Rock,100,10"_s}));
    EXPECT_EQ(lstDestination->SelectedIndex(), -1);

    // Nothing ticked still counts as a change; leaving advanced mode drops the ticks and adds
    // the folder itself.
    lstDestination->clear();
    for (const bool leave : {false, true}) {
        dialogs->Queue(root.path());
        EXPECT_TRUE(Run(EntryKind::Destination, true, [&](frmPickFolder& dialog) {
            Click(dialog, "cmdAdvanced");
            Control<QListWidget>(dialog, "lstSubfolders")
                ->item(0)
                ->setCheckState(leave ? Qt::Checked : Qt::Unchecked);
            if (leave)
                Click(dialog, "cmdAdvanced");
            Click(dialog, "cmdOK");
        }));
        EXPECT_EQ(lstDestination->Items(),
                  leave ? QStringList{root.path() + u",0,0"_s} : QStringList{});
    }
}

TEST_F(EntriesTest, RemoveSelectsTheNextOrTheNewLastItem)
{
    Fill(lstLibrary, u"a|b|c"_s, -1);
    for (const auto& [index, left, selected] : {std::tuple{1, QStringList{u"a"_s, u"c"_s}, 1},
                                                {1, QStringList{u"a"_s}, 0},
                                                {0, QStringList{}, -1}}) {
        RemoveListItem(lstLibrary, index);
        EXPECT_EQ(lstLibrary->Items(), left);
        EXPECT_EQ(lstLibrary->SelectedIndex(), selected);
    }
    EXPECT_EQ(lstLibrary->currentRow(), -1);
    EXPECT_THROW(RemoveListItem(lstLibrary, 0), AppError);
    EXPECT_THROW(RemoveListItem(lstLibrary, -1), AppError);
}
