#include "platform/ConsoleMode.h"

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
