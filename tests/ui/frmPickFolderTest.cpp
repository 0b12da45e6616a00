#include "ui/frmPickFolder.h"
#include "support/Dialogs.h"
#include "tests/common/TestSupport.h"
#include "tests/ui/PickFolderDriver.h"
#include "ui/QtDialogAnswerer.h"

#include <QLabel>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace {

QRect Geometry(QWidget& dialog, const char* name)
{
    QWidget* w = Control<QWidget>(dialog, name);
    return w ? w->geometry() : QRect();
}

bool Hidden(QWidget& dialog, const char* name)
{
    return Control<QWidget>(dialog, name)->isHidden();
}

QStringList ItemTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// With PENDRIFT_SCREENSHOTS set to a folder, the dialog is saved there as a picture to look at.
void Screenshot(QWidget& dialog, const QString& name)
{
    const QString folder = qEnvironmentVariable("PENDRIFT_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    dialog.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.grab().save(folder + u'/' + name));
}

} // namespace

TEST(frmPickFolder, LayoutInPixelsAndTheTwoOptionRows)
{
    frmPickFolder dialog;
    EXPECT_FALSE(dialog.Accepted());
    EXPECT_FALSE(dialog.AdvancedMode());
    // 5715 x 1305 twips, wider only by what the button column needs for its captions; a few
    // rows in pixels (twips / 15).
    auto* advanced = Control<QPushButton>(dialog, "cmdAdvanced");
    const int extra = Geometry(dialog, "cmdOK").width() - 79;
    EXPECT_GE(extra, 0);
    EXPECT_EQ(dialog.size(), QSize(381 + extra, 87));
    EXPECT_EQ(Geometry(dialog, "txtFolder"), QRect(3, 18, 253, 22));
    EXPECT_EQ(Geometry(dialog, "cmdAdvanced"), QRect(297, 54, 79 + extra, 22));
    EXPECT_EQ(Geometry(dialog, "chkIncludeSubfolders"), QRect(6, 51, 226, 16));
    EXPECT_EQ(Geometry(dialog, "lstSubfolders"), QRect(0, 15, 370 + extra, 147));
    EXPECT_EQ(advanced->text(), u"Advanced >>"_s);
    EXPECT_GE(advanced->width(), advanced->sizeHint().width());
    dialog.setAdvancedMode(true);
    EXPECT_GE(advanced->width(), advanced->sizeHint().width());
    EXPECT_EQ(dialog.size(), QSize(381 + extra, 250));
    dialog.setAdvancedMode(false);
    EXPECT_EQ(Control<QPushButton>(dialog, "cmdFolder")->toolTip(), u"Browse"_s);
    EXPECT_TRUE(Control<QPushButton>(dialog, "cmdOK")->isDefault());

    // Neither option set shows until the dialog is configured.
    EXPECT_FALSE(dialog.OptionIncludeSubfolders());
    EXPECT_FALSE(dialog.OptionMaxSize());
    EXPECT_TRUE(Hidden(dialog, "grpSubfolders"));
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));
    EXPECT_FALSE(dialog.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    // Each option set shows its own row.
    dialog.setOptionMaxSize(true);
    EXPECT_TRUE(dialog.OptionMaxSize());
    EXPECT_TRUE(Hidden(dialog, "chkIncludeSubfolders"));
    // The row holds its four controls left to right without overlapping, each label wide
    // enough for its text, all left of the buttons.
    int right = 0;
    for (const char* name :
         {"lblDestinationSize", "txtDestinationSize", "lblPercNewFiles", "txtPercNewFiles"}) {
        EXPECT_FALSE(Hidden(dialog, name)) << name;
        const QRect r = Geometry(dialog, name);
        EXPECT_GT(r.left(), right) << name;
        EXPECT_LT(r.right(), 297) << name;
        right = r.right();
        if (auto* label = qobject_cast<QLabel*>(Control<QWidget>(dialog, name))) {
            EXPECT_GE(r.width(), label->fontMetrics().horizontalAdvance(label->text())) << name;
        }
    }
    Screenshot(dialog, u"pickfolder-destination-simple.png"_s);

    dialog.setOptionMaxSize(false);
    dialog.setOptionIncludeSubfolders(true);
    EXPECT_FALSE(dialog.OptionMaxSize());
    EXPECT_TRUE(dialog.OptionIncludeSubfolders());
    EXPECT_TRUE(Hidden(dialog, "txtPercNewFiles"));
    Screenshot(dialog, u"pickfolder-library-simple.png"_s);
}

TEST(frmPickFolder, AdvancedModeListsSubfoldersAndLocksTheFolder)
{
    TempFolder root;
    for (const QString& name : {u"beta"_s, u"Alpha"_s, u"gamma/deeper"_s})
        root.MakeFolder(name);
    root.Write(u"song.mp3"_s, "x");

    frmPickFolder dialog;
    dialog.setOptionIncludeSubfolders(true);
    auto* folder = Control<QLineEdit>(dialog, "txtFolder");
    auto* list = Control<QListWidget>(dialog, "lstSubfolders");
    folder->setText(root.path());
    // Simple and advanced mode, twice over: the ticks are kept but hidden in simple mode.
    for (const bool advanced : {true, false}) {
        Click(dialog, "cmdAdvanced");
        EXPECT_EQ(dialog.AdvancedMode(), advanced);
        EXPECT_EQ(dialog.height(), advanced ? 250 : 87);
        EXPECT_EQ(Hidden(dialog, "grpSubfolders"), !advanced);
        EXPECT_EQ(Control<QPushButton>(dialog, "cmdAdvanced")->text(),
                  advanced ? u"<< Advanced"_s : u"Advanced >>"_s);
        EXPECT_EQ(folder->isEnabled(), !advanced);
        EXPECT_EQ(Control<QWidget>(dialog, "cmdFolder")->isEnabled(), !advanced);
        if (!advanced)
            break;
        // Immediate subfolders only, no files, each unticked.
        EXPECT_EQ(ItemTexts(list), (QStringList{u"Alpha"_s, u"beta"_s, u"gamma"_s}));
        for (int i = 0; i < list->count(); ++i)
            EXPECT_EQ(list->item(i)->checkState(), Qt::Unchecked);
        list->item(0)->setCheckState(Qt::Checked);
        list->item(2)->setCheckState(Qt::Checked);
        EXPECT_EQ(dialog.TickedSubfolders(), (QStringList{u"Alpha"_s, u"gamma"_s}));
        Screenshot(dialog, u"pickfolder-library-advanced.png"_s);
    }
    EXPECT_EQ(dialog.TickedSubfolders().size(), 2);

    // Entering again lists the folder afresh, unticked; a missing folder lists nothing.
    folder->setText(root / u"missing"_s);
    dialog.setAdvancedMode(true);
    EXPECT_EQ(list->count(), 0);
    dialog.setAdvancedMode(false);
    folder->setText(root.path());
    dialog.setAdvancedMode(true);
    EXPECT_EQ(list->count(), 3);
    EXPECT_TRUE(dialog.TickedSubfolders().isEmpty());

    // Without a folder it lists the root.
    dialog.setAdvancedMode(false);
    folder->setText(u"   "_s);
    dialog.setAdvancedMode(true);
    EXPECT_EQ(folder->text(), u"/"_s);
    EXPECT_TRUE(ItemTexts(list).contains(u"tmp"_s));
    EXPECT_TRUE(ItemTexts(list).contains(u"usr"_s));
}

TEST(frmPickFolder, OkCancelAndCloseOnlyHide)
{
    frmPickFolder dialog;
    // A close request from outside the program is refused and counts as Cancel, as does
    // Escape; Enter in a field is OK.
    const std::pair<std::function<void()>, bool> cases[] = {
        {[&] { Click(dialog, "cmdOK"); }, true},
        {[&] { Click(dialog, "cmdCancel"); }, false},
        {[&] { EXPECT_FALSE(dialog.close()); }, false},
        {[&] { QTest::keyClick(&dialog, Qt::Key_Escape); }, false},
        {[&] {
             QApplication::setActiveWindow(&dialog);
             Control<QLineEdit>(dialog, "txtFolder")->setFocus();
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
         },
         true},
    };
    for (const auto& [act, accepted] : cases) {
        dialog.setAccepted(!accepted);
        dialog.show();
        act();
        EXPECT_EQ(dialog.Accepted(), accepted);
        EXPECT_FALSE(dialog.isVisible());
    }

    // Only the program's own close goes through: a dialog that deletes itself on close
    // survives the user's close and not the program's.
    QPointer<frmPickFolder> doomed = new frmPickFolder;
    doomed->setAttribute(Qt::WA_DeleteOnClose);
    doomed->show();
    doomed->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(doomed.isNull());
    doomed->show();
    doomed->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(doomed.isNull());
}

TEST(frmPickFolder, FolderBrowserStartsAtTheFieldAndKeepsItOnCancel)
{
    ScriptedDialogs dialogs;
    frmPickFolder dialog;
    auto* folder = Control<QLineEdit>(dialog, "txtFolder");
    folder->setText(u"/srv/music"_s);
    QWidget* ownerDuringBrowse = nullptr;
    dialogs->onRequest = [&](const DialogRequest&) {
        ownerDuringBrowse = QtDialogAnswerer::Owner();
    };
    dialogs->Queue(u"/srv/music/Jazz"_s);
    dialogs->Queue(QString());

    Click(dialog, "cmdFolder");
    EXPECT_EQ(folder->text(), u"/srv/music/Jazz"_s);
    EXPECT_EQ(ownerDuringBrowse, &dialog);
    EXPECT_EQ(QtDialogAnswerer::Owner(), nullptr) << "the browser's owner is given back";
    dialog.ShowFolderBrowser(); // cancelled
    EXPECT_EQ(folder->text(), u"/srv/music/Jazz"_s);

    ASSERT_EQ(dialogs->Requests().size(), 2);
    for (const DialogRequest& request : dialogs->Requests()) {
        EXPECT_EQ(request.kind, DialogRequest::Kind::Folder);
        EXPECT_EQ(request.text, u"Select the folder:"_s);
    }
    EXPECT_EQ(dialogs->Requests().at(0).initialFolder, u"/srv/music"_s);
    EXPECT_EQ(dialogs->Requests().at(1).initialFolder, u"/srv/music/Jazz"_s);
}
