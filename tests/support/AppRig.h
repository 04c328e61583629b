// The windowed program in a test: a fresh folder with its own settings file,
// the application object started the way the program starts it (on the
// built-in simulator when asked), and small helpers that answer the modal
// dialogs a command opens.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QSettings>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CBrelkoApp.h"
#include "app/CDataDocument.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "app/CMainFrame.h"
#include "exchange/CStatusView.h"
#include "platform/Profile.h"
#include "res/ResourceIds.h"
#include "app/StatusFrame.h"
#include "tests/support/Sandbox.h"
#include "app/framework/Dialogs.h"

namespace brelko::test {

#ifdef _WIN32
// The toolkit keeps its dialogs' history in the user's registry on Windows:
// a settings file in a fresh folder instead, for the rest of the test
// process.
inline void IsolateUserSettings() {
    static const TempDir config;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(config.Path()));
}
#endif

// The answers still waiting for their dialog. A rig that ends takes its
// own with it: an answer left over from one test must not answer the next
// test's dialog (with references into a test that has returned).
inline std::vector<QPointer<QTimer>>& PendingAnswers() {
    static std::vector<QPointer<QTimer>> pending;
    return pending;
}
inline void ForgetPendingAnswers() {
    for (QPointer<QTimer>& timer : PendingAnswers())
        if (timer) delete timer.data();
    PendingAnswers().clear();
}

class AppRig {
public:
    AppRig() {
        app::SetNativeDialogsAllowed(false);
        // The file dialog keeps its history and last folder in the user's
        // settings: no dialog starts in a folder another test (or the user)
        // left, one that is gone or that holds a device.
        IsolateUserSettings();
    }
    ~AppRig() { Stop(); }

    // The settings file the program will read (written before Start).
    std::string IniPath() const { return m_dir.File("brelko.ini"); }
    const TempDir& Dir() const { return m_dir; }
    void WriteIni(const std::string& content) { WriteFile(IniPath(), content); }

    static app::AppOptions Simulated(const std::string& preset = "tz410-3.2.E") {
        app::AppOptions options;
        options.simulate = true;
        options.simulatorPreset = preset;
        options.simulatorBaud = 0;
        return options;
    }
    static app::AppOptions OnDevice() { return app::AppOptions{}; }

    // Starts the program on the simulator at 9600 baud, slow enough for a
    // test to see a course running, with the simulator's faults if any, and
    // waits until the system is identified.
    bool StartOnSlowSimulator(std::vector<std::string> faults = {}, int readyTimeoutMs = 20000) {
        app::AppOptions options = Simulated();
        options.simulatorBaud = 9600;
        options.simulatorFaults = std::move(faults);
        return Start(options) && WaitReady(readyTimeoutMs);
    }

    // Starts the program; on the simulator unless told otherwise.
    bool Start(app::AppOptions options = Simulated()) {
        options.iniPath = IniPath();
        options.singleInstance = m_singleInstance;
        if (!options.simulate) {
            // Without the simulator the line leads to the device the test
            // chose, by default nowhere: a test never opens a real serial
            // port of the machine it runs on.
            const std::string device = m_device.empty() ? m_dir.File("no-such-port") : m_device;
            CDeviceLine::SetPortFactory([device](int, int rx, int tx) {
                return CDeviceLine::MakeSystemPort(device, rx, tx);
            });
        }
        m_app = std::make_unique<app::CBrelkoApp>(options);
        return m_app->InitInstance();
    }
    void ListenForOpenRequests(bool on) { m_singleInstance = on; }
    // The device a start without the simulator opens (a test's own peer).
    void UseDevice(const std::string& path) { m_device = path; }

    // Ends the program as closing its window does (exit writes the settings).
    void Stop() {
        ForgetPendingAnswers();
        if (!m_app) return;
        if (app::CMainFrame* frame = m_app->MainFrame()) frame->hide();
        m_app.reset();
        CDeviceLine::SetPortFactory({});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A key pressed in the main window, as a user would after any dialog:
    // the window is made the active one first, so its accelerators apply.
    void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QApplication::setActiveWindow(&Frame());
        QTest::keyClick(&Frame(), key, modifiers);
    }

    app::CBrelkoApp& App() const { return *m_app; }
    app::CMainFrame& Frame() const { return *m_app->MainFrame(); }
    brelko::CStatusView& Status() const { return *Frame().StatusLogic(); }

    // Waits until no course runs and the system is identified.
    bool WaitReady(int timeoutMs = 20000) const {
        return QTest::qWaitFor(
            [&] { return Frame().StatusLogic() && !Status().IsExchangeRunning() && Status().Line().m_bReady; },
            timeoutMs);
    }
    bool WaitIdle(int timeoutMs = 30000) const {
        return QTest::qWaitFor([&] { return Frame().StatusLogic() && !Status().IsExchangeRunning(); }, timeoutMs);
    }

private:
    TempDir m_dir;
    std::unique_ptr<app::CBrelkoApp> m_app;
    bool m_singleInstance = false;
    std::string m_device;
};

// Answers the next modal dialog of class T by calling `answer` on it as
// soon as it is up. The dialog opens inside the command under test, whose
// modal loop keeps the timer running.
template <typename T>
void AnswerNext(std::function<void(T*)> answer, int timeoutMs = 10000) {
    auto* timer = new QTimer;
    PendingAnswers().emplace_back(timer);
    auto deadline = std::make_shared<QDeadlineTimer>(timeoutMs);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer, deadline] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        } else if (deadline->hasExpired()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

// The next message box: its text goes to *text, then `button` is pressed.
inline void AnswerMessageBox(QMessageBox::StandardButton button, QString* text = nullptr) {
    AnswerNext<QMessageBox>([button, text](QMessageBox* box) {
        if (text) *text = box->text();
        if (QAbstractButton* b = box->button(button)) b->click();
        else box->reject();
    });
}

// The next file dialog: chooses `path` (or cancels when empty). What the
// dialog offered is kept for the test.
struct FileDialogSeen {
    QStringList filters;
    QString directory;
    QString selected;  // the name proposed before the answer
    QString suffix;
    QString title;
    QSize size;
};
// `filter`, when given, is chosen in the dialog's type list before the answer.
inline void AnswerFileDialog(const QString& path, FileDialogSeen* seen = nullptr, const QString& filter = QString(),
                             int timeoutMs = 10000) {
    AnswerNext<QFileDialog>([path, seen, filter](QFileDialog* dialog) {
        if (seen) {
            seen->filters = dialog->nameFilters();
            seen->directory = dialog->directory().absolutePath();
            seen->selected = dialog->selectedFiles().value(0);
            seen->suffix = dialog->defaultSuffix();
            seen->title = dialog->windowTitle();
            seen->size = dialog->size();
        }
        if (!filter.isEmpty()) dialog->selectNameFilter(filter);
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        // The name typed in, as a user would: selectFile alone can lose to
        // the name the dialog proposed while its folder still loads.
        dialog->selectFile(path);
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) edit->setText(path);
        static_cast<QDialog*>(dialog)->accept();
    }, timeoutMs);
}

// The data document of the active window, if it is one.
inline app::CDataDoc* ActiveData(AppRig& rig) { return dynamic_cast<app::CDataDoc*>(rig.Frame().GetActiveDocument()); }

// A backup of the system into `name` in the test's folder, taken through the
// window's command; the file's bytes (empty when none came).
inline std::string BackUp(AppRig& rig, const std::string& name) {
    const std::string target = rig.Dir().File(name);
    AnswerFileDialog(QString::fromStdString(target));
    rig.Frame().ExecuteCommand(ID_GET_SETUP);
    rig.WaitReady(60000);
    QTest::qWaitFor([&] { return QFile::exists(QString::fromStdString(target)); }, 5000);
    return QFile::exists(QString::fromStdString(target)) ? ReadFile(target) : std::string();
}

}  // namespace brelko::test
