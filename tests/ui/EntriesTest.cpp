#include "Entries.h"
#include "AppError.h"
#include "PickFolderDriver.h"
#include "SortedList.h"
#include "TestSupport.h"

#include <QLocale>

namespace {

// A stand-in for the main window: a plain parent with the two job lists.
class EntriesTest : public ::testing::Test
{
protected:
    EntriesTest()
    {
        lstLibrary = new SortedList(&window);
        lstLibrary->setObjectName(QStringLiteral("lstLibrary"));
        lstDestination = new SortedList(&window);
        lstDestination->setObjectName(QStringLiteral("lstDestination"));
        window.show();
    }

    bool Add(EntryKind kind)
    {
        return EditEntry(&window, kind == EntryKind::Library ? lstLibrary : lstDestination, kind,
                         true);
    }
    bool Edit(EntryKind kind)
    {
        return EditEntry(&window, kind == EntryKind::Library ? lstLibrary : lstDestination, kind,
                         false);
    }

    QWidget window;
    SortedList* lstLibrary;
    SortedList* lstDestination;
    ScriptedDialogs dialogs;
};

QCheckBox* IncludeBox(frmPickFolder& dialog)
{
    return Control<QCheckBox>(dialog, "chkIncludeSubfolders");
}

} // namespace

TEST_F(EntriesTest, AddLibraryStartsWithTheBrowserAndSelectsTheNewItem)
{
    FillList(lstLibrary, QStringLiteral("/a|/z"), QStringLiteral("|"));
    lstLibrary->SelectIndex(1);
    dialogs->Queue(QStringLiteral("/music/Rock"));
    QString caption;
    bool advancedShown = false;
    bool sizeShown = true;
    WhenPickFolderShows([&](frmPickFolder& dialog) {
        caption = dialog.windowTitle();
        advancedShown = !Control<QWidget>(dialog, "cmdAdvanced")->isHidden();
        sizeShown = dialog.OptionMaxSize();
        EXPECT_TRUE(dialog.OptionIncludeSubfolders());
        EXPECT_TRUE(dialog.isModal());
        EXPECT_EQ(dialog.parentWidget(), &window);
        EXPECT_EQ(Control<QLineEdit>(dialog, "txtFolder")->text(), QStringLiteral("/music/Rock"));
        IncludeBox(dialog)->setChecked(true);
        Click(dialog, "cmdOK");
    });
    EXPECT_TRUE(Add(EntryKind::Library));
    EXPECT_EQ(caption, QStringLiteral("New Library Entry"));
    EXPECT_TRUE(advancedShown);
    EXPECT_FALSE(sizeShown);
    ASSERT_EQ(dialogs->Requests().size(), 1);
    EXPECT_EQ(dialogs->Requests().at(0).kind, DialogRequest::Kind::Folder);
    EXPECT_EQ(dialogs->Requests().at(0).initialFolder, QString());
    EXPECT_EQ(lstLibrary->Items(),
              (QStringList{QStringLiteral("/a"), QStringLiteral("/music/Rock<+>"),
                           QStringLiteral("/z")}));
    EXPECT_EQ(lstLibrary->SelectedIndex(), 1);
    // The dialog is gone once the flow is over.
    EXPECT_TRUE(window.findChildren<frmPickFolder*>().isEmpty());
}

TEST_F(EntriesTest, CancelledAddsChangeNothing)
{
    FillList(lstLibrary, QStringLiteral("/keep"), QStringLiteral("|"));
    lstLibrary->SelectIndex(0);

    // Browser cancelled, OK on the empty folder field.
    dialogs->Queue(QString());
    WhenPickFolderShows([](frmPickFolder& dialog) { Click(dialog, "cmdOK"); });
    EXPECT_FALSE(Add(EntryKind::Library));

    // A folder of spaces only.
    dialogs->Queue(QString());
    WhenPickFolderShows([](frmPickFolder& dialog) {
        Type(dialog, "txtFolder", QStringLiteral("   "));
        Click(dialog, "cmdOK");
    });
    EXPECT_FALSE(Add(EntryKind::Library));

    // A folder chosen, then Cancel.
    dialogs->Queue(QStringLiteral("/music"));
    WhenPickFolderShows([](frmPickFolder& dialog) { Click(dialog, "cmdCancel"); });
    EXPECT_FALSE(Add(EntryKind::Library));

    // Closed by the title bar, and by Escape.
    dialogs->Queue(QStringLiteral("/music"));
    WhenPickFolderShows([](frmPickFolder& dialog) { dialog.close(); });
    EXPECT_FALSE(Add(EntryKind::Destination));
    dialogs->Queue(QStringLiteral("/music"));
    WhenPickFolderShows([](frmPickFolder& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_FALSE(Add(EntryKind::Destination));

    EXPECT_EQ(lstLibrary->Items(), QStringList{QStringLiteral("/keep")});
    EXPECT_EQ(lstLibrary->SelectedIndex(), 0);
    EXPECT_EQ(lstDestination->count(), 0);
    EXPECT_TRUE(window.findChildren<frmPickFolder*>().isEmpty());
}

TEST_F(EntriesTest, EditLibraryFillsTheDialogAndKeepsThePosition)
{
    FillList(lstLibrary, QStringLiteral("/b/Music<+>|/c"), QStringLiteral("|"));
    lstLibrary->SelectIndex(0);
    bool checked = false;
    QString folder;
    QString caption;
    bool advancedShown = true;
    WhenPickFolderShows([&](frmPickFolder& dialog) {
        caption = dialog.windowTitle();
        advancedShown = !Control<QWidget>(dialog, "cmdAdvanced")->isHidden();
        folder = Control<QLineEdit>(dialog, "txtFolder")->text();
        checked = IncludeBox(dialog)->isChecked();
        IncludeBox(dialog)->setChecked(false);
        // Sorts after /c, but an edited item stays where it is.
        Type(dialog, "txtFolder", QStringLiteral("  /d/Music  "));
        Click(dialog, "cmdOK");
    });
    EXPECT_TRUE(Edit(EntryKind::Library));
    EXPECT_TRUE(dialogs->Requests().isEmpty()) << "editing opens no browser";
    EXPECT_EQ(caption, QStringLiteral("Edit Library Entry"));
    EXPECT_FALSE(advancedShown);
    EXPECT_EQ(folder, QStringLiteral("/b/Music"));
    EXPECT_TRUE(checked);
    EXPECT_EQ(lstLibrary->Items(), (QStringList{QStringLiteral("/d/Music"), QStringLiteral("/c")}));
    EXPECT_EQ(lstLibrary->SelectedIndex(), 0);

    // "<+>" counts only at the very end; cancelling an edit keeps the item.
    FillList(lstLibrary, QStringLiteral("/x<+>/y"), QStringLiteral("|"));
    lstLibrary->SelectIndex(2);
    WhenPickFolderShows([&](frmPickFolder& dialog) {
        folder = Control<QLineEdit>(dialog, "txtFolder")->text();
        checked = IncludeBox(dialog)->isChecked();
        dialog.close();
    });
    EXPECT_FALSE(Edit(EntryKind::Library));
    EXPECT_EQ(folder, QStringLiteral("/x<+>/y"));
    EXPECT_FALSE(checked);
    EXPECT_EQ(lstLibrary->ItemText(2), QStringLiteral("/x<+>/y"));
}

TEST_F(EntriesTest, DestinationNumbersAreStoredAsPlainDecimals)
{
    // Regional settings with a decimal comma must not leak into the entries.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    struct Case
    {
        QString size, percent, entry;
    };
    const QList<Case> cases = {
        {QString(), QString(), QStringLiteral("/d,0,0")},
        {QStringLiteral("12.5"), QStringLiteral("50"), QStringLiteral("/d,12.5,50")},
        {QStringLiteral("abc"), QStringLiteral("150"), QStringLiteral("/d,0,150")},
        {QStringLiteral(" 650 MB"), QStringLiteral("33.30%"), QStringLiteral("/d,650,33.3")},
        {QStringLiteral("12,5"), QStringLiteral("-5"), QStringLiteral("/d,12,-5")},
        {QStringLiteral("007"), QStringLiteral(".5"), QStringLiteral("/d,7,0.5")},
    };
    for (const Case& c : cases) {
        lstDestination->clear();
        dialogs->Queue(QStringLiteral("/d"));
        bool includeShown = true;
        WhenPickFolderShows([&](frmPickFolder& dialog) {
            includeShown = dialog.OptionIncludeSubfolders();
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("New Dest Entry"));
            Type(dialog, "txtDestinationSize", c.size);
            Type(dialog, "txtPercNewFiles", c.percent);
            Click(dialog, "cmdOK");
        });
        EXPECT_TRUE(Add(EntryKind::Destination));
        EXPECT_FALSE(includeShown);
        EXPECT_EQ(lstDestination->Items(), QStringList{c.entry})
            << c.size.toStdString() << " / " << c.percent.toStdString();
        EXPECT_EQ(lstDestination->SelectedIndex(), 0);
    }
    QLocale::setDefault(QLocale::c());
}

TEST_F(EntriesTest, EditDestinationSplitsTheFields)
{
    FillList(lstDestination, QStringLiteral("/m,650|/n,100,25"), QStringLiteral("|"));
    lstDestination->SelectIndex(0);
    QStringList fields;
    WhenPickFolderShows([&](frmPickFolder& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Edit Dest Entry"));
        fields = {Control<QLineEdit>(dialog, "txtFolder")->text(),
                  Control<QLineEdit>(dialog, "txtDestinationSize")->text(),
                  Control<QLineEdit>(dialog, "txtPercNewFiles")->text()};
        Click(dialog, "cmdOK");
    });
    EXPECT_TRUE(Edit(EntryKind::Destination));
    EXPECT_EQ(fields, (QStringList{QStringLiteral("/m"), QStringLiteral("650"), QString()}));
    EXPECT_EQ(lstDestination->Items(),
              (QStringList{QStringLiteral("/m,650,0"), QStringLiteral("/n,100,25")}));

    lstDestination->SelectIndex(1);
    WhenPickFolderShows([&](frmPickFolder& dialog) {
        Type(dialog, "txtPercNewFiles", QStringLiteral("200"));
        Click(dialog, "cmdOK");
    });
    EXPECT_TRUE(Edit(EntryKind::Destination));
    EXPECT_EQ(lstDestination->ItemText(1), QStringLiteral("/n,100,200"));
}

TEST_F(EntriesTest, AdvancedModeAddsOneEntryPerTickedSubfolder)
{
    TempFolder root;
    for (const char* name : {"Jazz", "blues", "Rock", "Pop"})
        root.MakeFolder(QString::fromLatin1(name));
    FillList(lstLibrary, QStringLiteral("/zzz"), QStringLiteral("|"));
    lstLibrary->SelectIndex(0);

    dialogs->Queue(root.path());
    QStringList listed;
    WhenPickFolderShows([&](frmPickFolder& dialog) {
        Click(dialog, "cmdAdvanced");
        auto* list = Control<QListWidget>(dialog, "lstSubfolders");
        for (int i = 0; i < list->count(); ++i) {
            listed << list->item(i)->text();
            if (list->item(i)->text() != QStringLiteral("Pop"))
                list->item(i)->setCheckState(Qt::Checked);
        }
        IncludeBox(dialog)->setChecked(true);
        Click(dialog, "cmdOK");
    });
    EXPECT_TRUE(Add(EntryKind::Library));
    EXPECT_EQ(listed, (QStringList{QStringLiteral("blues"), QStringLiteral("Jazz"),
                                   QStringLiteral("Pop"), QStringLiteral("Rock")}));
    const QString base = root.path() + u'/';
    EXPECT_EQ(lstLibrary->Items(),
              (QStringList{base + QStringLiteral("blues<+>"), base + QStringLiteral("Jazz<+>"),
                           base + QStringLiteral("Rock<+>"), QStringLiteral("/zzz")}));
    // The selection stays on the item it was on.
    EXPECT_EQ(lstLibrary->ItemText(lstLibrary->SelectedIndex()), QStringLiteral("/zzz"));

    // Destinations take the numbers for every ticked folder; a folder with a trailing
    // separator gets no second one.
    dialogs->Queue(base);
    WhenPickFolderShows([&](frmPickFolder& dialog) {
        Type(dialog, "txtDestinationSize", QStringLiteral("100"));
        Type(dialog, "txtPercNewFiles", QStringLiteral("10"));
        Click(dialog, "cmdAdvanced");
        auto* list = Control<QListWidget>(dialog, "lstSubfolders");
        list->item(1)->setCheckState(Qt::Checked);
        list->item(3)->setCheckState(Qt::Checked);
        Click(dialog, "cmdOK");
    });
    EXPECT_TRUE(Add(EntryKind::Destination));
    EXPECT_EQ(lstDestination->Items(), (QStringList{base + QStringLiteral("Jazz,100,10"),
                                                    base + QStringLiteral("Rock,100,10")}));
    EXPECT_EQ(lstDestination->SelectedIndex(), -1);

    // Nothing ticked still counts as a change; leaving advanced mode drops the ticks and adds
    // the folder itself.
    lstDestination->clear();
    dialogs->Queue(root.path());
    WhenPickFolderShows([&](frmPickFolder& dialog) {
        Click(dialog, "cmdAdvanced");
        Click(dialog, "cmdOK");
    });
    EXPECT_TRUE(Add(EntryKind::Destination));
    EXPECT_EQ(lstDestination->count(), 0);
    dialogs->Queue(root.path());
    WhenPickFolderShows([&](frmPickFolder& dialog) {
        Click(dialog, "cmdAdvanced");
        Control<QListWidget>(dialog, "lstSubfolders")->item(0)->setCheckState(Qt::Checked);
        Click(dialog, "cmdAdvanced");
        Click(dialog, "cmdOK");
    });
    EXPECT_TRUE(Add(EntryKind::Destination));
    EXPECT_EQ(lstDestination->Items(), QStringList{root.path() + QStringLiteral(",0,0")});
}

TEST_F(EntriesTest, RemoveSelectsTheItemNowAtTheSamePlace)
{
    FillList(lstLibrary, QStringLiteral("a|b|c"), QStringLiteral("|"));
    RemoveListItem(lstLibrary, 1);
    EXPECT_EQ(lstLibrary->Items(), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
    EXPECT_EQ(lstLibrary->SelectedIndex(), 1);
    RemoveListItem(lstLibrary, 1); // the last one: the new last is selected
    EXPECT_EQ(lstLibrary->Items(), QStringList{QStringLiteral("a")});
    EXPECT_EQ(lstLibrary->SelectedIndex(), 0);
    RemoveListItem(lstLibrary, 0);
    EXPECT_EQ(lstLibrary->count(), 0);
    EXPECT_EQ(lstLibrary->SelectedIndex(), -1);
    EXPECT_EQ(lstLibrary->currentRow(), -1);

    FillList(lstDestination, QStringLiteral("x,1,1|y,2,2"), QStringLiteral("|"));
    RemoveListItem(lstDestination, 0);
    EXPECT_EQ(lstDestination->Items(), QStringList{QStringLiteral("y,2,2")});
    EXPECT_EQ(lstDestination->SelectedIndex(), 0);
    EXPECT_THROW(RemoveListItem(lstDestination, 1), AppError);
    EXPECT_THROW(RemoveListItem(lstDestination, -1), AppError);
    EXPECT_EQ(lstDestination->count(), 1);
}

TEST_F(EntriesTest, FillAndJoinLists)
{
    FillList(lstLibrary, QStringLiteral("a||b"), QStringLiteral("|"));
    EXPECT_EQ(lstLibrary->Items(),
              (QStringList{QString(), QStringLiteral("a"), QStringLiteral("b")}));
    lstLibrary->clear();
    FillList(lstLibrary, QStringLiteral("   "), QStringLiteral("|"));
    FillList(lstLibrary, QString(), QStringLiteral("|"));
    EXPECT_EQ(lstLibrary->count(), 0);
    EXPECT_EQ(JoinList(lstLibrary, QStringLiteral("|")), QString());

    // Sorted without regard to case; a trailing delimiter gives a last empty piece.
    FillList(lstLibrary, QStringLiteral("b|A|c|"), QStringLiteral("|"));
    EXPECT_EQ(JoinList(lstLibrary, QStringLiteral("|")), QStringLiteral("|A|b|c"));
    EXPECT_EQ(JoinList(lstLibrary, QStringLiteral(" :: ")), QStringLiteral(" :: A :: b :: c"));

    // A delimiter of several characters; spaces inside entries are kept.
    lstDestination->clear();
    FillList(lstDestination, QStringLiteral(" /my music ,1,2<>/x,0,0"), QStringLiteral("<>"));
    EXPECT_EQ(JoinList(lstDestination, QStringLiteral("|")),
              QStringLiteral(" /my music ,1,2|/x,0,0"));
}
