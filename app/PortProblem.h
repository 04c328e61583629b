// Why the port could not be opened, in the user's language: no such device,
// no permission (and the group to join), busy (and who holds it). Who holds a
// device takes a look through every process of the system, so the window
// asks on a worker and is told by a queued signal.
#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "comlink/CCommPort.h"  // OpenFailure

namespace brelko {
class CDeviceLine;
}

namespace brelko::app {

// What the diagnosis needs of the line, taken on the thread that owns it.
struct PortProblemFacts {
    bool portOpen = true;
    bool hasPort = false;
    std::string device;
    OpenFailure kind = OpenFailure::None;
    std::string reason;  // the port's own, for the failures without a text of ours
};
PortProblemFacts TakePortProblemFacts(const CDeviceLine& line);

// What only the system's tables tell: who holds a busy device (every process
// in /proc), whose group a forbidden one is. Any thread but the window's.
struct PortProblemLookups {
    std::string holders;
    std::string group;
};
PortProblemLookups LookUpPortProblem(const PortProblemFacts& facts);

// The text for the user, on the window's thread (the string table's
// language is the window's): empty when the port is open or the system gave
// no reason.
std::string PortProblemText(const PortProblemFacts& facts, const PortProblemLookups& lookups);

// Runs a diagnosis on a worker thread. `diagnosed` reaches this object's
// thread as a queued signal, for the latest Start only; one that was
// overtaken (a newer Start, Cancel) is dropped.
class PortDiagnosis final : public QObject {
    Q_OBJECT
public:
    using LookUp = std::function<PortProblemLookups(const PortProblemFacts&)>;
    explicit PortDiagnosis(QObject* parent = nullptr, LookUp lookUp = LookUpPortProblem);
    void Start(const PortProblemFacts& facts);
    void Cancel() { ++m_nTicket; }
    bool IsRunning() const { return m_nRunning > 0; }

signals:
    void diagnosed(const QString& text);

private:
    LookUp m_lookUp;
    int m_nTicket = 0;
    int m_nRunning = 0;
};

}  // namespace brelko::app
