#include "platform/ReadFileFacts.h"
#include "base/AppError.h"
#include "tests/common/TestSupport.h"

using namespace Qt::StringLiterals;

namespace {

struct StopHere
{
};

} // namespace

// Many pieces' worth of files read in parallel still come back in order, each with its own
// size and mark, with the progress called once per file.
TEST(ReadFileFacts, ManyFilesInOrderAndTheFirstFailureInOrderWins)
{
    TempFolder dir;
    QStringList paths;
    for (int i = 0; i < 300; ++i)
        paths << dir.Write(u"lib/f%1/%2.mp3"_s.arg(i % 7).arg(i), QByteArray(i, 'x'));
    SetAttr(paths.at(150), FileAttribute::Normal);
    int calls = 0;
    const std::vector<FileFacts> facts = ReadFileFacts(paths, [&] { ++calls; });
    ASSERT_EQ(facts.size(), 300u);
    EXPECT_EQ(calls, 300);
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(facts[i].size, i);
        EXPECT_EQ(facts[i].isNew, i != 150) << i;
    }
    EXPECT_TRUE(ReadFileFacts({}, [] { FAIL(); }).empty());

    // Two failures in later pieces: the earlier one is raised, after the progress of every file
    // before it and of none after.
    QStringList broken = paths;
    broken[200] = dir / u"lib/gone.mp3"_s;
    broken[250] = paths.at(3) + u"/under-a-file.mp3"_s;
    calls = 0;
    EXPECT_EQ(ErrorOf([&] { ReadFileFacts(broken, [&] { ++calls; }); }), ErrorNumber::FileNotFound);
    EXPECT_EQ(calls, 200);
    broken[200] = paths.at(200);
    EXPECT_EQ(ErrorOf([&] { ReadFileFacts(broken); }), ErrorNumber::PathNotFound);

    // What the progress throws stops the reading and comes through as it is.
    calls = 0;
    EXPECT_THROW(ReadFileFacts(paths,
                               [&] {
                                   if (++calls == 100)
                                       throw StopHere{};
                               }),
                 StopHere);
    EXPECT_EQ(calls, 100);
}
