#include "app/CAboutDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "app/Icons.h"
#include "BrelkoVersion.h"
#include "res/ResourceIds.h"
#include "platform/Resources.h"
#include "platform/Strings.h"
#include "app/framework/QtText.h"

namespace brelko::app {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutDialog"));
    const DialogTexts texts = LoadDialog(IDD_ABOUTBOX).value_or(DialogTexts{});
    setWindowTitle(Q(texts.caption));
    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon(QStringLiteral("brelko")).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 4, 1);
    int row = 0;
    for (unsigned id : {IDC_ABOUT_VERSION, IDC_ABOUT_LINE2, IDC_ABOUT_LINE3, IDC_ABOUT_BUILD}) {
        // The product line stays as it always was; the build's own version
        // stands on a line of its own below, as --version prints it.
        const std::string text = texts.Control(id);
        auto* line = new QLabel(Q(id == IDC_ABOUT_BUILD ? FormatPercent1(text, kBuildVersion) : text), this);
        line->setObjectName(QStringLiteral("aboutLine%1").arg(id));
        if (id == IDC_ABOUT_VERSION) {
            QFont font = line->font();
            font.setBold(true);
            line->setFont(font);
        }
        layout->addWidget(line, row++, 1);
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(Q(texts.Control(IDOK)), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons, row, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace brelko::app
