#include "tests/ui/MainWindowFixture.h"
#include "tests/ui/PickFolderDriver.h"
#include "ui/SortedList.h"

#include <QLabel>

using namespace Qt::StringLiterals;

// The entry buttons, the double-click and the Help menu's helper act on the window's own job.
TEST_F(MainWindowTest, EntryButtonsEditTheJobAndMarkItModified)
{
    frmMain& w = Open();
    w.show();
    SortedList* destinations = Find<SortedList>("lstDestination");
    const QString entry = u"/media/stick/Music,650,25"_s;
    dialogs->Queue(u"/media/stick/Music"_s);
    WhenPickFolderShows([](frmPickFolder& dialog) {
        Type(dialog, "txtDestinationSize", u"650"_s);
        Type(dialog, "txtPercNewFiles", u"25"_s);
        Click(dialog, "cmdOK");
    });
    Press("cmdDestinationAdd");
    EXPECT_EQ(destinations->Items(), QStringList{entry});
    EXPECT_TRUE(w.IsModified());

    // Edit through a double-click; Cancel leaves the job as it was.
    w.ResetSettings(false);
    destinations->AddItem(entry);
    destinations->SelectIndex(0);
    WhenPickFolderShows([](frmPickFolder& dialog) { Click(dialog, "cmdCancel"); });
    Q_EMIT destinations->itemDoubleClicked(destinations->item(0));
    EXPECT_FALSE(w.IsModified());

    // Edit and Remove without a selection do nothing; with one, Remove takes it out.
    for (const int selected : {-1, 0}) {
        destinations->SelectIndex(selected);
        if (selected < 0)
            Press("cmdDestinationEdit");
        Press("cmdDestinationRemove");
        EXPECT_EQ(destinations->count(), selected < 0 ? 1 : 0);
        EXPECT_EQ(w.IsModified(), selected == 0);
    }
}

TEST_F(MainWindowTest, ArchiveBitHelperFromTheHelpMenu)
{
    Open();
    dialogs->Queue(MsgResult::OK);
    Menu("mnuHelp_4")->trigger();
    ASSERT_EQ(dialogs->Requests().size(), 1);
    EXPECT_EQ(dialogs->Requests().at(0).text, u"There are no libraries to search."_s);

    // With a library, the date question comes up; cancelling it leaves the window as it was.
    Find<SortedList>("lstLibrary")->AddItem(u"/nowhere"_s);
    dialogs->Queue(QString());
    Menu("mnuHelp_4")->trigger();
    EXPECT_EQ(dialogs->Requests().at(1).caption, u"Archive Bit Helper"_s);
    EXPECT_EQ(Find<QLabel>("lblStatus")->text(), QString());
    EXPECT_FALSE(Find<QWidget>("picProgressBar")->isVisible());
}
