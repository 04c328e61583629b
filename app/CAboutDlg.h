// The About box (dialog 100): the program icon, "Brelko Version 1.3", two
// lines about the program, the build's version and OK.
#pragma once

#include <QDialog>

namespace brelko::app {

class CAboutDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent);
};

}  // namespace brelko::app
