#include "ui/AppIcon.h"
#include "support/ProductInfo.h"
#include "tests/common/TestSupport.h"

#include <QImage>

using namespace Qt::StringLiterals;

namespace {

// Points the icon theme lookup at a folder of the test's own for the lifetime of the object.
class ThemeFolder
{
public:
    ThemeFolder()
        : m_paths(QIcon::themeSearchPaths()), m_fallback(QIcon::fallbackSearchPaths()),
          m_theme(QIcon::themeName())
    {
        QIcon::setThemeSearchPaths({m_root.path()});
        QIcon::setFallbackSearchPaths({});
        QIcon::setThemeName(u"hicolor"_s);
    }
    ~ThemeFolder()
    {
        QIcon::setThemeSearchPaths(m_paths);
        QIcon::setFallbackSearchPaths(m_fallback);
        QIcon::setThemeName(m_theme);
    }
    const TempFolder& root() const { return m_root; }

private:
    TempFolder m_root;
    QStringList m_paths;
    QStringList m_fallback;
    QString m_theme;
};

QRgb CentreOf(const QIcon& icon)
{
    return icon.pixmap(48, 48).toImage().pixel(24, 24);
}

} // namespace

TEST(AppIcon, BuiltInCopyUntilTheThemeHasTheInstalledOne)
{
    ThemeFolder theme;
    const QIcon builtIn = AppIcon();
    ASSERT_FALSE(builtIn.isNull());
    EXPECT_EQ(builtIn.pixmap(48, 48).size(), QSize(48, 48));
    EXPECT_EQ(builtIn.pixmap(128, 128).size(), QSize(128, 128));

    // An installed icon, told apart from the built-in one by its colour.
    theme.root().Write(u"hicolor/index.theme"_s,
                       "[Icon Theme]\nName=hicolor\nDirectories=48x48/apps\n\n"
                       "[48x48/apps]\nSize=48\nType=Fixed\n");
    const QString apps = theme.root().MakeFolder(u"hicolor/48x48/apps"_s);
    QImage red(48, 48, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(apps + u'/' + kApplicationId + u".png"_s));
    QIcon::setThemeSearchPaths({theme.root().path()}); // forgets what was looked up before
    const QIcon installed = AppIcon();
    EXPECT_EQ(CentreOf(installed), QColor(Qt::red).rgba());
    EXPECT_NE(CentreOf(builtIn), CentreOf(installed));
}
