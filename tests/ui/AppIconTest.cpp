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
    QIcon::setThemeSearchPaths({root.path()});
    QIcon::setFallbackSearchPaths({});
    QIcon::setThemeName(u"hicolor"_s);

    const QIcon builtIn = AppIcon();
    for (const int size : {48, 128})
        EXPECT_EQ(builtIn.pixmap(size, size).size(), QSize(size, size));

    // An installed icon, told apart from the built-in one by its colour.
    root.Write(u"hicolor/index.theme"_s, "[Icon Theme]\nName=hicolor\nDirectories=48x48/apps\n\n"
                                         "[48x48/apps]\nSize=48\nType=Fixed\n");
    QImage red(48, 48, QImage::Format_ARGB32);
    red.fill(Qt::red);
    EXPECT_TRUE(
        red.save(root.MakeFolder(u"hicolor/48x48/apps"_s) + u'/' + kApplicationId + u".png"_s));
    QIcon::setThemeSearchPaths({root.path()}); // forgets what was looked up before
    const auto centre = [](const QIcon& icon) { return icon.pixmap(48).toImage().pixel(24, 24); };
    EXPECT_EQ(centre(AppIcon()), QColor(Qt::red).rgba());
    EXPECT_NE(centre(builtIn), QColor(Qt::red).rgba());

    QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackSearchPaths(fallback);
    QIcon::setThemeName(theme);
}
