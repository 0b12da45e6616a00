#include "tests/common/TestSupport.h"

#include "support/AppError.h"
#include "support/Dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <ostream>

ScriptedDialogs::ScriptedDialogs()
{
    auto answerer = std::make_unique<ScriptedDialogAnswerer>();
    m_answerer = answerer.get();
    m_previous = Dialogs::SetAnswerer(std::move(answerer));
}

ScriptedDialogs::~ScriptedDialogs()
{
    EXPECT_EQ(m_answerer->Pending(), 0) << "scripted answers were never asked for";
    Dialogs::SetAnswerer(std::move(m_previous));
}

TempFolder::TempFolder()
{
    EXPECT_TRUE(m_dir.isValid());
}

QString TempFolder::Write(const QString& name, const QByteArray& bytes) const
{
    const QString full = m_dir.filePath(name);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << full.toStdString();
    file.write(bytes);
    return full;
}

QString TempFolder::MakeFolder(const QString& name) const
{
    const QString full = m_dir.filePath(name);
    EXPECT_TRUE(QDir().mkpath(full));
    return full;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

int ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const AppError& error) {
        return error.number();
    }
    return 0;
}

void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
