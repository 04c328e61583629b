// The Options dialog (dialog 135): the user-interface language, the COM port
// (with the device each number opens on this machine), the data folder, the
// extra service data for the next backups, and the safety copy before every
// restore. OK writes the choices and loads the language; Cancel writes nothing.
#pragma once

#include <QDialog>
#include <string>

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

    QComboBox* LanguageList() const { return m_pLanguages; }
    QComboBox* PortList() const { return m_pPorts; }
    QLineEdit* FolderEdit() const { return m_pFolder; }
    QCheckBox* ServiceDataBox() const { return m_pServiceData; }
    QCheckBox* SafetyCopyBox() const { return m_pSafetyCopy; }
    // The device the selected COM number opens, and whether it is there.
    QLabel* PortDeviceLabel() const { return m_pPortDevice; }

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
};

// The settings key of the safety copy before a restore (on unless set to 0).
bool SafetyCopyEnabled();

}  // namespace brelko::app
