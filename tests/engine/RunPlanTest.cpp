#include "engine/RunPlan.h"
#include "base/AppError.h"
#include "tests/common/TestSupport.h"

#include <numeric>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 MB = 1048576;

DestinationFacts Destination(const QString& folder, qint64 megabytes, qint16 percent,
                             const QStringList& entries = {}, qint64 bytes = 0)
{
    DestinationFacts facts;
    facts.folder = facts.canonical = folder;
    facts.megabytes = megabytes;
    facts.percentNew = percent;
    facts.entries = entries;
    facts.bytesInside = bytes;
    facts.filesBelow = entries.size();
    facts.bytesBelow = bytes;
    facts.playlist = folder + u".m3u"_s;
    return facts;
}

// Files tried in list order; "*" marks a new file.
RunFacts Library(const QStringList& items, std::vector<DestinationFacts> destinations)
{
    RunFacts facts;
    for (const QString& item : items) {
        const QString name = item.section(u':', 0, 0);
        facts.newOrder.push_back(static_cast<qsizetype>(facts.files.size()));
        if (!item.endsWith(u'*'))
            facts.newOrder.pop_back();
        facts.fileOrder.push_back(static_cast<qsizetype>(facts.files.size()));
        facts.files.push_back(
            {u"/lib/"_s + name, name, item.section(u':', 1, 1).toLongLong(), false});
    }
    facts.destinations = std::move(destinations);
    return facts;
}

// "target<-name" of a pass's files.
QStringList Targets(const PlannedPass& pass)
{
    QStringList out;
    for (const PlannedFile& file : pass.files)
        out << (file.target == file.name ? file.target : file.target + u"<-"_s + file.name);
    return out;
}

} // namespace

// New files first, then the fill, earlier destinations first; what a folder keeps blocks its
// names and fills its budget; the playlists list each pass's library paths.
TEST(RunPlan, PassesBudgetsAndPlaylists)
{
    RunFacts facts = Library(
        {u"n1.mp3:300000:*"_s, u"n2.mp3:300000:*"_s, u"o1.mp3:300000"_s, u"kept.mp3:1"_s,
         u"o2.mp3:400000"_s},
        {Destination(u"/s/A"_s, 1, 50), Destination(u"/s/B"_s, 1, 300, {u"KEPT.MP3"_s}, 400000)});
    RunPlan plan = MakePlan(facts);
    ASSERT_EQ(plan.destinations.size(), 2u);
    const DestinationPlan& a = plan.destinations[0];
    const DestinationPlan& b = plan.destinations[1];
    EXPECT_EQ(Targets(a.passes[0]), QStringList{u"n1.mp3"_s});
    EXPECT_EQ(a.passes[0].budget, MB / 2);
    EXPECT_EQ(Targets(b.passes[0]), QStringList{u"n2.mp3"_s}) << "300 % is 100 %";
    EXPECT_EQ(b.passes[0].budget, MB);
    EXPECT_EQ(Targets(a.passes[1]), (QStringList{u"o1.mp3"_s, u"o2.mp3"_s})) << "kept.mp3 is in B";
    EXPECT_EQ(a.passes[1].used, 1000000);
    EXPECT_EQ(a.passes[1].playlist, (QStringList{u"/lib/o1.mp3"_s, u"/lib/o2.mp3"_s}));
    EXPECT_TRUE(b.passes[1].files.empty());
    EXPECT_EQ(b.passes[1].used, 700000);
    EXPECT_TRUE(b.emptied.isEmpty());

    // Emptied, B holds nothing that stays: its entries go and no longer block or count.
    facts.emptying = true;
    plan = MakePlan(facts);
    EXPECT_EQ(plan.destinations[1].emptied, QStringList{u"/s/B/KEPT.MP3"_s});
    EXPECT_EQ(plan.destinations[1].emptiedBytes, 400000);
    EXPECT_EQ(plan.destinations[1].passes[0].used, 300000);
    EXPECT_EQ(Targets(plan.destinations[0].passes[1]),
              (QStringList{u"o1.mp3"_s, u"kept.mp3"_s, u"o2.mp3"_s}));

    // A playlist that cannot be written and a size past 64 bits stop the plan.
    facts.destinations[1].playlistProblem = u"/s/B.m3u: Is a directory"_s;
    EXPECT_EQ(ErrorOf([&] { MakePlan(facts); }), ErrorNumber::PathFileAccess);
    facts.destinations[1].playlistProblem.clear();
    facts.destinations[0].megabytes = Q_INT64_C(1) << 44;
    EXPECT_EQ(ErrorOf([&] { MakePlan(facts); }), ErrorNumber::Overflow);
}

// New names go on after the numbers a kept folder holds, across both entries of one folder;
// the playlists then hold their header alone; safe names hold no trailing dot.
TEST(RunPlan, RenameNumbersGoOnAfterWhatIsThere)
{
    RunFacts facts = Library({u"n1.mp3:10000:*"_s, u"n2.ogg:10000:*"_s, u"o1.mp3:1"_s, u"o2:1"_s},
                             {Destination(u"/s/A"_s, 1, 1, {u"F0001.mp3"_s, u"a0017.WMA"_s}),
                              Destination(u"/s/A"_s, 1, 100), Destination(u"/s/C"_s, 1, 0)});
    facts.rename = true;
    facts.destinations[2].safeNames = true;
    const RunPlan plan = MakePlan(facts);
    EXPECT_EQ(Targets(plan.destinations[0].passes[0]), QStringList{u"A0018.mp3<-n1.mp3"_s});
    EXPECT_EQ(Targets(plan.destinations[1].passes[0]), QStringList{u"A0019.ogg<-n2.ogg"_s});
    EXPECT_EQ(Targets(plan.destinations[0].passes[1]),
              (QStringList{u"F0002.mp3<-o1.mp3"_s, u"F0003.<-o2"_s}));
    EXPECT_TRUE(plan.destinations[1].passes[1].files.empty());
    EXPECT_TRUE(plan.destinations[0].passes[1].playlist.isEmpty());

    facts.destinations.erase(facts.destinations.begin(), facts.destinations.begin() + 2);
    EXPECT_EQ(Targets(MakePlan(facts).destinations[0].passes[1]),
              (QStringList{u"F0001.mp3<-n1.mp3"_s, u"F0002.ogg<-n2.ogg"_s, u"F0003.mp3<-o1.mp3"_s,
                           u"F0004<-o2"_s}));
}

// Lists, sizes and sums past the old 16- and 32-bit ceilings are ordinary.
TEST(RunPlan, NoCeilingsOnCountsOrSizes)
{
    RunFacts facts = Library({u"concert.flac:4294967296"_s}, {Destination(u"/s/A"_s, 65536, 0)});
    for (int i = 0; i < 100000; ++i)
        facts.files.push_back({u"/lib/%1.mp3"_s.arg(i), u"%1.mp3"_s.arg(i), 1, false});
    for (qsizetype i = 1; i <= 100000; ++i)
        facts.fileOrder.push_back(i);
    const PlannedPass fill = MakePlan(facts).destinations[0].passes[1];
    ASSERT_EQ(fill.files.size(), 100001u);
    EXPECT_EQ(fill.files.back().target, u"99999.mp3"_s);
    EXPECT_EQ(fill.used, Q_INT64_C(4294967296) + 100000);
    EXPECT_EQ(fill.budget, Q_INT64_C(68719476736));
}

// Files per folder: subfolders of that many files in play order across both passes, numbered
// on after those a kept folder holds (three digits once more than 99 are needed), its whole
// tree counted and name-tested; the device playlist lists the targets in play order.
TEST(RunPlan, FilesPerFolderAndTheDevicePlaylist)
{
    QStringList items;
    for (int i = 0; i < 5; ++i)
        items << u"n%1.mp3:10:*"_s.arg(i) << u"o%1.mp3:10"_s.arg(i);
    items << u"deep.mp3:10"_s;
    RunFacts facts = Library(items, {Destination(u"/s/A"_s, 1, 100, {u"03"_s}, 0)});
    facts.destinations[0].namesBelow = {u"03"_s, u"F0012.mp3"_s, u"DEEP.MP3"_s};
    facts.destinations[0].bytesBelow = MB - 60;
    facts.destinations[0].lastSubfolder = 3;
    facts.rename = true;
    facts.filesPerFolder = 2;
    facts.devicePlaylist = true;
    DestinationPlan plan = MakePlan(facts).destinations[0];
    // 60 bytes left in the tree: six files; the new ones first, deep.mp3 is there already.
    EXPECT_EQ(Targets(plan.passes[0]),
              (QStringList{u"04/A0001.mp3<-n0.mp3"_s, u"04/A0002.mp3<-n1.mp3"_s,
                           u"05/A0003.mp3<-n2.mp3"_s, u"05/A0004.mp3<-n3.mp3"_s,
                           u"06/A0005.mp3<-n4.mp3"_s}));
    EXPECT_EQ(Targets(plan.passes[1]), QStringList{u"06/F0013.mp3<-o0.mp3"_s});
    EXPECT_EQ(plan.devicePlaylist, u"/s/A/A.m3u"_s);
    EXPECT_EQ(plan.devicePlaylistLines,
              (QStringList{u"04/A0001.mp3"_s, u"04/A0002.mp3"_s, u"05/A0003.mp3"_s,
                           u"05/A0004.mp3"_s, u"06/A0005.mp3"_s, u"06/F0013.mp3"_s}));

    // Emptied, from 001 once there are more than 99; without the setting, no device playlist.
    facts.emptying = true;
    facts.filesPerFolder = 1;
    facts.devicePlaylist = false;
    facts.rename = false;
    facts.files.resize(1);
    facts.newOrder.clear();
    for (int i = 1; i < 120; ++i)
        facts.files.push_back({u"/lib/%1.mp3"_s.arg(i), u"%1.mp3"_s.arg(i), 10, false});
    facts.fileOrder.resize(facts.files.size());
    std::iota(facts.fileOrder.begin(), facts.fileOrder.end(), 0);
    plan = MakePlan(facts).destinations[0];
    EXPECT_EQ(plan.passes[1].files.front().target, u"001/n0.mp3"_s);
    EXPECT_EQ(plan.passes[1].files.back().target, u"120/119.mp3"_s);
    EXPECT_EQ(plan.devicePlaylist, QString());
}

// "free": what the file system will have after emptying, shared by the "free" folders on it,
// plus what stays, less 1 MB, every file counted in whole blocks; emptying into a trash on the
// same file system frees nothing.
TEST(RunPlan, FreeSizesShareTheFileSystem)
{
    RunFacts facts = Library({u"a.mp3:1000:*"_s, u"b.mp3:5000"_s},
                             {Destination(u"/s/A"_s, 0, 100, {u"x"_s}, 3000),
                              Destination(u"/s/B"_s, 0, 0), Destination(u"/t/C"_s, 0, 0)});
    for (DestinationFacts& d : facts.destinations) {
        d.freeSize = true;
        d.space = {1, 10 * MB, 4096, false};
        d.blocksBelow = d.blocksInside = d.bytesBelow == 0 ? 0 : 4096;
    }
    facts.destinations[2].space.device = 2;
    RunPlan plan = MakePlan(facts);
    EXPECT_EQ(plan.destinations[0].passes[1].budget, 5 * MB + 4096 - MB);
    EXPECT_EQ(plan.destinations[0].passes[0].budget, 5 * MB + 4096 - MB);
    EXPECT_EQ(plan.destinations[0].passes[0].used, 4096 + 4096) << "a.mp3 in one block";
    EXPECT_EQ(plan.destinations[2].passes[1].budget, 9 * MB);
    facts.emptying = true;
    plan = MakePlan(facts);
    EXPECT_EQ(plan.destinations[0].passes[1].budget, 5 * MB + 2048 - MB) << "x freed its block";
    facts.destinations[0].space.trashes = true;
    EXPECT_EQ(MakePlan(facts).destinations[0].passes[1].budget, 4 * MB);
}
