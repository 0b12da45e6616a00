#include "platform/RunLock.h"

#include "base/AppError.h"
#include "platform/DirectoryReader.h"
#include "platform/Paths.h"
#include "platform/Platform.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kMarkPrefix = QStringLiteral("run-");

QString MarkFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && runtime.startsWith(u'/'))
        return runtime + QStringLiteral("/pendrift");
    return QStringLiteral("/tmp/pendrift-runs-%1").arg(::getuid());
}

UniqueFd OpenOrRaise(const QString& path, int flags)
{
    UniqueFd fd(::open(Platform::Encode(path).constData(), flags | O_CLOEXEC, 0600));
    if (!fd.valid())
        throw AppError::FromErrno(errno, path);
    return fd;
}

bool Within(const QString& outer, const QString& inner)
{
    return inner == outer || inner.startsWith(outer.endsWith(u'/') ? outer : outer + u'/');
}

// The folders another run's mark names, or none when that run has ended (its mark is then
// removed).
QStringList LiveFolders(const QString& markPath)
{
    const UniqueFd fd(::open(Platform::Encode(markPath).constData(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return {};
    if (::flock(fd.get(), LOCK_SH | LOCK_NB) == 0) {
        ::unlink(Platform::Encode(markPath).constData());
        return {};
    }
    QFile file;
    if (!file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

std::unique_ptr<RunLock> RunLock::Acquire(const QStringList& folders)
{
    QStringList mine;
    for (const QString& folder : folders)
        mine << Platform::CanonicalPath(folder);

    const QString markFolder = MarkFolder();
    if (::mkdir(Platform::Encode(markFolder).constData(), 0700) != 0 && errno != EEXIST)
        throw AppError::FromErrno(errno, markFolder);
    // One run at a time looks at the marks and adds its own, so two runs that start together
    // cannot both miss each other.
    const UniqueFd registry =
        OpenOrRaise(markFolder + QStringLiteral("/registry"), O_RDWR | O_CREAT);
    if (::flock(registry.get(), LOCK_EX) != 0)
        throw AppError::FromErrno(errno, markFolder);

    DirectoryReader reader(markFolder);
    while (reader.Next()) {
        if (!reader.name().startsWith(kMarkPrefix))
            continue;
        for (const QString& theirs : LiveFolders(markFolder + u'/' + reader.name())) {
            for (const QString& folder : mine) {
                if (Within(folder, theirs) || Within(theirs, folder))
                    return nullptr;
            }
        }
    }

    QByteArray templ = Platform::Encode(markFolder + u'/' + kMarkPrefix + QStringLiteral("XXXXXX"));
    UniqueFd fd(::mkostemp(templ.data(), O_CLOEXEC));
    if (!fd.valid())
        throw AppError::FromErrno(errno, markFolder);
    const QString path = QFile::decodeName(templ);
    std::unique_ptr<RunLock> lock(new RunLock(std::move(fd), path));
    const QByteArray text = mine.join(u'\n').toUtf8() + '\n';
    if (::flock(lock->m_fd.get(), LOCK_EX) != 0 ||
        ::write(lock->m_fd.get(), text.constData(), static_cast<size_t>(text.size())) !=
            text.size())
        throw AppError::FromErrno(errno, path);
    return lock;
}

RunLock::~RunLock()
{
    ::unlink(Platform::Encode(m_path).constData());
}
