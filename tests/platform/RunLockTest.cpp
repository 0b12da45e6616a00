#include "platform/RunLock.h"
#include "tests/common/TestSupport.h"

#include <QDir>
#include <csignal>

using namespace Qt::StringLiterals;

// A folder, anything inside it and anything around it are in use while a run holds it, also
// through a link; the lock ends with its holder, even a killed one.
TEST(RunLock, OneRunPerFolderUntilItsProcessEnds)
{
    TempFolder dir;
    const ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path());
    const QString stick = dir.MakeFolder(u"stick/Music/Rock"_s).chopped(5);
    ASSERT_TRUE(QFile::link(dir / u"stick"_s, dir / u"link"_s));
    std::unique_ptr<RunLock> held = RunLock::Acquire({dir / u"stick/Other"_s, stick});
    ASSERT_TRUE(held);
    for (const QString& path :
         QStringList{stick, stick + u"/Rock"_s, dir / u"stick"_s, dir / u"link/Music/"_s})
        EXPECT_FALSE(RunLock::Acquire({dir / u"elsewhere"_s, path})) << path.toStdString();
    EXPECT_TRUE(RunLock::Acquire({dir / u"stick/Music2"_s}));
    held.reset();
    EXPECT_TRUE(RunLock::Acquire({stick}));

    EXPECT_EQ(InChild([&] {
                  const auto lock = RunLock::Acquire({stick});
                  if (lock)
                      ::raise(SIGKILL);
                  return 1;
              }),
              -1);
    EXPECT_TRUE(RunLock::Acquire({stick}));
    EXPECT_EQ(QDir(dir / u"pendrift"_s).entryList(QDir::Files), QStringList{u"registry"_s});
}
