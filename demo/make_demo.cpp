// Generates the demo job for `make demo`: a small library of nested folders with music-like
// and other files, some of them marked old, two destination folders and a settings document
// naming them. Prints the document's path.

#include "documents/CBinaryINI.h"
#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: pendrift_make_demo FOLDER\n");
        return 2;
    }
    const QString root = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir(root).removeRecursively();
    const QString library = root + QStringLiteral("/library");

    QRandomGenerator random(42);
    const QStringList artists = {QStringLiteral("Aurora Fields"), QStringLiteral("Brass Tacks"),
                                 QStringLiteral("Cold Harbour"),  QStringLiteral("Dune Sea"),
                                 QStringLiteral("Echo Valley"),   QStringLiteral("Four Winds")};
    const QStringList kinds = {QStringLiteral("mp3"), QStringLiteral("mp3"), QStringLiteral("wma"),
                               QStringLiteral("wav"), QStringLiteral("txt"), QStringLiteral("jpg")};
    int written = 0;
    for (int a = 0; a < artists.size(); ++a) {
        for (int album = 1; album <= 5; ++album) {
            const QString folder =
                QStringLiteral("%1/%2/Album %3").arg(library, artists.at(a)).arg(album);
            QDir().mkpath(folder);
            for (int track = 1; track <= 10; ++track) {
                const QString kind = kinds.at(static_cast<int>(random.bounded(kinds.size())));
                const QString path = QStringLiteral("%1/%2 %3-%4.%5")
                                         .arg(folder, artists.at(a))
                                         .arg(album)
                                         .arg(track, 2, 10, QChar(u'0'))
                                         .arg(kind);
                QFile file(path);
                if (!file.open(QIODevice::WriteOnly)) {
                    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                    return 1;
                }
                QByteArray bytes(static_cast<int>(4096 + random.bounded(36 * 1024)), '\0');
                for (char& c : bytes)
                    c = static_cast<char>(random.bounded(256));
                file.write(bytes);
                file.close();
                // The first albums of every artist are old: heard them all before.
                if (album <= 3)
                    SetAttr(path, FileAttribute::Normal);
                ++written;
            }
        }
    }

    const QString music = root + QStringLiteral("/player/Music");
    const QString car = root + QStringLiteral("/stick/Car");
    QDir().mkpath(music);
    QDir().mkpath(car);
    const QString documentPath = root + QStringLiteral("/Demo.cfg");
    CBinaryINI document;
    document.SetFile(documentPath);
    const QString section = QStringLiteral("settings");
    document.WriteValue(QStringLiteral("Library"), library + QStringLiteral("<+>"), section);
    document.WriteValue(QStringLiteral("Filetypes"), QStringLiteral("*.mp3,*.wma,*.wav"), section);
    document.WriteValue(QStringLiteral("Destination"),
                        music + QStringLiteral(",2,30|") + car + QStringLiteral(",1,0"), section);
    document.WriteValue(QStringLiteral("RenameFiles"), QStringLiteral("0"), section);
    document.Commit();
    document.SetFile(QString());
    std::fprintf(stderr, "demo library: %d files under %s\n", written, qPrintable(library));
    std::printf("%s\n", qPrintable(documentPath));
    return 0;
}
