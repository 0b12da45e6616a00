#include "ui/frmPickFolder.h"
#include "support/Dialogs.h"
#include "tests/common/TestSupport.h"
#include "tests/ui/PickFolderDriver.h"
#include "ui/QtDialogAnswerer.h"

#include <QLabel>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace {

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
    EXPECT_TRUE(folder.isEmpty() || dialog.grab().save(folder + u'/' + name));
}

} // namespace

TEST(frmPickFolder, EachOptionRowFitsItsCaptionsLeftOfTheButtons)
{
    frmPickFolder dialog;
    EXPECT_FALSE(dialog.Accepted() || dialog.AdvancedMode());
    EXPECT_TRUE(Control<QPushButton>(dialog, "cmdOK")->isDefault());
    // The button column is wide enough for both captions of the Advanced button.
    auto* advanced = Control<QPushButton>(dialog, "cmdAdvanced");
    for (const bool mode : {true, false}) {
        dialog.setAdvancedMode(mode);
        EXPECT_GE(advanced->width(), advanced->sizeHint().width()) << mode;
    }

    // Neither option row shows until the dialog is configured; then each shows its own.
    EXPECT_FALSE(dialog.OptionIncludeSubfolders() || dialog.OptionMaxSize());
    dialog.setOptionMaxSize(true);
    EXPECT_TRUE(dialog.OptionMaxSize() && Hidden(dialog, "chkIncludeSubfolders"));
    // Its four controls left to right without overlapping, each label wide enough for its
    // text, all left of the buttons.
    int right = 0;
    for (const char* name :
         {"lblDestinationSize", "txtDestinationSize", "lblPercNewFiles", "txtPercNewFiles"}) {
        EXPECT_FALSE(Hidden(dialog, name)) << name;
        const QRect r = Control<QWidget>(dialog, name)->geometry();
        EXPECT_GT(r.left(), right) << name;
        EXPECT_LT(r.right(), advanced->x()) << name;
        right = r.right();
        const auto* label = qobject_cast<QLabel*>(Control<QWidget>(dialog, name));
        EXPECT_TRUE(!label || r.width() >= label->fontMetrics().horizontalAdvance(label->text()))
            << name;
    }
    Screenshot(dialog, u"pickfolder-destination-simple.png"_s);

    dialog.setOptionMaxSize(false);
    dialog.setOptionIncludeSubfolders(true);
    EXPECT_TRUE(dialog.OptionIncludeSubfolders() && Hidden(dialog, "txtPercNewFiles"));
    EXPECT_FALSE(dialog.OptionMaxSize());
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
    // Into advanced mode and back: the ticks are kept but hidden in simple mode; the dialog
    // grows by the subfolder list.
    for (const bool advanced : {true, false}) {
        Click(dialog, "cmdAdvanced");
        EXPECT_EQ(dialog.AdvancedMode(), advanced);
        EXPECT_EQ(dialog.height(), advanced ? 250 : 87);
        EXPECT_EQ(Hidden(dialog, "grpSubfolders"), !advanced);
        EXPECT_EQ(Control<QPushButton>(dialog, "cmdAdvanced")->text(),
                  advanced ? u"<< Advanced"_s : u"Advanced >>"_s);
        EXPECT_EQ(
            (QList<bool>{folder->isEnabled(), Control<QWidget>(dialog, "cmdFolder")->isEnabled()}),
            QList<bool>(2, !advanced));
        if (!advanced)
            break;
        // Immediate subfolders only, no files, none ticked.
        EXPECT_EQ(ItemTexts(list), (QStringList{u"Alpha"_s, u"beta"_s, u"gamma"_s}));
        EXPECT_TRUE(dialog.TickedSubfolders().isEmpty());
        list->item(0)->setCheckState(Qt::Checked);
        list->item(2)->setCheckState(Qt::Checked);
        EXPECT_EQ(dialog.TickedSubfolders(), (QStringList{u"Alpha"_s, u"gamma"_s}));
        Screenshot(dialog, u"pickfolder-library-advanced.png"_s);
    }
    EXPECT_EQ(dialog.TickedSubfolders().size(), 2);

    // Entering again lists the folder afresh, unticked; a missing folder lists nothing;
    // without a folder it lists the root.
    for (const auto& [typed, shown, one] :
         {std::tuple{root / u"missing"_s, root / u"missing"_s, QString()},
          {root.path(), root.path(), u"Alpha"_s},
          {u"   "_s, u"/"_s, u"usr"_s}}) {
        dialog.setAdvancedMode(false);
        folder->setText(typed);
        dialog.setAdvancedMode(true);
        EXPECT_EQ(folder->text(), shown);
        EXPECT_TRUE(one.isEmpty() ? list->count() == 0 : ItemTexts(list).contains(one))
            << one.toStdString();
        EXPECT_TRUE(dialog.TickedSubfolders().isEmpty());
    }
}

// Enter in a field is OK. A close request from outside the program is refused and counts as
// Cancel: a dialog that deletes itself on close survives it, and not the program's own close.
TEST(frmPickFolder, OnlyTheProgramsCloseEndsTheDialog)
{
    frmPickFolder plain;
    plain.show();
    QApplication::setActiveWindow(&plain);
    Control<QLineEdit>(plain, "txtFolder")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
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
    EXPECT_EQ(dialogs->Requests().at(0).text, u"Select the folder:"_s);
    EXPECT_EQ(dialogs->Requests().at(0).initialFolder, u"/srv/music"_s);
    EXPECT_EQ(dialogs->Requests().at(1).initialFolder, u"/srv/music/Jazz"_s);
}
