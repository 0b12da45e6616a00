#include "documents/Preferences.h"

#include "base/Text.h"
#include "platform/Paths.h"
#include "platform/Platform.h"

#include <QFile>
#include <QList>
#include <QSaveFile>

namespace {

constexpr qsizetype kMaxValueLength = 511;

QString PreferencesPath(const QString& folder, const QString& fileName)
{
    return AddTrailingSlash(folder.isEmpty() ? GetDataFolder() : folder) +
           (fileName.isEmpty() ? ExecutableName() + QStringLiteral(".ini") : fileName);
}

// One line of the file without its ending, and the ending itself ("\n", "\r\n" or nothing
// for a last line without one). Lines stay bytes so untouched ones are written back as read.
struct Line
{
    QByteArray text;
    QByteArray ending;
};

QList<Line> SplitLines(const QByteArray& content)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < content.size()) {
        const qsizetype nl = content.indexOf('\n', start);
        const qsizetype stop = nl < 0 ? content.size() : nl;
        Line line;
        line.text = content.mid(start, stop - start);
        if (nl >= 0) {
            line.ending = QByteArrayLiteral("\n");
            if (line.text.endsWith('\r')) {
                line.text.chop(1);
                line.ending = QByteArrayLiteral("\r\n");
            }
        }
        lines.append(std::move(line));
        start = stop + 1;
    }
    return lines;
}

// True for "[name]" lines (leading blanks allowed); the name is what lies between the
// brackets, trimmed.
bool SectionOf(const QByteArray& line, QString& name)
{
    const QString text = TrimSpaces(QString::fromUtf8(line), true);
    if (!text.startsWith(u'['))
        return false;
    const qsizetype close = text.indexOf(u']');
    name = TrimSpaces(close < 0 ? text.mid(1) : text.mid(1, close - 1), true);
    return true;
}

// True for "key=value" lines; comment lines (";") never hold an entry.
bool EntryOf(const QByteArray& line, QString& key, QString& value)
{
    const QString text = QString::fromUtf8(line);
    const qsizetype eq = text.indexOf(u'=');
    if (eq < 0)
        return false;
    key = TrimSpaces(text.left(eq), true);
    if (key.startsWith(u';'))
        return false;
    value = TrimSpaces(text.mid(eq + 1), true);
    return true;
}

// Where a key stands, or would be added, in the lines; -1 for what is not there.
struct EntryPlace
{
    qsizetype sectionLine = -1;
    qsizetype lastContent = -1; // last non-blank line of the section
    qsizetype keyLine = -1;
    QString keyAsWritten;
};

EntryPlace FindEntry(const QList<Line>& lines, const QString& section, const QString& key)
{
    EntryPlace place;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString name;
        QString current;
        if (SectionOf(lines.at(i).text, name)) {
            if (place.sectionLine >= 0)
                break;
            if (EqualNoCase(name, section))
                place.sectionLine = place.lastContent = i;
        } else if (place.sectionLine >= 0) {
            if (!TrimSpaces(QString::fromUtf8(lines.at(i).text), true).isEmpty())
                place.lastContent = i;
            if (EntryOf(lines.at(i).text, name, current) && EqualNoCase(name, key)) {
                place.keyLine = i;
                place.keyAsWritten = name;
                break;
            }
        }
    }
    return place;
}

// Replaces the key's line, or adds the key after the section's last line, or adds the section.
void PutEntry(QList<Line>& lines, const EntryPlace& place, const QString& section,
              const QString& key, const QString& value, const QByteArray& newline)
{
    auto endLine = [&](qsizetype i) {
        if (i >= 0 && lines[i].ending.isEmpty())
            lines[i].ending = newline;
    };
    if (place.keyLine >= 0) {
        lines[place.keyLine].text = (place.keyAsWritten + u'=' + value).toUtf8();
    } else if (place.sectionLine >= 0) {
        endLine(place.lastContent);
        lines.insert(place.lastContent + 1, Line{(key + u'=' + value).toUtf8(), newline});
    } else {
        endLine(lines.size() - 1);
        lines.append(Line{(u'[' + section + u']').toUtf8(), newline});
        lines.append(Line{(key + u'=' + value).toUtf8(), newline});
    }
}

} // namespace

QString ReadPreference(const QString& key, const QString& defaultValue, const QString& section,
                       const QString& folder, const QString& fileName)
{
    // The platform's function drops the default's trailing blanks too.
    QString fallback = defaultValue;
    while (fallback.endsWith(u' '))
        fallback.chop(1);
    fallback.truncate(kMaxValueLength);

    if (key.isEmpty())
        return fallback;
    QFile file(PreferencesPath(folder, fileName));
    if (!file.open(QIODevice::ReadOnly))
        return fallback;

    bool inSection = false;
    bool sectionSeen = false;
    for (const Line& line : SplitLines(file.readAll())) {
        QString name;
        QString value;
        if (SectionOf(line.text, name)) {
            // Only the first section of the name counts.
            if (sectionSeen)
                break;
            inSection = EqualNoCase(name, section);
            sectionSeen = inSection;
        } else if (inSection && EntryOf(line.text, name, value) && EqualNoCase(name, key)) {
            return value.left(kMaxValueLength);
        }
    }
    return fallback;
}

void WritePreference(const QString& key, const QString& value, const QString& section,
                     const QString& folder, const QString& fileName)
{
    if (key.isEmpty() || section.isEmpty())
        return;
    const QString path = PreferencesPath(folder, fileName);

    QByteArray content;
    QFile existing(path);
    if (Platform::Exists(path)) {
        // Rewriting a file we cannot read would lose everything in it.
        if (!existing.open(QIODevice::ReadOnly))
            return;
        content = existing.readAll();
        existing.close();
    }
    QList<Line> lines = SplitLines(content);
    const QByteArray newline =
        content.contains("\r\n") ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");

    // A value is one line; a line break in it would split the entry.
    QString flat = value;
    flat.replace(u'\r', u' ').replace(u'\n', u' ');
    PutEntry(lines, FindEntry(lines, section, key), section, key, flat, newline);

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return;
    for (const Line& line : lines) {
        out.write(line.text);
        out.write(line.ending);
    }
    out.commit();
}

void WritePreference(const QString& key, qint64 value, const QString& section,
                     const QString& folder, const QString& fileName)
{
    WritePreference(key, QString::number(value), section, folder, fileName);
}
