// The Options dialog (dialog 135): the user-interface language, the COM port
// (with the device each number opens on this machine), the data folder, the
// extra service data for the next backups, and the safety copy before every
// restore, and the record of the line. Where the machine can tell its
// serial devices apart, each COM number shows its adapter and who holds it,
// and the selected one can be tied to an adapter by its stable name.
// OK writes the choices and loads the language; Cancel writes nothing.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace brelko::app {

class COptionsDlg final : public QDialog {
    Q_OBJECT
public:
    explicit COptionsDlg(QWidget* parent);

    // The fields, in order.
    std::string m_strLanguage;
    std::string m_strLanguageLabel;
    std::string m_strFolderLabel;
    std::string m_strDirectory;
    std::string m_strPortLabel;
    int m_bServiceData = 0;
    std::string m_strServiceDataText;
    int m_bSafetyCopy = 1;
    int m_bConfirmRestore = 0;
    int m_bTrace = 0;
    std::string m_strTraceFile;

    QComboBox* LanguageList() const { return m_pLanguages; }
    QComboBox* PortList() const { return m_pPorts; }
    QLineEdit* FolderEdit() const { return m_pFolder; }
    QCheckBox* ServiceDataBox() const { return m_pServiceData; }
    QCheckBox* SafetyCopyBox() const { return m_pSafetyCopy; }
    // The device the selected COM number opens, and whether it is there.
    QLabel* PortDeviceLabel() const { return m_pPortDevice; }
    QCheckBox* ConfirmRestoreBox() const { return m_pConfirmRestore; }
    QCheckBox* TraceBox() const { return m_pTrace; }
    QLineEdit* TraceFileEdit() const { return m_pTraceFile; }
    // The adapters the selected COM number can be tied to; the first row
    // leaves it as it is. Null where devices cannot be told apart.
    QComboBox* TieList() const { return m_pTie; }

    // The device text of COM<n>: "/dev/ttyUSB0 (present)".
    static std::string PortDeviceText(int comNumber);

    void accept() override;

private:
    void BuildControls();
    void OnInitDialog();
    void ExchangeToControls();
    void ExchangeFromControls();
    void ShowPortDevice();
    void OnBrowseFolder();
    void FillTieList();

    QComboBox* m_pLanguages = nullptr;
    QLabel* m_pLanguageLabelCtl = nullptr;
    QComboBox* m_pPorts = nullptr;
    QLabel* m_pPortLabelCtl = nullptr;
    QLabel* m_pPortDevice = nullptr;
    QLineEdit* m_pFolder = nullptr;
    QLabel* m_pFolderLabelCtl = nullptr;
    QCheckBox* m_pServiceData = nullptr;
    QLabel* m_pServiceText = nullptr;
    QCheckBox* m_pSafetyCopy = nullptr;
    QCheckBox* m_pConfirmRestore = nullptr;
    QCheckBox* m_pTrace = nullptr;
    QLineEdit* m_pTraceFile = nullptr;
    QLabel* m_pTieLabel = nullptr;
    QComboBox* m_pTie = nullptr;
    std::string m_strDefaultTraceFile;
    // The device text of each COM number and the stable names to tie to,
    // taken once when the dialog opens.
    std::vector<std::string> m_portTexts;
    std::vector<std::string> m_tieNames;
};

// The settings key of the safety copy before a restore (on unless set to 0).
bool SafetyCopyEnabled();

}  // namespace brelko::app
