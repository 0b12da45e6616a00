#include "platform/ConsoleMode.h"

#include <cstdio>

namespace {

bool g_console = false;

} // namespace

bool ConsoleMode()
{
    return g_console;
}

void SetConsoleMode(bool console)
{
    g_console = console;
}

void ConsoleLine(const QString& line)
{
    if (!g_console || line.isEmpty())
        return;
    std::fputs((line + u'\n').toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}
