// Draws the default skin's pictures into a folder (the skin's assets).
// Run it by hand when the artwork changes and commit the pictures.

#include "pictures.h"
#include "seihin_layout.h"
#include "skin_fonts.h"
#include "skin_layout.h"

#include <QDir>
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
        {SeihinPicture::Background, drawAboutBackground}, {SeihinPicture::Close, drawAboutClose},
        {SeihinPicture::Icon, drawAboutIcon},             {SeihinPicture::Maker, drawAboutMaker},
    };
    for (const SkinElement &element : skinLayout()) {
        if (element.kind == SkinKind::Button)
            all.push_back({element.picture, [file = element.picture] { return drawButton(file); }});
    }
    return all;
}

}  // namespace

int main(int argc, char **argv)
{
    // Fonts need a platform, but nothing is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: " << argv[0] << " OUTPUT_DIR\n";
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
    return 0;
}
