#include "MainWindowFixture.h"
#include "PickFolderDriver.h"
#include "SortedList.h"

#include <QLabel>

// The entry buttons, the double-click and the Help menu's helper act on the window's own job.
TEST_F(MainWindowTest, EntryButtonsEditTheJobAndMarkItModified)
{
    ScriptedDialogs dialogs;
    frmMain& w = Open();
    w.show();
    SortedList* destinations = Find<SortedList>("lstDestination");

    dialogs->Queue(QStringLiteral("/media/stick/Music"));
    WhenPickFolderShows([](frmPickFolder& dialog) {
        Type(dialog, "txtDestinationSize", QStringLiteral("650"));
        Type(dialog, "txtPercNewFiles", QStringLiteral("25"));
        Click(dialog, "cmdOK");
    });
    QTest::mouseClick(Find<QPushButton>("cmdDestinationAdd"), Qt::LeftButton);
    EXPECT_EQ(destinations->Items(), QStringList{QStringLiteral("/media/stick/Music,650,25")});
    EXPECT_TRUE(w.IsModified());

    // Edit through a double-click; Cancel leaves the job as it was.
    w.ResetSettings(false);
    destinations->AddItem(QStringLiteral("/media/stick/Music,650,25"));
    destinations->SelectIndex(0);
    WhenPickFolderShows([](frmPickFolder& dialog) { Click(dialog, "cmdCancel"); });
    emit destinations->itemDoubleClicked(destinations->item(0));
    EXPECT_FALSE(w.IsModified());

    // Edit and Remove without a selection do nothing; with one, Remove takes it out.
    destinations->SelectIndex(-1);
    QTest::mouseClick(Find<QPushButton>("cmdDestinationEdit"), Qt::LeftButton);
    QTest::mouseClick(Find<QPushButton>("cmdDestinationRemove"), Qt::LeftButton);
    EXPECT_EQ(destinations->count(), 1);
    EXPECT_FALSE(w.IsModified());
    destinations->SelectIndex(0);
    QTest::mouseClick(Find<QPushButton>("cmdDestinationRemove"), Qt::LeftButton);
    EXPECT_EQ(destinations->count(), 0);
    EXPECT_TRUE(w.IsModified());
}

TEST_F(MainWindowTest, ArchiveBitHelperFromTheHelpMenu)
{
    ScriptedDialogs dialogs;
    Open();
    dialogs->Queue(MsgResult::OK);
    Menu("mnuHelp_4")->trigger();
    ASSERT_EQ(dialogs->Requests().size(), 1);
    EXPECT_EQ(dialogs->Requests().at(0).text, QStringLiteral("There are no libraries to search."));

    // With a library, the date question comes up; cancelling it leaves the window as it was.
    Find<SortedList>("lstLibrary")->AddItem(QStringLiteral("/nowhere"));
    dialogs->Queue(QString());
    Menu("mnuHelp_4")->trigger();
    EXPECT_EQ(dialogs->Requests().at(1).caption, QStringLiteral("Archive Bit Helper"));
    EXPECT_EQ(Find<QLabel>("lblStatus")->text(), QString());
    EXPECT_FALSE(Find<QWidget>("picProgressBar")->isVisible());
}
