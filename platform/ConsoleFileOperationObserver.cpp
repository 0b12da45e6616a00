#include "platform/ConsoleFileOperationObserver.h"

void ConsoleFileOperationObserver::AddFailure(const QString& text)
{
    std::fprintf(m_out, "%s\n", text.toLocal8Bit().constData());
    std::fflush(m_out);
}
