#include "app/COptionsDlg.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>

#include "app/Icons.h"
#include "app/CBrelkoApp.h"
#include "app/CMainFrame.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "exchange/CStatusView.h"
#include "app/CompareWithSystem.h"
#include "platform/Profile.h"
#include "res/ResourceIds.h"
#include "platform/Resources.h"
#include "app/framework/Dialogs.h"
#include "app/framework/QtText.h"
#if defined(BRELKO_HAVE_SERIALDEVICES) && defined(_WIN32)
#include "comlink/devices/SerialDevices.h"
#elif defined(BRELKO_HAVE_SERIALDEVICES)
#include "comlink/devices/PortInventory.h"
#define BRELKO_HAVE_PORT_INVENTORY
#endif

namespace brelko::app {

namespace {
constexpr int kPortCount = 4;

#ifdef BRELKO_HAVE_PORT_INVENTORY
// "/dev/ttyUSB0, FTDI FT232R USB UART, in use by minicom (pid 4242)"
std::string InventoryText(const PortEntry& entry) {
    std::string text = FormatArgs(LoadString(entry.exists ? IDS_DEVICE_PRESENT : IDS_DEVICE_ABSENT), {entry.path});
    if (entry.known) {
        std::string name = entry.device.vendor;
        if (!entry.device.product.empty()) name += (name.empty() ? "" : " ") + entry.device.product;
        if (!name.empty()) text += ", " + name;
    }
    if (!entry.holders.empty()) {
        text += ", " + FormatArgs(LoadString(IDS_PORT_IN_USE), {entry.holders});
    } else if (entry.exists && !entry.access.mayOpen && !entry.access.group.empty()) {
        text += ", " + FormatArgs(LoadString(IDS_PORT_JOIN_GROUP), {entry.access.group});
    }
    return text;
}
#endif
}  // namespace

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
    icon->setPixmap(ProgramIcon(QStringLiteral("brelko")).pixmap(32, 32));
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
    auto* portBlock = new QVBoxLayout;
    portBlock->addLayout(portRow);
#ifdef BRELKO_HAVE_PORT_INVENTORY
    m_pTieLabel = new QLabel(this);
    m_pTie = new QComboBox(this);
    m_pTie->setObjectName(QStringLiteral("tieList"));
    m_pTieLabel->setBuddy(m_pTie);
    auto* tieRow = new QHBoxLayout;
    tieRow->addWidget(m_pTieLabel);
    tieRow->addWidget(m_pTie, 1);
    portBlock->addLayout(tieRow);
#endif
    grid->addWidget(m_pPortLabelCtl, 2, 1);
    grid->addLayout(portBlock, 3, 1);
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
    m_pConfirmRestore = new QCheckBox(this);
    m_pConfirmRestore->setObjectName(QStringLiteral("confirmRestore"));
    auto* confirmText = new QLabel(Str(IDS_CONFIRM_RESTORE_OPTION), this);
    confirmText->setWordWrap(true);
    confirmText->setBuddy(m_pConfirmRestore);
    auto* safetyBlock = new QVBoxLayout;
    auto* confirmRow = new QHBoxLayout;
    confirmRow->addWidget(m_pConfirmRestore, 0, Qt::AlignTop);
    confirmRow->addWidget(confirmText, 1);
    safetyBlock->addLayout(safetyRow);
    safetyBlock->addLayout(confirmRow);
    grid->addLayout(safetyBlock, 7, 1);

    m_pTrace = new QCheckBox(Str(IDS_TRACE_OPTION), this);
    m_pTrace->setObjectName(QStringLiteral("traceLine"));
    m_pTraceFile = new QLineEdit(this);
    m_pTraceFile->setObjectName(QStringLiteral("traceFile"));
    m_pTraceFile->setAccessibleName(m_pTrace->text().remove('&'));
    auto* browseTrace = new QPushButton(Str(IDS_BROWSE), this);
    browseTrace->setObjectName(QStringLiteral("browseTrace"));
    browseTrace->setAccessibleName(Str(IDS_BROWSE).remove(QStringLiteral("...")) + QStringLiteral(": ") +
                                   m_pTrace->text().remove('&'));
    browseTrace->setAutoDefault(false);
    connect(browseTrace, &QPushButton::clicked, this, [this] {
        // The program's own file dialog: its size remembered, and no device
        // in the folder read to tell its type.
        FileDialogRequest request;
        request.save = true;
        request.title = S(m_pTrace->text().remove('&'));
        request.fileName = S(m_pTraceFile->text());
        request.startFolder = S(QFileInfo(m_pTraceFile->text()).absolutePath());
        const std::string file = RunFileDialog(request);
        if (!file.empty()) m_pTraceFile->setText(Q(file));
    });
    auto* traceRow = new QHBoxLayout;
    traceRow->addSpacing(20);
    traceRow->addWidget(m_pTraceFile, 1);
    traceRow->addWidget(browseTrace);
    for (QWidget* w : {static_cast<QWidget*>(m_pTraceFile), static_cast<QWidget*>(browseTrace)}) {
        w->setEnabled(false);
        connect(m_pTrace, &QCheckBox::toggled, w, &QWidget::setEnabled);
    }
    grid->addWidget(m_pTrace, 8, 1);
    grid->addLayout(traceRow, 9, 1);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton* ok = buttons->addButton(Q(texts.Control(IDOK)), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(Q(texts.Control(IDCANCEL)), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 0, 2, 10, 1, Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(460);
}

void COptionsDlg::OnInitDialog() {
    // The caption is the part of ID_OPTIONS (32796, "Change program options\nOptions")
    // after its first line feed.
    const std::string caption = LoadString(ID_OPTIONS);
    const std::size_t newline = caption.find('\n');
    setWindowTitle(Q(newline == std::string::npos ? caption : caption.substr(newline + 1)));
    m_strServiceDataText = LoadString(IDS_SERVICE_DATA);
    CMainFrame* frame = BrelkoApp() ? BrelkoApp()->MainFrame() : nullptr;
    if (frame && frame->StatusLogic()) m_bServiceData = frame->StatusLogic()->ServiceData();

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

    // What each COM number opens, looked up once: the inventory asks udev
    // and every process's open files.
    for (int n = 1; n <= kPortCount; ++n) m_portTexts.push_back(PortDeviceText(n));
#if defined(BRELKO_HAVE_SERIALDEVICES) && defined(_WIN32)
    // Windows names each COM port for good: what it leads to is the device
    // the system's list gives ("COM3, \Device\Serial0").
    for (const SerialDeviceInfo& device : ListSerialDevices())
        if (device.comNumber >= 1 && device.comNumber <= kPortCount)
            m_portTexts[device.comNumber - 1] =
                FormatArgs(LoadString(IDS_DEVICE_PRESENT), {device.devnode + ", " + device.StableName()});
#endif
#ifdef BRELKO_HAVE_PORT_INVENTORY
    CBrelkoApp* app = BrelkoApp();
    const bool simulated = app && !app->SimulatorDevice().empty();
    for (const PortEntry& entry : TakePortInventory(ListSerialDevices(), SettingsComResolver(), kPortCount)) {
        for (int n : entry.comNumbers) {
            const bool simulator = simulated && n == Profile::GetInt("Custom", "Comport", 1);
            if (n >= 1 && n <= kPortCount && !simulator) m_portTexts[n - 1] = InventoryText(entry);
        }
        // The simulator's terminal is no adapter to tie to.
        const bool isSimulator = simulated && (entry.path == app->SimulatorDevice() || entry.stableName == app->SimulatorDevice());
        if (entry.exists && !isSimulator) m_tieNames.push_back(entry.stableName);
    }
#endif
    auto* model = static_cast<QStandardItemModel*>(m_pPorts->model());
    for (int n = 1; n <= kPortCount; ++n) {
        auto* number = new QStandardItem(QString::number(n));
        auto* device = new QStandardItem(Q(m_portTexts[n - 1]));
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
    m_bConfirmRestore = ConfirmRestoreEnabled() ? 1 : 0;
    m_bTrace = Profile::GetInt("Custom", "Trace", 0) != 0 ? 1 : 0;
    m_strDefaultTraceFile = m_strTraceFile = CMainFrame::TraceFile();
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
    m_pConfirmRestore->setChecked(m_bConfirmRestore != 0);
    m_pTrace->setChecked(m_bTrace != 0);
    m_pTraceFile->setText(Q(m_strTraceFile));
}

void COptionsDlg::ExchangeFromControls() {
    m_strLanguage = S(m_pLanguages->currentText());
    m_strDirectory = S(m_pFolder->text());
    m_bServiceData = m_pServiceData->isChecked() ? 1 : 0;
    m_bSafetyCopy = m_pSafetyCopy->isChecked() ? 1 : 0;
    m_bConfirmRestore = m_pConfirmRestore->isChecked() ? 1 : 0;
    m_bTrace = m_pTrace->isChecked() ? 1 : 0;
    m_strTraceFile = S(m_pTraceFile->text().trimmed());
}

std::string COptionsDlg::PortDeviceText(int comNumber) {
    CBrelkoApp* app = BrelkoApp();
    if (app && !app->SimulatorDevice().empty() && comNumber == Profile::GetInt("Custom", "Comport", 1))
        return FormatArgs(LoadString(IDS_DEVICE_SIMULATOR), {app->SimulatorDevice()});
#ifdef _WIN32
    // The list of COM ports tells which are there (the dialog fills them in).
    return FormatArgs(LoadString(IDS_DEVICE_ABSENT), {"COM" + std::to_string(comNumber)});
#else
    const std::string device = CDeviceLine::SystemDeviceName(comNumber - 1);
    struct stat st {};
    const bool present = ::stat(device.c_str(), &st) == 0;
    return FormatArgs(LoadString(present ? IDS_DEVICE_PRESENT : IDS_DEVICE_ABSENT), {device});
#endif
}

void COptionsDlg::ShowPortDevice() {
    const int row = m_pPorts->currentIndex();
    const bool known = row >= 0 && row < static_cast<int>(m_portTexts.size());
    m_pPortDevice->setText(known ? QStringLiteral("→ ") + Q(m_portTexts[row]) : QString());
    FillTieList();
}

void COptionsDlg::FillTieList() {
    if (!m_pTie) return;
    const int row = m_pPorts->currentIndex();
    m_pTieLabel->setText(row < 0 ? Str(IDS_TIE_NO_PORT) : Q(FormatArgs(LoadString(IDS_TIE_PORT), {std::to_string(row + 1)})));
    if (m_pTie->count() == 0) {
        m_pTie->addItem(Str(IDS_TIE_NONE));
        for (const std::string& name : m_tieNames) m_pTie->addItem(Q(name));
    }
    m_pTie->setCurrentIndex(0);  // another COM number starts from "as it is" again
    m_pTie->setEnabled(row >= 0 && !m_tieNames.empty());
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
    if (frame && frame->StatusLogic()) frame->StatusLogic()->SetServiceData(m_bServiceData);
    Profile::WriteInt("Custom", "SafetyCopy", m_bSafetyCopy);
    Profile::WriteInt("Custom", "ConfirmRestore", m_bConfirmRestore);
    Profile::WriteInt("Custom", "Trace", m_bTrace);
    // The default file follows the data folder, so it is written only when
    // the user chose another.
    if (m_strTraceFile != m_strDefaultTraceFile) Profile::WriteString("Custom", "TraceFile", m_strTraceFile);
#ifdef BRELKO_HAVE_PORT_INVENTORY
    const int com = m_pPorts->currentIndex() + 1;
    const int tie = m_pTie->currentIndex();
    if (com >= 1 && tie >= 1 && tie <= static_cast<int>(m_tieNames.size())) TieComNumber(com, m_tieNames[tie - 1]);
#endif
    QDialog::accept();
}

}  // namespace brelko::app
