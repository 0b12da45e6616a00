#include "base/ConsoleDialogAnswerer.h"

namespace {

QString AsLines(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

void ConsoleDialogAnswerer::Write(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), m_out);
    std::fflush(m_out);
}

MsgResult ConsoleDialogAnswerer::Message(const DialogRequest& request)
{
    Write(request.caption + QStringLiteral(": ") + AsLines(request.text) + u'\n' +
          QStringLiteral("-> ") + ButtonWord(request.defaultButton) + u'\n');
    return request.defaultButton;
}

QString ConsoleDialogAnswerer::Text(const DialogRequest& request)
{
    const QString what = request.text.isEmpty()
                             ? request.caption
                             : request.caption + QStringLiteral(": ") + AsLines(request.text);
    Write(what + u'\n' + QStringLiteral("-> ") + ButtonWord(MsgResult::Cancel) + u'\n');
    return {};
}
