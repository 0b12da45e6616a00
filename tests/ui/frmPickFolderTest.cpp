#include "ui/frmPickFolder.h"
#include "base/Dialogs.h"
#include "tests/common/TestSupport.h"
#include "tests/ui/PickFolderDriver.h"
#include "ui/QtDialogAnswerer.h"

#include <QLabel>
#include <QPointer>

using namespace Qt::StringLiterals;

TEST(frmPickFolder, EachOptionRowFitsItsCaptionsLeftOfTheButtons)
{
    frmPickFolder dialog;
    EXPECT_FALSE(dialog.Accepted() || dialog.AdvancedMode());
    // The button column is wide enough for both captions of the Advanced button.
    QPushButton* advanced = dialog.cmdAdvanced();
    for (const bool mode : {true, false}) {
        dialog.setAdvancedMode(mode);
        EXPECT_GE(advanced->width(), advanced->sizeHint().width()) << mode;
    }

    // Neither option row shows until the dialog is configured; then each shows its own.
    EXPECT_FALSE(dialog.OptionIncludeSubfolders() || dialog.OptionMaxSize());
    dialog.setOptionMaxSize(true);
    EXPECT_TRUE(dialog.OptionMaxSize() && dialog.chkIncludeSubfolders()->isHidden());
    // Its four controls left to right without overlapping, each label wide enough for its
    // text, all left of the buttons.
    int right = 0;
    for (const char* name :
         {"lblDestinationSize", "txtDestinationSize", "lblPercNewFiles", "txtPercNewFiles"}) {
        const QRect r = Control<QWidget>(dialog, name)->geometry();
        EXPECT_TRUE(r.left() > right && r.right() < advanced->x()) << name;
        right = r.right();
        const auto* label = qobject_cast<QLabel*>(Control<QWidget>(dialog, name));
        EXPECT_TRUE(!label || r.width() >= label->fontMetrics().horizontalAdvance(label->text()))
            << name;
    }

    dialog.setOptionMaxSize(false);
    dialog.setOptionIncludeSubfolders(true);
    EXPECT_TRUE(dialog.OptionIncludeSubfolders() && !dialog.OptionMaxSize() &&
                dialog.txtPercNewFiles()->isHidden());
}

TEST(frmPickFolder, AdvancedModeListsSubfoldersAndLocksTheFolder)
{
    TempFolder root;
    for (const QString& name : {u"beta"_s, u"Alpha"_s, u"gamma/deeper"_s})
        root.MakeFolder(name);
    root.Write(u"song.mp3"_s, "x");

    frmPickFolder dialog;
    QLineEdit* folder = dialog.txtFolder();
    auto* list = dialog.findChild<QListWidget*>(u"lstSubfolders"_s);
    folder->setText(root.path());
    // Into advanced mode and back: the dialog grows by the subfolder list.
    for (const bool advanced : {true, false}) {
        Click(dialog, "cmdAdvanced");
        EXPECT_EQ(dialog.AdvancedMode(), advanced);
        EXPECT_EQ(dialog.height(), advanced ? 250 : 87);
        EXPECT_EQ(Control<QWidget>(dialog, "grpSubfolders")->isHidden(), !advanced);
        EXPECT_EQ(dialog.cmdAdvanced()->text(), advanced ? u"<< Advanced"_s : u"Advanced >>"_s);
        EXPECT_EQ(
            (QList<bool>{folder->isEnabled(), Control<QWidget>(dialog, "cmdFolder")->isEnabled()}),
            QList<bool>(2, !advanced));
        if (!advanced)
            break;
        // Immediate subfolders only, no files, in name order, none ticked.
        EXPECT_TRUE(dialog.TickedSubfolders().isEmpty());
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setCheckState(Qt::Checked);
        EXPECT_EQ(dialog.TickedSubfolders(), (QStringList{u"Alpha"_s, u"beta"_s, u"gamma"_s}));
        // With PENDRIFT_SCREENSHOTS set to a folder, the dialog is saved there to be looked at.
        const QString shots = qEnvironmentVariable("PENDRIFT_SCREENSHOTS");
        EXPECT_TRUE(shots.isEmpty() || dialog.grab().save(shots + u"/pickfolder.png"_s));
    }

    // Entering again lists the folder afresh, unticked; without a folder it lists the root.
    for (const auto& [typed, shown, one] :
         {std::tuple{root.path(), root.path(), u"Alpha"_s}, {u"   "_s, u"/"_s, u"usr"_s}}) {
        dialog.setAdvancedMode(false);
        folder->setText(typed);
        dialog.setAdvancedMode(true);
        EXPECT_EQ(folder->text(), shown);
        EXPECT_FALSE(list->findItems(one, Qt::MatchExactly).isEmpty()) << one.toStdString();
        EXPECT_TRUE(dialog.TickedSubfolders().isEmpty());
    }
}

// Enter in a field is OK. A close request from outside the program is refused and counts as
// Cancel: a dialog that deletes itself on close survives it, and not the program's own close.
TEST(frmPickFolder, OnlyTheProgramsCloseEndsTheDialog)
{
    frmPickFolder plain;
    plain.show();
    QTest::keyClick(plain.txtFolder(), Qt::Key_Return);
    EXPECT_TRUE(plain.Accepted() && !plain.isVisible());

    QPointer<frmPickFolder> dialog = new frmPickFolder;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAccepted(true);
    dialog->show();
    EXPECT_FALSE(dialog->close());
    EXPECT_FALSE(dialog->Accepted() || dialog->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(dialog.isNull());
    dialog->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
}

TEST(frmPickFolder, FolderBrowserStartsAtTheFieldAndKeepsItOnCancel)
{
    ScriptedDialogs dialogs;
    frmPickFolder dialog;
    QLineEdit* folder = dialog.txtFolder();
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
    EXPECT_EQ(dialogs->Requests().at(0).text, u"Select the folder:"_s);
    EXPECT_EQ(dialogs->Requests().at(0).initialFolder, u"/srv/music"_s);
    EXPECT_EQ(dialogs->Requests().at(1).initialFolder, u"/srv/music/Jazz"_s);
}
