#include "ui/AppIcon.h"
#include "support/ProductInfo.h"
#include "tests/common/TestSupport.h"

#include <QImage>

using namespace Qt::StringLiterals;

TEST(AppIcon, BuiltInCopyUntilTheThemeHasTheInstalledOne)
{
    // The theme lookup sees only a folder of the test's own, then is put back.
    const TempFolder root;
    const QStringList paths = QIcon::themeSearchPaths(), fallback = QIcon::fallbackSearchPaths();
    const QString theme = QIcon::themeName();
    QIcon::setFallbackSearchPaths({});
    QIcon::setThemeName(u"hicolor"_s);
    QIcon::setThemeSearchPaths({root.path()});
    const QIcon builtIn = AppIcon();
    for (const int size : {48, 128})
        EXPECT_EQ(builtIn.pixmap(size).size(), QSize(size, size));

    // An installed icon, told apart by its colour; new search paths forget earlier lookups.
    root.Write(u"hicolor/index.theme"_s,
               "[Icon Theme]\nDirectories=48x48/apps\n[48x48/apps]\nSize=48\n");
    QImage red(48, 48, QImage::Format_ARGB32);
    red.fill(Qt::red);
    red.save(root.MakeFolder(u"hicolor/48x48/apps"_s) + u'/' + kApplicationId + u".png"_s);
    QIcon::setThemeSearchPaths({root.path()});
    EXPECT_EQ(AppIcon().pixmap(48).toImage().pixel(24, 24), red.pixel(24, 24));
    EXPECT_NE(builtIn.pixmap(48).toImage().pixel(24, 24), red.pixel(24, 24));
    QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackSearchPaths(fallback);
    QIcon::setThemeName(theme);
}
