#include "ui/AppIcon.h"

#include <QIcon>
#include <gtest/gtest.h>

// With no installed icon in the desktop's theme, the program's own copy serves both sizes.
TEST(AppIcon, BuiltInCopyAtBothSizes)
{
    const QStringList paths = QIcon::themeSearchPaths(), fallback = QIcon::fallbackSearchPaths();
    QIcon::setThemeSearchPaths({});
    QIcon::setFallbackSearchPaths({});
    const QIcon icon = AppIcon();
    for (const int size : {48, 128})
        EXPECT_EQ(icon.pixmap(size).size(), QSize(size, size));
    QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackSearchPaths(fallback);
}
