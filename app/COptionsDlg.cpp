#include "COptionsDlg.h"

#include <sys/stat.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>

#include "CBrelkoApp.h"
#include "CMainFrame.h"
#include "CPosixPort.h"
#include "CStatusView.h"
#include "Profile.h"
#include "ResourceIds.h"
#include "Resources.h"
#include "framework/QtText.h"

namespace brelko::app {

namespace {
constexpr int kPortCount = 4;
}

bool SafetyCopyEnabled() { return Profile::GetInt("Custom", "SafetyCopy", 1) != 0; }

COptionsDlg::COptionsDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("optionsDialog"));
    BuildControls();
    OnInitDialog();
}

void COptionsDlg::BuildControls() {
    // The template's texts show until the dialog fills its labels.
    const DialogTexts texts = LoadDialog(IDD_OPTIONS).value_or(DialogTexts{});
    auto* grid = new QGridLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/brelko.svg")).pixmap(32, 32));
    grid->addWidget(icon, 0, 0, Qt::AlignTop);

    m_pLanguageLabelCtl = new QLabel(Q(texts.Control(IDC_LANGUAGE_LABEL)), this);
    m_pLanguages = new QComboBox(this);
    m_pLanguages->setObjectName(QStringLiteral("languageList"));
    m_pLanguageLabelCtl->setBuddy(m_pLanguages);
    grid->addWidget(m_pLanguageLabelCtl, 0, 1);
    grid->addWidget(m_pLanguages, 1, 1);

    m_pPortLabelCtl = new QLabel(Q(texts.Control(IDC_PORT_LABEL)), this);
    m_pPorts = new QComboBox(this);
    m_pPorts->setObjectName(QStringLiteral("portList"));
    // Two columns in the list: the number, and the device it opens here.
    auto* model = new QStandardItemModel(0, 2, m_pPorts);
    auto* view = new QTreeView(m_pPorts);
    view->setRootIsDecorated(false);
    view->setHeaderHidden(true);
    view->setItemsExpandable(false);
    view->setAllColumnsShowFocus(true);
    m_pPorts->setModel(model);
    m_pPorts->setView(view);
    m_pPorts->setModelColumn(0);
    m_pPortLabelCtl->setBuddy(m_pPorts);
    m_pPortDevice = new QLabel(this);
    m_pPortDevice->setObjectName(QStringLiteral("portDevice"));
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(m_pPorts);
    portRow->addWidget(m_pPortDevice, 1);
    grid->addWidget(m_pPortLabelCtl, 2, 1);
    grid->addLayout(portRow, 3, 1);
    connect(m_pPorts, &QComboBox::currentIndexChanged, this, &COptionsDlg::ShowPortDevice);

    m_pFolderLabelCtl = new QLabel(Q(texts.Control(IDC_FOLDER_LABEL)), this);
    m_pFolder = new QLineEdit(this);
    m_pFolder->setObjectName(QStringLiteral("folderEdit"));
    m_pFolderLabelCtl->setBuddy(m_pFolder);
    auto* browse = new QPushButton(Str(IDS_BROWSE), this);
    browse->setObjectName(QStringLiteral("browseFolder"));
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &COptionsDlg::OnBrowseFolder);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_pFolder, 1);
    folderRow->addWidget(browse);
    grid->addWidget(m_pFolderLabelCtl, 4, 1);
    grid->addLayout(folderRow, 5, 1);

    m_pServiceData = new QCheckBox(this);
    m_pServiceData->setObjectName(QStringLiteral("serviceData"));
    m_pServiceText = new QLabel(Q(texts.Control(IDC_SERVICE_DATA_TEXT)), this);
    m_pServiceText->setWordWrap(true);
    m_pServiceText->setBuddy(m_pServiceData);
    auto* serviceRow = new QHBoxLayout;
    serviceRow->addWidget(m_pServiceData, 0, Qt::AlignTop);
    serviceRow->addWidget(m_pServiceText, 1);
    grid->addLayout(serviceRow, 6, 1);

    m_pSafetyCopy = new QCheckBox(this);
    m_pSafetyCopy->setObjectName(QStringLiteral("safetyCopy"));
    auto* safetyText = new QLabel(Str(IDS_SAFETY_COPY_OPTION), this);
    safetyText->setWordWrap(true);
    safetyText->setBuddy(m_pSafetyCopy);
    auto* safetyRow = new QHBoxLayout;
    safetyRow->addWidget(m_pSafetyCopy, 0, Qt::AlignTop);
    safetyRow->addWidget(safetyText, 1);
    grid->addLayout(safetyRow, 7, 1);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton* ok = buttons->addButton(Q(texts.Control(IDOK)), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(Q(texts.Control(IDCANCEL)), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 0, 2, 8, 1, Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(460);
}

void COptionsDlg::OnInitDialog() {
    // The caption is the part of 32796 after its first line feed.
    const std::string caption = LoadString(ID_OPTIONS);
    const std::size_t newline = caption.find('\n');
    setWindowTitle(Q(newline == std::string::npos ? caption : caption.substr(newline + 1)));
    m_strServiceDataText = LoadString(IDS_SERVICE_DATA);
    CMainFrame* frame = BrelkoApp() ? BrelkoApp()->MainFrame() : nullptr;
    if (frame && frame->StatusLogic()) m_bServiceData = frame->StatusLogic()->m_bServiceData;

    // The lists keep the order they are filled in.
    const int languages = Profile::GetInt("Language", "Languagecount", 0);
    for (int i = 1; i <= languages; ++i)
        m_pLanguages->addItem(Q(Profile::GetString("Language", std::to_string(i), "None")));
    m_pLanguages->setCurrentIndex(-1);
    const int language = Profile::GetInt("Language", "CurrentLanguage", -1) - 1;
    if (language >= 0 && language < m_pLanguages->count()) m_pLanguages->setCurrentIndex(language);

    m_strLanguageLabel = LoadString(IDS_SELECT_LANGUAGE);
    m_strPortLabel = LoadString(IDS_COM_PORT);
    m_strFolderLabel = LoadString(IDS_DATA_FOLDER);

    auto* model = static_cast<QStandardItemModel*>(m_pPorts->model());
    for (int n = 1; n <= kPortCount; ++n) {
        auto* number = new QStandardItem(QString::number(n));
        auto* device = new QStandardItem(Q(PortDeviceText(n)));
        model->appendRow({number, device});
    }
    static_cast<QTreeView*>(m_pPorts->view())->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_pPorts->view()->setMinimumWidth(m_pPorts->view()->sizeHintForColumn(0) + m_pPorts->view()->sizeHintForColumn(1) + 24);
    m_pPorts->setCurrentIndex(-1);
    const int port = Profile::GetInt("Custom", "Comport", -1) - 1;
    if (port >= 0 && port < kPortCount) m_pPorts->setCurrentIndex(port);
    ShowPortDevice();

    m_strDirectory = Profile::GetString("Custom", "Directory", "");
    m_bSafetyCopy = SafetyCopyEnabled() ? 1 : 0;
    ExchangeToControls();
}

void COptionsDlg::ExchangeToControls() {
    // The selected language field is empty now: it selects nothing and the
    // row chosen above stays.
    if (!m_strLanguage.empty()) m_pLanguages->setCurrentText(Q(m_strLanguage));
    m_pLanguageLabelCtl->setText(Q(m_strLanguageLabel));
    m_pFolder->setText(Q(m_strDirectory));
    m_pFolderLabelCtl->setText(Q(m_strFolderLabel));
    m_pPortLabelCtl->setText(Q(m_strPortLabel));
    m_pServiceData->setChecked(m_bServiceData != 0);
    m_pServiceText->setText(Q(m_strServiceDataText));
    m_pSafetyCopy->setChecked(m_bSafetyCopy != 0);
}

void COptionsDlg::ExchangeFromControls() {
    m_strLanguage = S(m_pLanguages->currentText());
    m_strDirectory = S(m_pFolder->text());
    m_bServiceData = m_pServiceData->isChecked() ? 1 : 0;
    m_bSafetyCopy = m_pSafetyCopy->isChecked() ? 1 : 0;
}

std::string COptionsDlg::PortDeviceText(int comNumber) {
    CBrelkoApp* app = BrelkoApp();
    if (app && !app->SimulatorDevice().empty() && comNumber == Profile::GetInt("Custom", "Comport", 1))
        return FormatArgs(LoadString(IDS_DEVICE_SIMULATOR), {app->SimulatorDevice()});
    const std::string device = CPosixPort::DevicePathFor(comNumber - 1);
    struct stat st {};
    const bool present = ::stat(device.c_str(), &st) == 0;
    return FormatArgs(LoadString(present ? IDS_DEVICE_PRESENT : IDS_DEVICE_ABSENT), {device});
}

void COptionsDlg::ShowPortDevice() {
    const int row = m_pPorts->currentIndex();
    m_pPortDevice->setText(row < 0 ? QString() : QStringLiteral("→ ") + Q(PortDeviceText(row + 1)));
}

void COptionsDlg::OnBrowseFolder() {
    const QString start = m_pFolder->text().isEmpty() ? QDir::currentPath() : m_pFolder->text();
    const QString folder = QFileDialog::getExistingDirectory(this, m_pFolderLabelCtl->text(), start);
    if (!folder.isEmpty()) m_pFolder->setText(folder);
}

void COptionsDlg::accept() {
    ExchangeFromControls();
    Profile::WriteInt("Custom", "Comport", m_pPorts->currentIndex() + 1);
    Profile::WriteString("Custom", "Directory", m_strDirectory);
    if (!m_strDirectory.empty()) QDir::setCurrent(Q(m_strDirectory));
    const int language = m_pLanguages->currentIndex() + 1;
    Profile::WriteInt("Language", "CurrentLanguage", language);
    SelectLanguage(language);
    CMainFrame* frame = BrelkoApp() ? BrelkoApp()->MainFrame() : nullptr;
    if (frame && frame->StatusLogic()) frame->StatusLogic()->m_bServiceData = m_bServiceData;
    Profile::WriteInt("Custom", "SafetyCopy", m_bSafetyCopy);
    QDialog::accept();
}

}  // namespace brelko::app
