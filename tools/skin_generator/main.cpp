// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the default skin's pictures into a folder (the skin's assets).
// Run it by hand when the artwork changes and commit the pictures.

#include "app_icon.h"
#include "pictures.h"
#include "product_layout.h"
#include "skin_fonts.h"
#include "skin_layout.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTextStream>

#include <functional>
#include <vector>

namespace {

struct Picture {
    const char *file;
    std::function<QImage()> draw;
};

std::vector<Picture> pictures()
{
    std::vector<Picture> all = {
        {"background.png", drawBackground},     {"panel_disc.png", drawDiscPanel},
        {"panel_idle.png", drawIdlePanel},      {"strip_digits.png", drawDigitStrip},
        {"strip_icons.png", drawIconStrip},     {"strip_modes.png", drawModeStrip},
        {ProductPicture::Background, drawAboutBackground}, {ProductPicture::Close, drawAboutClose},
        {ProductPicture::Icon, drawAboutIcon},             {ProductPicture::Maker, drawAboutMaker},
    };
    for (const SkinElement &element : skinLayout()) {
        if (element.kind == SkinKind::Button)
            all.push_back({element.picture, [file = element.picture] { return drawButton(file); }});
    }
    return all;
}

// The hicolor theme's layout: <size>x<size>/apps/ and scalable/apps/.
bool writeAppIcons(const QDir &themeDir, QTextStream &err)
{
    for (const int size : kAppIconSizes) {
        const QString dir = themeDir.filePath(QStringLiteral("%1x%1/apps").arg(size));
        const QString path = dir + QStringLiteral("/velor-cdplayer.png");
        if (!QDir().mkpath(dir) || !drawAppIcon(size).save(path, "PNG")) {
            err << "cannot write " << path << "\n";
            return false;
        }
    }
    const QString dir = themeDir.filePath(QStringLiteral("scalable/apps"));
    QFile svg(dir + QStringLiteral("/velor-cdplayer.svg"));
    if (!QDir().mkpath(dir) || !svg.open(QIODevice::WriteOnly)
        || svg.write(appIconSvg().toUtf8()) < 0) {
        err << "cannot write " << svg.fileName() << "\n";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    // Fonts need a platform, but nothing is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2 && argc != 3) {
        err << "usage: " << argv[0] << " OUTPUT_DIR [ICON_THEME_DIR]\n";
        return 2;
    }
    const QString missing = missingSkinFonts();
    if (!missing.isEmpty()) {
        err << "fonts not installed: " << missing << "\n";
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        err << "cannot create " << out.path() << "\n";
        return 1;
    }
    for (const Picture &picture : pictures()) {
        const QString path = out.filePath(QString::fromLatin1(picture.file));
        // No gamma or time stamps: the same drawing gives the same file.
        if (!picture.draw().save(path, "PNG")) {
            err << "cannot write " << path << "\n";
            return 1;
        }
    }
    return argc == 3 && !writeAppIcons(QDir(QString::fromLocal8Bit(argv[2])), err) ? 1 : 0;
}
