#include "documents/FileDialogs.h"
#include "tests/common/TestSupport.h"

#include <tuple>

using namespace Qt::StringLiterals;

// The dialog starts in the given folder when it exists (a trailing separator dropped, "/" kept)
// and in the program's folder otherwise; the extension comes from the filter unless given.
TEST(FileDialogs, StartingFolderExtensionAndAnswer)
{
    const TempFolder folder;
    const struct
    {
        FileDialogMode mode;
        QString initial, filter, extension, answer;
        QString wantFolder, wantExtension, wantPath;
    } cases[] = {
        {FileDialogMode::Open,
         folder.path() + u'/',
         u"Settings,*.cfg,All,*.*"_s,
         {},
         u" /m/Mix.cfg "_s,
         folder.path(),
         u"cfg"_s,
         u"/m/Mix.cfg"_s},
        {FileDialogMode::Save,
         folder / u"gone"_s,
         u"All,*"_s,
         u"txt"_s,
         {},
         ProgramFolder(),
         u"txt"_s,
         {}},
        {FileDialogMode::Save, u"/"_s, u"All,*"_s, {}, u"/a"_s, u"/"_s, {}, u"/a"_s},
    };
    for (const auto& c : cases) {
        ScriptedDialogs dialogs;
        dialogs->Queue(c.answer);
        QString path = u"before"_s;
        EXPECT_EQ(ShowFileDialog(path, c.mode, u"T"_s, c.initial, c.filter, c.extension),
                  !c.wantPath.isEmpty());
        const DialogRequest& request = dialogs->Requests().at(0);
        EXPECT_EQ(request.kind, c.mode == FileDialogMode::Open ? DialogRequest::Kind::OpenFile
                                                               : DialogRequest::Kind::SaveFile);
        EXPECT_EQ(std::tuple(request.initialFolder, request.defaultExtension, path),
                  std::tuple(c.wantFolder, c.wantExtension, c.wantPath))
            << c.initial.toStdString();
    }
}
