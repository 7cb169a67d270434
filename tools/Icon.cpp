// Writes Pellam's application icon, a 256 x 256 PNG cut from the window's
// banner:  pellam_icon FILE
#include "app/Main.h"

#include <QGuiApplication>
#include <QPainter>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);
    // A square of the banner's sky, clear of its title, behind the title's first letter.
    QImage banner = BannerPicture();
    QImage icon = banner.copy(banner.width() - 210, 0, 210, 210).scaled(256, 256, Qt::IgnoreAspectRatio,
                                                      Qt::SmoothTransformation);
    QPainter p(&icon);
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(180);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(icon.rect(), Qt::AlignCenter, QStringLiteral("P"));
    p.end();
    return icon.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
