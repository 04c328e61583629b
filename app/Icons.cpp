#include "app/Icons.h"

namespace brelko::app {

QIcon ProgramIcon(const QString& name) {
#ifdef BRELKO_ICONS_AS_PNG
    // The sizes the build renders (app/CMakeLists.txt): menus and toolbars
    // take 16 to 32, the About box 48, the task bar up to 256.
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 256}) {
        const QString file = QStringLiteral(":/icons/%1/%2.png").arg(size).arg(name);
        icon.addFile(file, QSize(size, size));
    }
    return icon;
#else
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(name));
#endif
}

}  // namespace brelko::app
