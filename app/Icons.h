// The program's icons from its resources. On Linux they are the SVG drawings
// themselves; the Windows build has no SVG module, so its resources carry the
// same drawings rendered to PNG at the sizes a window asks for (made on the
// build machine), and the icon is put together from those.
#pragma once

#include <QIcon>
#include <QString>

namespace brelko::app {

// "brelko" (the program), or a toolbar button's name: "open", "picture", ...
QIcon ProgramIcon(const QString& name);

}  // namespace brelko::app
