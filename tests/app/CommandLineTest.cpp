#include "app/CommandLine.h"
#include "support/AppError.h"
#include "support/Paths.h"
#include "tests/common/TestSupport.h"

namespace {

QStringList Args(std::initializer_list<const char*> words)
{
    QStringList list;
    for (const char* w : words)
        list << QString::fromUtf8(w);
    return list;
}

} // namespace

TEST(CommandLine, SwitchesAndValues)
{
    SwitchTable t = ParseCommandLine(Args({"/a", "/q", "/f:Default", "Settings"}));
    EXPECT_EQ(t.Count(), 3);
    EXPECT_TRUE(HasSwitch(t, QStringLiteral("A")));
    EXPECT_EQ(t.Value(QStringLiteral("a")), QString());
    EXPECT_EQ(t.Value(QStringLiteral("f")), QStringLiteral("Default Settings"));

    t = ParseCommandLine(Args({"/F:Mix"}));
    EXPECT_EQ(t.Value(QStringLiteral("f")), QStringLiteral("Mix"));

    // A full path after the colon stays one value, colons and all.
    t = ParseCommandLine(Args({"/q", "/f:/home/me/My Mix:2.cfg", "/a"}));
    EXPECT_EQ(t.Value(QStringLiteral("f")), QStringLiteral("/home/me/My Mix:2.cfg"));
    EXPECT_TRUE(HasSwitch(t, QStringLiteral("a")));

    // "/f" with its value as the next word; a bare path before the first switch is ignored.
    t = ParseCommandLine(Args({"/home/me/x.cfg", "/f", "Mix"}));
    EXPECT_EQ(t.Count(), 1);
    EXPECT_EQ(t.Value(QStringLiteral("f")), QStringLiteral("Mix"));

    // Values and names are trimmed; "/?" is a switch.
    t = ParseCommandLine(Args({"/f: Mix ", "/?"}));
    EXPECT_EQ(t.Value(QStringLiteral("f")), QStringLiteral("Mix"));
    EXPECT_TRUE(HasSwitch(t, QStringLiteral("?")));
    EXPECT_FALSE(HasSwitch(t, QStringLiteral("c")));
}

TEST(CommandLine, BarePathsAreNotSwitches)
{
    EXPECT_TRUE(ParseCommandLine(Args({"/home/me/Mix.cfg"})).IsEmpty());
    EXPECT_TRUE(ParseCommandLine(Args({"\"/home/me/My", "Mix.cfg\""})).IsEmpty());
    EXPECT_TRUE(ParseCommandLine({}).IsEmpty());
    EXPECT_EQ(ArgumentText(Args({"\"/home/me/My", "Mix.cfg\""})),
              QStringLiteral("\"/home/me/My Mix.cfg\""));
    // A "/" before the colon makes it a path, even with a colon later on.
    EXPECT_TRUE(ParseCommandLine(Args({"/media/x:y"})).IsEmpty());
}

TEST(CommandLine, RepeatedSwitchIsError457)
{
    for (const auto& args :
         {Args({"/a", "/a", "/f:Mix"}), Args({"/a", "/A"}), Args({"/f:x", "/F:y"})})
        EXPECT_EQ(ErrorOf([&] { ParseCommandLine(args); }), ErrorNumber::DuplicateKey);
}

TEST(CommandLine, DocumentPathResolutionAndTheDataFolder)
{
    TempDataFolder folder;
    const QString data = GetDataFolder() + u'/';
    EXPECT_EQ(ResolveDocumentPath(QStringLiteral("Mix")), data + QStringLiteral("Mix.cfg"));
    EXPECT_EQ(ResolveDocumentPath(QStringLiteral("Mix.old")), data + QStringLiteral("Mix.old"));
    EXPECT_EQ(ResolveDocumentPath(QStringLiteral("\"My \"Mix\"")),
              data + QStringLiteral("My Mix.cfg"));
    EXPECT_EQ(ResolveDocumentPath(QStringLiteral("../Mix.cfg")), QStringLiteral("../Mix.cfg"));
    EXPECT_EQ(ResolveDocumentPath(QStringLiteral("/home/me/Mix")), QStringLiteral("/home/me/Mix"));
    EXPECT_EQ(ResolveDocumentPath(QStringLiteral("\"/home/me/a b.cfg\"")),
              QStringLiteral("/home/me/a b.cfg"));

    // The data folder is made, parents and all.
    const ScopedEnv deeper("XDG_CONFIG_HOME", folder.config() + QStringLiteral("/deep/cfg"));
    InitDataFolder();
    EXPECT_TRUE(PathExists(folder.config() + QStringLiteral("/deep/cfg/Orlenna/Pendrift"), true));
}
