#include "documents/FileDialogs.h"
#include "tests/common/TestSupport.h"

#include <QDir>

using namespace Qt::StringLiterals;

// A folder counts as writable when a file can be made, written and removed there.
TEST(FileDialogs, TestFolderWriteLeavesNothingBehind)
{
    const TempFolder folder;
    EXPECT_TRUE(TestFolderWrite(folder.path()) && QDir(folder.path()).isEmpty());
    EXPECT_FALSE(TestFolderWrite(folder / u"missing"_s));
}
