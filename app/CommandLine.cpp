#include "app/CommandLine.h"

#include "base/AppError.h"
#include "base/Dialogs.h"
#include "base/Text.h"
#include "platform/Paths.h"

void SwitchTable::Add(const QString& name, const QString& value)
{
    if (Contains(name))
        RaiseError(ErrorNumber::DuplicateKey);
    m_items.append({name, value});
}

bool SwitchTable::Contains(const QString& name) const
{
    for (const auto& item : m_items)
        if (EqualNoCase(item.first, name))
            return true;
    return false;
}

QString SwitchTable::Value(const QString& name) const
{
    for (const auto& item : m_items)
        if (EqualNoCase(item.first, name))
            return item.second;
    RaiseError(ErrorNumber::InvalidCall);
}

namespace {

bool IsSwitch(const QString& argument)
{
    if (!argument.startsWith(u'/'))
        return false;
    const qsizetype colon = argument.indexOf(u':');
    const QString head = colon < 0 ? argument : argument.left(colon);
    return head.indexOf(u'/', 1) < 0;
}

} // namespace

SwitchTable ParseCommandLine(const QStringList& arguments)
{
    SwitchTable table;
    QString name;
    QString value;
    bool open = false;
    for (const QString& argument : arguments) {
        if (IsSwitch(argument)) {
            if (open)
                table.Add(TrimSpaces(name), TrimSpaces(value));
            const qsizetype colon = argument.indexOf(u':');
            name = colon < 0 ? argument.mid(1) : argument.mid(1, colon - 1);
            value = colon < 0 ? QString() : argument.mid(colon + 1);
            open = true;
        } else if (open) {
            value = TrimSpaces(value).isEmpty() ? argument : TrimSpaces(value) + u' ' + argument;
        }
    }
    if (open)
        table.Add(TrimSpaces(name), TrimSpaces(value));
    return table;
}

QString ArgumentText(const QStringList& arguments)
{
    return arguments.join(u' ');
}

bool HasSwitch(const SwitchTable& switches, const QString& name)
{
    return switches.Contains(name);
}

void InitDataFolder()
{
    if (!PathExists(GetDataFolder(), true))
        MakeFolderPath(GetDataFolder());
}

QString ResolveDocumentPath(const QString& value)
{
    QString name = value;
    name.remove(u'"');
    if (name.contains(u'/'))
        return name;
    if (!name.contains(u'.'))
        name += QStringLiteral(".cfg");
    return AddTrailingSlash(GetDataFolder()) + name;
}
