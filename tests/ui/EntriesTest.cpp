#include "ui/Entries.h"
#include "support/AppError.h"
#include "tests/ui/MainWindowFixture.h"
#include "tests/ui/PickFolderDriver.h"
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
        WhenPickFolderShows(std::move(act));
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

QString Text(frmPickFolder& dialog, const char* field)
{
    return Control<QLineEdit>(dialog, field)->text();
}
QCheckBox* IncludeBox(frmPickFolder& dialog)
{
    return Control<QCheckBox>(dialog, "chkIncludeSubfolders");
}
void Tick(frmPickFolder& dialog, const QList<int>& rows)
{
    for (const int row : rows)
        Control<QListWidget>(dialog, "lstSubfolders")->item(row)->setCheckState(Qt::Checked);
}

} // namespace

TEST_F(EntriesTest, AddLibraryStartsWithTheBrowserAndSelectsTheNewItem)
{
    SortedList* library = List("lstLibrary", u"/a|/z"_s, 1);
    dialogs->Queue(u"/music/Rock"_s);
    EXPECT_TRUE(Use("cmdLibraryAdd", [&](frmPickFolder& dialog) {
        EXPECT_EQ(dialog.windowTitle(), u"New Library Entry"_s);
        EXPECT_FALSE(Control<QWidget>(dialog, "cmdAdvanced")->isHidden());
        EXPECT_TRUE(dialog.OptionIncludeSubfolders() && !dialog.OptionMaxSize());
        EXPECT_EQ(dialog.parentWidget(), window.get());
        EXPECT_EQ(Text(dialog, "txtFolder"), u"/music/Rock"_s);
        IncludeBox(dialog)->setChecked(true);
        Click(dialog, "cmdOK");
    }));
    EXPECT_EQ(LastRequest().kind, DialogRequest::Kind::Folder);
    EXPECT_EQ(LastRequest().initialFolder, QString());
    EXPECT_EQ(library->Items(), (QStringList{u"/a"_s, u"/music/Rock<+>"_s, u"/z"_s}));
    EXPECT_EQ(library->SelectedIndex(), 1);
    EXPECT_TRUE(window->findChildren<frmPickFolder*>().isEmpty());
}

TEST_F(EntriesTest, CancelledAddsChangeNothing)
{
    SortedList* library = List("lstLibrary", u"/keep"_s, 0);
    // Browser cancelled then OK on the empty field; spaces only; Cancel; the title bar.
    const std::pair<QString, std::function<void(frmPickFolder&)>> cases[] = {
        {QString(), [](frmPickFolder& d) { Click(d, "cmdOK"); }},
        {QString(),
         [](frmPickFolder& d) {
             Type(d, "txtFolder", u"   "_s);
             Click(d, "cmdOK");
         }},
        {u"/music"_s, [](frmPickFolder& d) { Click(d, "cmdCancel"); }},
        {u"/music"_s, [](frmPickFolder& d) { d.close(); }},
    };
    for (const char* button : {"cmdLibraryAdd", "cmdDestinationAdd"}) {
        for (const auto& [browsed, act] : cases) {
            dialogs->Queue(browsed);
            EXPECT_FALSE(Use(button, act));
        }
    }
    EXPECT_EQ(library->Items(), QStringList{u"/keep"_s});
    EXPECT_EQ(library->SelectedIndex(), 0);
    EXPECT_EQ(Find<SortedList>("lstDestination")->count(), 0);
}

// Editing opens no browser, fills the dialog from the selected item and keeps its position;
// without a selection Edit does nothing.
TEST_F(EntriesTest, EditFillsTheDialogAndKeepsThePosition)
{
    SortedList* library = List("lstLibrary", u"/b/Music<+>|/c|/x<+>/y"_s);
    Press("cmdLibraryEdit");
    library->SelectIndex(0);
    EXPECT_TRUE(Use("cmdLibraryEdit", [&](frmPickFolder& dialog) {
        EXPECT_EQ(dialog.windowTitle(), u"Edit Library Entry"_s);
        EXPECT_TRUE(Control<QWidget>(dialog, "cmdAdvanced")->isHidden());
        EXPECT_EQ(Text(dialog, "txtFolder"), u"/b/Music"_s);
        IncludeBox(dialog)->toggle();                 // was ticked
        Type(dialog, "txtFolder", u"  /d/Music  "_s); // sorts after /c
        Click(dialog, "cmdOK");
    }));
    EXPECT_EQ(library->Items(), (QStringList{u"/d/Music"_s, u"/c"_s, u"/x<+>/y"_s}));
    EXPECT_EQ(library->SelectedIndex(), 0);
    // "<+>" counts only at the very end; cancelling an edit keeps the item.
    library->SelectIndex(2);
    EXPECT_FALSE(Use("cmdLibraryEdit", [&](frmPickFolder& dialog) {
        EXPECT_EQ(Text(dialog, "txtFolder"), u"/x<+>/y"_s);
        EXPECT_FALSE(IncludeBox(dialog)->isChecked());
        dialog.close();
    }));
    EXPECT_EQ(library->ItemText(2), u"/x<+>/y"_s);

    // A double-click edits too.
    SortedList* destinations = List("lstDestination", u"/m,650|/n,100,25"_s);
    for (const int row : {0, 1}) {
        destinations->SelectIndex(row);
        WhenPickFolderShows([&](frmPickFolder& dialog) {
            EXPECT_EQ(dialog.windowTitle(), u"Edit Dest Entry"_s);
            EXPECT_EQ((QStringList{Text(dialog, "txtFolder"), Text(dialog, "txtDestinationSize"),
                                   Text(dialog, "txtPercNewFiles")}),
                      (row == 0 ? QStringList{u"/m"_s, u"650"_s, QString()}
                                : QStringList{u"/n"_s, u"100"_s, u"25"_s}));
            Type(dialog, "txtPercNewFiles", row == 0 ? QString() : u"200"_s);
            Click(dialog, "cmdOK");
        });
        Q_EMIT destinations->itemDoubleClicked(destinations->item(row));
    }
    EXPECT_EQ(destinations->Items(), (QStringList{u"/m,650,0"_s, u"/n,100,200"_s}));
}

TEST_F(EntriesTest, DestinationNumbersAreStoredAsPlainDecimals)
{
    // Regional settings with a decimal comma must not leak into the entries.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    SortedList* destinations = List("lstDestination");
    const QStringList cases[] = {
        {QString(), QString(), u"/d,0,0"_s}, {u"12.5"_s, u"50"_s, u"/d,12.5,50"_s},
        {u"abc"_s, u"150"_s, u"/d,0,150"_s}, {u" 650 MB"_s, u"33.30%"_s, u"/d,650,33.3"_s},
        {u"12,5"_s, u"-5"_s, u"/d,12,-5"_s}, {u"007"_s, u".5"_s, u"/d,7,0.5"_s},
    };
    for (const QStringList& c : cases) {
        destinations->clear();
        dialogs->Queue(u"/d"_s);
        EXPECT_TRUE(Use("cmdDestinationAdd", [&](frmPickFolder& dialog) {
            EXPECT_EQ(dialog.windowTitle(), u"New Dest Entry"_s);
            Type(dialog, "txtDestinationSize", c[0]);
            Type(dialog, "txtPercNewFiles", c[1]);
            Click(dialog, "cmdOK");
        }));
        EXPECT_EQ(destinations->Items(), QStringList{c[2]}) << c.join(u'/').toStdString();
        EXPECT_EQ(destinations->SelectedIndex(), 0);
    }
    QLocale::setDefault(QLocale::c());
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
        IncludeBox(dialog)->setChecked(true);
        Click(dialog, "cmdOK");
    }));
    EXPECT_EQ(library->Items(), (QStringList{base + u"blues<+>"_s, base + u"Jazz<+>"_s,
                                             base + u"Rock<+>"_s, u"/zzz"_s}));
    // The selection stays on the item it was on.
    EXPECT_EQ(library->ItemText(library->SelectedIndex()), u"/zzz"_s);

    // Destinations take the numbers for every ticked folder; a folder with a trailing
    // separator gets no second one. Nothing ticked still counts as a change; leaving advanced
    // mode drops the ticks and adds the folder itself.
    SortedList* destinations = List("lstDestination");
    for (const auto& [ticks, leave, added] :
         {std::tuple{QList<int>{1, 3}, false,
                     QStringList{base + u"Jazz,100,10"_s, base + u"Rock,100,10"_s}},
          {QList<int>{}, false, QStringList{}},
          {QList<int>{0}, true, QStringList{root.path() + u",100,10"_s}}}) {
        destinations->clear();
        dialogs->Queue(leave ? root.path() : base);
        EXPECT_TRUE(Use("cmdDestinationAdd", [&](frmPickFolder& dialog) {
            Type(dialog, "txtDestinationSize", u"100"_s);
            Type(dialog, "txtPercNewFiles", u"10"_s);
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
    EXPECT_TRUE(changed.isEmpty());
    for (const auto& [index, left, selected] : {std::tuple{1, QStringList{u"a"_s, u"c"_s}, 1},
                                                {1, QStringList{u"a"_s}, 0},
                                                {0, QStringList{}, -1}}) {
        library->SelectIndex(index);
        Press("cmdLibraryRemove");
        EXPECT_EQ(library->Items(), left);
        EXPECT_EQ(library->SelectedIndex(), selected);
    }
    EXPECT_EQ(changed.count(), 3);
    EXPECT_EQ(library->currentRow(), -1);
    EXPECT_THROW(RemoveListItem(library, 0), AppError);
    EXPECT_THROW(RemoveListItem(library, -1), AppError);
}
