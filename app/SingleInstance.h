// One running program per settings file takes the file manager's open
// requests: a later `brelko --open FILE...` hands its files to the running
// program over a local socket and ends.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLocalServer;

namespace brelko::app {

class SingleInstance final : public QObject {
    Q_OBJECT
public:
    // The socket's name follows the user and the settings file.
    explicit SingleInstance(const std::string& settingsPath);
    ~SingleInstance() override;

    // Takes requests; `open` runs on this thread for each file, `raise` for
    // a request without files (a second plain start). False when the socket
    // cannot be made (the program still runs, alone).
    bool Listen(std::function<void(const std::string& path)> open, std::function<void()> raise = {});

    // Hands the files to a running program (none: asks it to come to the
    // front); false when none answers.
    static bool SendToRunning(const std::string& settingsPath, const std::vector<std::string>& files);
    static std::string ServerName(const std::string& settingsPath);

private:
    std::string m_strName;
    std::unique_ptr<QLocalServer> m_pServer;
    std::function<void(const std::string&)> m_open;
    std::function<void()> m_raise;
};

}  // namespace brelko::app
