#include "ui/QtDialogAnswerer.h"
#include "tests/common/TestSupport.h"
#include "tests/ui/PickFolderDriver.h"

#include <QFileDialog>
#include <QInputDialog>

using namespace Qt::StringLiterals;

// Only what the user accepted comes back; the save dialog offers the program's filter and
// suffix and leaves the overwrite question to the program.
TEST(QtDialogAnswerer, AcceptedAnswersOnlyAndTheSaveDialogsSettings)
{
    QtDialogAnswerer answerer;
    DialogRequest input;
    input.kind = DialogRequest::Kind::Input;
    for (const bool accept : {true, false}) {
        WhenShown<QInputDialog>([accept](QInputDialog& box) {
            box.setTextValue(u"typed"_s);
            accept ? box.accept() : box.reject();
        });
        EXPECT_EQ(answerer.Text(input), accept ? u"typed"_s : QString());
    }

    TempFolder folder;
    const QString existing = folder.Write(u"Car.cfg"_s, "old");
    DialogRequest save;
    save.kind = DialogRequest::Kind::SaveFile;
    save.filter = u"cfg,*.cfg,all,*"_s;
    save.initialFolder = folder.path();
    save.defaultExtension = u".cfg"_s;
    WhenShown<QFileDialog>([](QFileDialog& dialog) {
        EXPECT_EQ(dialog.nameFilters(), (QStringList{u"cfg (*.cfg)"_s, u"all (*)"_s}));
        EXPECT_EQ(dialog.defaultSuffix(), u"cfg"_s);
        dialog.selectFile(u"Car"_s);
        static_cast<QDialog&>(dialog).accept(); // the file dialog's own accept checks the name
    });
    EXPECT_EQ(answerer.Text(save), existing);
    WhenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(answerer.Text(save), QString());
}
