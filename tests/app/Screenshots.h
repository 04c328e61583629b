// Screenshots of the window for the README's folder: $BRELKO_SCREENSHOT_DIR,
// else the build tree's screenshots/ folder.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QWidget>
#include <QtTest>

namespace brelko::test {

inline QString Folder() {
    const QByteArray chosen = qgetenv("BRELKO_SCREENSHOT_DIR");
    const QString folder = chosen.isEmpty() ? QStringLiteral(BRELKO_SCREENSHOT_DIR) : QString::fromLocal8Bit(chosen);
    QDir().mkpath(folder);
    return folder;
}

// Saves the widget as shown and checks that it shows something.
inline void Shoot(QWidget* widget, const QString& name) {
    QCoreApplication::processEvents();
    const QImage image = widget->grab().toImage();
    QVERIFY(!image.isNull());
    QVERIFY(image.width() > 100 && image.height() > 50);
    const QString path = Folder() + "/" + name + ".png";
    QVERIFY(image.save(path));
    qInfo("wrote %s", qPrintable(path));
}

}  // namespace brelko::test
