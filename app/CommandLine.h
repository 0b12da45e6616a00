#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Switch names mapped to their values, in the order given; names compared without regard to
// letter case. A name can be present only once.
class SwitchTable
{
public:
    // Error 457 when the name is already present.
    void Add(const QString& name, const QString& value);
    bool Contains(const QString& name) const;
    // The value stored under the name; error 5 when there is none.
    QString Value(const QString& name) const;
    bool IsEmpty() const { return m_items.isEmpty(); }
    qsizetype Count() const { return m_items.size(); }

private:
    QList<QPair<QString, QString>> m_items;
};

// "/" is both the switch character and the path separator here, so the grammar works on the
// argument vector: an argument is a switch when it begins with "/" and the part before its
// first ":" holds no other "/". Arguments that are not switches join the value of the switch
// before them with single spaces; those before the first switch are ignored.
SwitchTable ParseCommandLine(const QStringList& arguments);

// The arguments joined with single spaces: the bare document path when there is no switch.
QString ArgumentText(const QStringList& arguments);

// True when an element with that name (any letter case) exists. Never raises.
bool HasSwitch(const SwitchTable& switches, const QString& name);

// Creates the data folder when it is missing; reports nothing.
void InitDataFolder();

// The document a "/f" value names: quotes removed; a value without "/" is a name in the data
// folder (".cfg" added when it has no "."); a value with "/" is used unchanged.
QString ResolveDocumentPath(const QString& value);
