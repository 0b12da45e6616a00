#include "Events.h"

#include <QCoreApplication>

void DoEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}
