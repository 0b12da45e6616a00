#include "documents/FileDialogs.h"
#include "tests/common/TestSupport.h"

using namespace Qt::StringLiterals;

// The dialog starts in the given folder without its trailing separator, or in the program's
// folder when that one is gone; the extension comes from the filter unless one is given.
TEST(FileDialogs, StartingFolderExtensionAndAnswer)
{
    const TempFolder folder;
    ScriptedDialogs dialogs;
    dialogs->Queue(u" /m.cfg "_s);
    dialogs->Queue(QString());
    QString path;
    EXPECT_TRUE(ShowFileDialog(path, FileDialogMode::Save, u"T"_s, folder.path() + u'/',
                               u"S,*.cfg,A,*.*"_s));
    EXPECT_EQ(path, u"/m.cfg"_s);
    EXPECT_FALSE(ShowFileDialog(path, FileDialogMode::Open, u"T"_s, folder / u"gone"_s, u"A,*"_s,
                                u".txt"_s));
    const QList<DialogRequest>& asked = dialogs->Requests();
    EXPECT_EQ(asked.at(0).initialFolder + u'|' + asked.at(0).defaultExtension,
              folder.path() + u"|cfg"_s);
    EXPECT_EQ(asked.at(1).initialFolder + u'|' + asked.at(1).defaultExtension,
              ProgramFolder() + u"|.txt"_s);
}
