#include "ui/AppIcon.h"

#include "base/ProductInfo.h"

QIcon AppIcon()
{
    // The resource sits in a static library, whose initialiser nothing else would pull in.
    Q_INIT_RESOURCE(AppIcon);
    QIcon builtIn;
    for (const int size : {48, 128})
        builtIn.addFile(QStringLiteral(":/icons/pendrift-%1.png").arg(size), QSize(size, size));
    return QIcon::fromTheme(kApplicationId, builtIn);
}
