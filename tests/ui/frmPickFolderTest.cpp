#include "frmPickFolder.h"
#include "Dialogs.h"
#include "PickFolderDriver.h"
#include "TestSupport.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPointer>

namespace {

QRect Geometry(QWidget& dialog, const char* name)
{
    QWidget* w = Control<QWidget>(dialog, name);
    return w ? w->geometry() : QRect();
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

TEST(frmPickFolder, LoadsSimpleWithTheLayoutInPixels)
{
    frmPickFolder dialog;
    EXPECT_FALSE(dialog.Accepted());
    EXPECT_FALSE(dialog.AdvancedMode());
    // 5715 x 1305 twips, wider only by what the button column needs for its captions.
    auto* advanced = Control<QPushButton>(dialog, "cmdAdvanced");
    const int extra = Geometry(dialog, "cmdOK").width() - 79;
    EXPECT_GE(extra, 0);
    EXPECT_EQ(dialog.size(), QSize(381 + extra, 87));
    EXPECT_EQ(Geometry(dialog, "lblFolder"), QRect(3, 3, 154, 16));
    EXPECT_EQ(Geometry(dialog, "txtFolder"), QRect(3, 18, 253, 22));
    EXPECT_EQ(Geometry(dialog, "cmdFolder"), QRect(258, 18, 28, 22));
    EXPECT_EQ(Geometry(dialog, "cmdOK"), QRect(297, 6, 79 + extra, 22));
    EXPECT_EQ(Geometry(dialog, "cmdCancel"), QRect(297, 30, 79 + extra, 22));
    EXPECT_EQ(Geometry(dialog, "cmdAdvanced"), QRect(297, 54, 79 + extra, 22));
    EXPECT_EQ(Geometry(dialog, "chkIncludeSubfolders"), QRect(6, 51, 226, 16));
    EXPECT_EQ(Geometry(dialog, "grpSubfolders"), QRect(3, 87, 373 + extra, 163));
    EXPECT_EQ(Geometry(dialog, "lblSubfolders"), QRect(3, 0, 154, 16));
    EXPECT_EQ(Geometry(dialog, "lstSubfolders"), QRect(0, 15, 370 + extra, 147));
    EXPECT_EQ(advanced->text(), QStringLiteral("Advanced >>"));
    EXPECT_GE(advanced->width(), advanced->sizeHint().width());
    dialog.setAdvancedMode(true);
    EXPECT_GE(advanced->width(), advanced->sizeHint().width());
    EXPECT_EQ(dialog.size(), QSize(381 + extra, 250));
    dialog.setAdvancedMode(false);
    EXPECT_EQ(Control<QPushButton>(dialog, "cmdFolder")->toolTip(), QStringLiteral("Browse"));
    EXPECT_TRUE(Control<QPushButton>(dialog, "cmdOK")->isDefault());

    // Neither option set shows until the dialog is configured.
    EXPECT_FALSE(dialog.OptionIncludeSubfolders());
    EXPECT_FALSE(dialog.OptionMaxSize());
    EXPECT_TRUE(Control<QWidget>(dialog, "grpSubfolders")->isHidden());
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));
    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
}

TEST(frmPickFolder, OptionSetsShowOneRowOrTheOther)
{
    frmPickFolder dialog;
    dialog.setOptionMaxSize(true);
    EXPECT_TRUE(dialog.OptionMaxSize());
    for (const char* name :
         {"lblDestinationSize", "txtDestinationSize", "lblPercNewFiles", "txtPercNewFiles"})
        EXPECT_FALSE(Control<QWidget>(dialog, name)->isHidden()) << name;
    EXPECT_TRUE(Control<QWidget>(dialog, "chkIncludeSubfolders")->isHidden());

    // The row holds its four controls left to right without overlapping, each label wide
    // enough for its text, all left of the buttons.
    int right = 0;
    for (const char* name :
         {"lblDestinationSize", "txtDestinationSize", "lblPercNewFiles", "txtPercNewFiles"}) {
        const QRect r = Geometry(dialog, name);
        EXPECT_GT(r.left(), right) << name;
        EXPECT_LT(r.right(), 297) << name;
        right = r.right();
        if (auto* label = qobject_cast<QLabel*>(Control<QWidget>(dialog, name))) {
            EXPECT_GE(r.width(), label->fontMetrics().horizontalAdvance(label->text())) << name;
        }
    }
    Screenshot(dialog, QStringLiteral("pickfolder-destination-simple.png"));

    dialog.setOptionMaxSize(false);
    dialog.setOptionIncludeSubfolders(true);
    EXPECT_FALSE(dialog.OptionMaxSize());
    EXPECT_TRUE(dialog.OptionIncludeSubfolders());
    EXPECT_TRUE(Control<QWidget>(dialog, "txtPercNewFiles")->isHidden());
    Screenshot(dialog, QStringLiteral("pickfolder-library-simple.png"));
}

TEST(frmPickFolder, AdvancedModeListsSubfoldersAndLocksTheFolder)
{
    TempFolder root;
    root.MakeFolder(QStringLiteral("beta"));
    root.MakeFolder(QStringLiteral("Alpha"));
    root.MakeFolder(QStringLiteral("gamma/deeper"));
    root.Write(QStringLiteral("song.mp3"), "x");

    frmPickFolder dialog;
    dialog.setOptionIncludeSubfolders(true);
    Control<QLineEdit>(dialog, "txtFolder")->setText(root.path());
    Click(dialog, "cmdAdvanced");
    EXPECT_TRUE(dialog.AdvancedMode());
    EXPECT_EQ(dialog.height(), 250); // 3750 twips
    EXPECT_FALSE(Control<QWidget>(dialog, "grpSubfolders")->isHidden());
    EXPECT_EQ(Control<QPushButton>(dialog, "cmdAdvanced")->text(), QStringLiteral("<< Advanced"));
    EXPECT_FALSE(Control<QWidget>(dialog, "txtFolder")->isEnabled());
    EXPECT_FALSE(Control<QWidget>(dialog, "cmdFolder")->isEnabled());
    // Immediate subfolders only, no files, each unticked.
    auto* list = Control<QListWidget>(dialog, "lstSubfolders");
    EXPECT_EQ(ItemTexts(list), (QStringList{QStringLiteral("Alpha"), QStringLiteral("beta"),
                                            QStringLiteral("gamma")}));
    for (int i = 0; i < list->count(); ++i)
        EXPECT_EQ(list->item(i)->checkState(), Qt::Unchecked);
    list->item(0)->setCheckState(Qt::Checked);
    list->item(2)->setCheckState(Qt::Checked);
    EXPECT_EQ(dialog.TickedSubfolders(),
              (QStringList{QStringLiteral("Alpha"), QStringLiteral("gamma")}));
    Screenshot(dialog, QStringLiteral("pickfolder-library-advanced.png"));

    // Back to simple: the old height, the folder editable again, the ticks kept but hidden.
    Click(dialog, "cmdAdvanced");
    EXPECT_FALSE(dialog.AdvancedMode());
    EXPECT_EQ(dialog.height(), 87);
    EXPECT_TRUE(Control<QWidget>(dialog, "grpSubfolders")->isHidden());
    EXPECT_EQ(Control<QPushButton>(dialog, "cmdAdvanced")->text(), QStringLiteral("Advanced >>"));
    EXPECT_TRUE(Control<QWidget>(dialog, "txtFolder")->isEnabled());
    EXPECT_TRUE(Control<QWidget>(dialog, "cmdFolder")->isEnabled());
    EXPECT_EQ(dialog.TickedSubfolders().size(), 2);

    // Entering again lists the folder afresh, unticked; a missing folder lists nothing.
    Control<QLineEdit>(dialog, "txtFolder")->setText(root / QStringLiteral("missing"));
    dialog.setAdvancedMode(true);
    EXPECT_EQ(list->count(), 0);
    dialog.setAdvancedMode(false);
    Control<QLineEdit>(dialog, "txtFolder")->setText(root.path());
    dialog.setAdvancedMode(true);
    EXPECT_EQ(list->count(), 3);
    EXPECT_TRUE(dialog.TickedSubfolders().isEmpty());
}

TEST(frmPickFolder, AdvancedModeWithoutAFolderListsTheRoot)
{
    frmPickFolder dialog;
    Control<QLineEdit>(dialog, "txtFolder")->setText(QStringLiteral("   "));
    dialog.setAdvancedMode(true);
    EXPECT_EQ(Control<QLineEdit>(dialog, "txtFolder")->text(), QStringLiteral("/"));
    const QStringList names = ItemTexts(Control<QListWidget>(dialog, "lstSubfolders"));
    EXPECT_TRUE(names.contains(QStringLiteral("tmp"))) << names.join(u',').toStdString();
    EXPECT_TRUE(names.contains(QStringLiteral("usr"))) << names.join(u',').toStdString();
}

TEST(frmPickFolder, OkCancelAndCloseOnlyHide)
{
    frmPickFolder dialog;
    dialog.show();
    Click(dialog, "cmdOK");
    EXPECT_TRUE(dialog.Accepted());
    EXPECT_FALSE(dialog.isVisible());

    dialog.show();
    Click(dialog, "cmdCancel");
    EXPECT_FALSE(dialog.Accepted());
    EXPECT_FALSE(dialog.isVisible());

    // A close request from outside the program is refused and counts as Cancel.
    dialog.setAccepted(true);
    dialog.show();
    EXPECT_FALSE(dialog.close());
    EXPECT_FALSE(dialog.Accepted());
    EXPECT_FALSE(dialog.isVisible());

    dialog.setAccepted(true);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.Accepted());
    EXPECT_FALSE(dialog.isVisible());

    // Enter in a field is OK.
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    Control<QLineEdit>(dialog, "txtFolder")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(dialog.Accepted());
    EXPECT_FALSE(dialog.isVisible());

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
    folder->setText(QStringLiteral("/srv/music"));
    QWidget* ownerDuringBrowse = nullptr;
    dialogs->onRequest = [&](const DialogRequest&) { ownerDuringBrowse = Dialogs::Owner(); };
    dialogs->Queue(QStringLiteral("/srv/music/Jazz"));
    dialogs->Queue(QString());

    Click(dialog, "cmdFolder");
    EXPECT_EQ(folder->text(), QStringLiteral("/srv/music/Jazz"));
    EXPECT_EQ(ownerDuringBrowse, &dialog);
    EXPECT_EQ(Dialogs::Owner(), nullptr) << "the browser's owner is given back";

    dialog.ShowFolderBrowser(); // cancelled
    EXPECT_EQ(folder->text(), QStringLiteral("/srv/music/Jazz"));

    ASSERT_EQ(dialogs->Requests().size(), 2);
    for (const DialogRequest& request : dialogs->Requests()) {
        EXPECT_EQ(request.kind, DialogRequest::Kind::Folder);
        EXPECT_EQ(request.text, QStringLiteral("Select the folder:"));
    }
    EXPECT_EQ(dialogs->Requests().at(0).initialFolder, QStringLiteral("/srv/music"));
    EXPECT_EQ(dialogs->Requests().at(1).initialFolder, QStringLiteral("/srv/music/Jazz"));
}
