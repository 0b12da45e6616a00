#include "ui/Entries.h"
#include "base/AppError.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/JobPanel.h"

#include <QLocale>
#include <QSignalSpy>

using namespace Qt::StringLiterals;

namespace {

// The window's entry buttons, with the folder entry dialog driven by each test.
class EntriesTest : public MainWindowTest
{
protected:
    void SetUp() override { Open().show(); }
    // Presses the button with the dialog driven by act; true when the job changed.
    bool Use(const char* button, std::function<void(frmPickFolder&)> act)
    {
        const QSignalSpy changed(window->findChild<JobPanel*>(), &JobPanel::modified);
        WhenShown<frmPickFolder>(std::move(act));
        Press(button);
        return !changed.isEmpty();
    }
    SortedList* List(const char* name, const QString& items = {}, int selected = -1) const
    {
        auto* list = Find<SortedList>(name);
        for (const QString& item : items.split(u'|', Qt::SkipEmptyParts))
            list->AddItem(item);
        list->SelectIndex(selected);
        return list;
    }
};

void Tick(frmPickFolder& dialog, const QList<int>& rows)
{
    for (const int row : rows)
        dialog.findChild<QListWidget*>(u"lstSubfolders"_s)->item(row)->setCheckState(Qt::Checked);
}

} // namespace

// Add opens the browser first, then the dialog over the window. A blank folder or Cancel adds
// nothing; OK adds the entry in its sorted place and selects it.
TEST_F(EntriesTest, AddStartsWithTheBrowserAndSelectsTheNewItem)
{
    SortedList* library = List("lstLibrary", u"/a|/z"_s, 0);
    for (const char* button : {"cmdLibraryAdd", "cmdDestinationAdd"}) {
        dialogs->Queue(QString()); // the browser cancelled, then spaces typed
        EXPECT_FALSE(Use(button, [](frmPickFolder& d) {
            d.txtFolder()->setText(u"   "_s);
            Click(d, "cmdOK");
        }));
        dialogs->Queue(u"/music"_s);
        EXPECT_FALSE(Use(button, [](frmPickFolder& d) { Click(d, "cmdCancel"); }));
        dialogs->Queue(u"/a|b"_s);
        dialogs->Queue(MsgResult::OK);
        EXPECT_FALSE(Use(button, [](frmPickFolder& d) { Click(d, "cmdOK"); }));
        ExpectBox(dialogs->Requests().last(), u"A folder name cannot contain |."_s,
                  MsgIcon::Exclamation);
    }
    EXPECT_EQ(Find<SortedList>("lstDestination")->count(), 0);

    dialogs->Queue(u"/music/Rock"_s);
    EXPECT_TRUE(Use("cmdLibraryAdd", [&](frmPickFolder& dialog) {
        EXPECT_EQ(dialog.windowTitle(), u"New Library Entry"_s);
        EXPECT_FALSE(dialog.cmdAdvanced()->isHidden());
        EXPECT_TRUE(dialog.OptionIncludeSubfolders() && !dialog.OptionMaxSize());
        EXPECT_EQ(dialog.parentWidget(), window.get());
        EXPECT_EQ(dialog.txtFolder()->text(), u"/music/Rock"_s);
        dialog.chkIncludeSubfolders()->setChecked(true);
        Click(dialog, "cmdOK");
    }));
    EXPECT_EQ(library->Items(), (QStringList{u"/a"_s, u"/music/Rock<+>"_s, u"/z"_s}));
    EXPECT_EQ(library->SelectedIndex(), 1);
    EXPECT_TRUE(window->findChildren<frmPickFolder*>().isEmpty());
}

// Editing opens no browser, fills the dialog from the selected item and keeps its position;
// without a selection Edit does nothing. A double-click edits too.
TEST_F(EntriesTest, EditFillsTheDialogAndKeepsThePosition)
{
    SortedList* library = List("lstLibrary", u"/b/Music<+>|/c"_s);
    Press("cmdLibraryEdit");
    library->SelectIndex(0);
    EXPECT_TRUE(Use("cmdLibraryEdit", [&](frmPickFolder& dialog) {
        EXPECT_EQ(dialog.windowTitle(), u"Edit Library Entry"_s);
        EXPECT_TRUE(dialog.cmdAdvanced()->isHidden());
        EXPECT_EQ(dialog.txtFolder()->text(), u"/b/Music"_s);
        dialog.chkIncludeSubfolders()->toggle();        // was ticked
        dialog.txtFolder()->setText(u"  /d/Music  "_s); // sorts after /c
        Click(dialog, "cmdOK");
    }));
    EXPECT_EQ(library->Items(), (QStringList{u"/d/Music"_s, u"/c"_s}));
    EXPECT_EQ(library->SelectedIndex(), 0);

    // The numbers are stored as plain decimals, whatever the regional settings.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    SortedList* destinations = List("lstDestination", u"/n,100,25"_s, 0);
    WhenShown<frmPickFolder>([&](frmPickFolder& dialog) {
        EXPECT_EQ(dialog.windowTitle(), u"Edit Dest Entry"_s);
        EXPECT_EQ(dialog.txtDestinationSize()->text() + u'|' + dialog.txtPercNewFiles()->text(),
                  u"100|25"_s);
        dialog.txtDestinationSize()->setText(u"12.5"_s);
        dialog.txtPercNewFiles()->setText(u"33,30%"_s);
        Click(dialog, "cmdOK");
    });
    Q_EMIT destinations->itemDoubleClicked(destinations->item(0));
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(destinations->Items(), QStringList{u"/n,12.5,33"_s});
}

TEST_F(EntriesTest, AdvancedModeAddsOneEntryPerTickedSubfolder)
{
    TempFolder root;
    for (const QString& name : {u"Jazz"_s, u"blues"_s, u"Rock"_s, u"Pop"_s})
        root.MakeFolder(name);
    const QString base = root.path() + u'/';
    SortedList* library = List("lstLibrary", u"/zzz"_s, 0);
    dialogs->Queue(root.path());
    EXPECT_TRUE(Use("cmdLibraryAdd", [&](frmPickFolder& dialog) {
        Click(dialog, "cmdAdvanced");
        Tick(dialog, {0, 1, 3}); // blues, Jazz, (Pop,) Rock
        dialog.chkIncludeSubfolders()->setChecked(true);
        Click(dialog, "cmdOK");
    }));
    EXPECT_EQ(library->Items(), (QStringList{base + u"blues<+>"_s, base + u"Jazz<+>"_s,
                                             base + u"Rock<+>"_s, u"/zzz"_s}));

    // Destinations take the numbers for every ticked folder, and nothing is selected; a folder
    // with a trailing separator gets no second one. Leaving advanced mode drops the ticks and
    // adds the folder itself.
    SortedList* destinations = List("lstDestination");
    for (const auto& [ticks, leave, added] :
         {std::tuple{QList<int>{1, 3}, false,
                     QStringList{base + u"Jazz,100,10"_s, base + u"Rock,100,10"_s}},
          {QList<int>{0}, true, QStringList{root.path() + u",100,10"_s}}}) {
        destinations->clear();
        dialogs->Queue(leave ? root.path() : base);
        EXPECT_TRUE(Use("cmdDestinationAdd", [&](frmPickFolder& dialog) {
            EXPECT_EQ(dialog.windowTitle(), u"New Dest Entry"_s);
            dialog.txtDestinationSize()->setText(u"100"_s);
            dialog.txtPercNewFiles()->setText(u"10"_s);
            Click(dialog, "cmdAdvanced");
            Tick(dialog, ticks);
            if (leave)
                Click(dialog, "cmdAdvanced");
            Click(dialog, "cmdOK");
        }));
        EXPECT_EQ(destinations->Items(), added);
        EXPECT_EQ(destinations->SelectedIndex(), leave ? 0 : -1);
    }
}

TEST_F(EntriesTest, RemoveSelectsTheNextOrTheNewLastItem)
{
    SortedList* library = List("lstLibrary", u"a|b|c"_s);
    const QSignalSpy changed(window->findChild<JobPanel*>(), &JobPanel::modified);
    Press("cmdLibraryRemove"); // nothing selected: nothing to do
    for (const auto& [index, left, selected] : {std::tuple{1, QStringList{u"a"_s, u"c"_s}, 1},
                                                {1, QStringList{u"a"_s}, 0},
                                                {0, QStringList{}, -1}}) {
        library->SelectIndex(index);
        Press("cmdLibraryRemove");
        EXPECT_EQ(library->Items(), left);
        EXPECT_EQ(library->SelectedIndex(), selected);
    }
    EXPECT_EQ(changed.count(), 3);
    EXPECT_THROW(RemoveListItem(library, 0), AppError);
    EXPECT_THROW(RemoveListItem(library, -1), AppError);
}
