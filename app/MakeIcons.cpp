// brelko_mkicons ICON.svg SIZE OUT.png: renders the program icon as a square
// PNG of SIZE pixels for the desktop's icon theme, which wants bitmaps beside
// the scalable icon for the small sizes of menus and panels.
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: brelko_mkicons ICON.svg SIZE OUT.png\n");
        return 2;
    }
    // No application object: the icon is shapes only, drawn into an image,
    // and needs no display, fonts or runtime folder.
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    const int size = std::atoi(argv[2]);
    if (!renderer.isValid() || size < 1 || size > 1024) {
        std::fprintf(stderr, "brelko_mkicons: cannot render %s at %s pixels\n", argv[1], argv[2]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "brelko_mkicons: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
