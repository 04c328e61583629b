#include "app/PortProblem.h"

#include <QFutureWatcher>
#include <QPromise>
#include <QThreadPool>
#include <memory>

#include "comlink/deviceline/CDeviceLine.h"
#include "res/ResourceIds.h"
#include "platform/Strings.h"
#include "app/framework/QtText.h"
#ifdef BRELKO_HAVE_SERIALDEVICES
#include "comlink/devices/DeviceHolders.h"
#endif

namespace brelko::app {

namespace {

std::string HoldersOf(const std::string& device) {
#ifdef BRELKO_HAVE_SERIALDEVICES
    return DeviceHolders(device);
#else
    (void)device;
    return {};
#endif
}

std::string GroupOf(const std::string& device) {
#ifdef BRELKO_HAVE_SERIALDEVICES
    return DeviceGroup(device);
#else
    (void)device;
    return {};
#endif
}

}  // namespace

PortProblemFacts TakePortProblemFacts(const CDeviceLine& line) {
    PortProblemFacts facts;
    facts.portOpen = line.m_bPortOpen != 0;
    if (const CCommPort* port = line.Port()) {
        facts.hasPort = true;
        facts.device = port->Device();
        facts.kind = port->OpenFailureKind();
        facts.reason = port->OpenFailureReason();
    }
    return facts;
}

PortProblemLookups LookUpPortProblem(const PortProblemFacts& facts) {
    PortProblemLookups lookups;
    if (facts.portOpen || !facts.hasPort) return lookups;
    if (facts.kind == OpenFailure::NoPermission) lookups.group = GroupOf(facts.device);
    if (facts.kind == OpenFailure::Busy) lookups.holders = HoldersOf(facts.device);
    return lookups;
}

std::string PortProblemText(const PortProblemFacts& facts, const PortProblemLookups& lookups) {
    if (facts.portOpen || !facts.hasPort) return {};
    const std::string& device = facts.device;
    switch (facts.kind) {
    case OpenFailure::None: return {};
    case OpenFailure::NoSuchDevice: return FormatArgs(LoadString(IDS_PORT_NO_DEVICE), {device});
    case OpenFailure::NoPermission: {
        const std::string& group = lookups.group;
        if (group.empty()) return FormatArgs(LoadString(IDS_PORT_NO_PERMISSION_ASK), {device});
        return FormatArgs(LoadString(IDS_PORT_NO_PERMISSION), {device, group});
    }
    case OpenFailure::Busy: {
        const std::string& holders = lookups.holders;
        // A lock of a live program that has not opened the device (yet, or
        // any more) names nobody here.
        return FormatArgs(LoadString(IDS_PORT_BUSY),
                          {device, holders.empty() ? LoadString(IDS_PORT_HOLDER_UNKNOWN) : holders});
    }
    case OpenFailure::NotATty: return FormatArgs(LoadString(IDS_PORT_NOT_SERIAL), {device});
    case OpenFailure::AlreadyOpen: return FormatArgs(LoadString(IDS_PORT_ALREADY_OPEN), {device});
    case OpenFailure::NotInTable:
    case OpenFailure::Other: break;
    }
    return facts.reason;
}

PortDiagnosis::PortDiagnosis(QObject* parent, LookUp lookUp) : QObject(parent), m_lookUp(std::move(lookUp)) {}

void PortDiagnosis::Start(const PortProblemFacts& facts) {
    const int ticket = ++m_nTicket;
    ++m_nRunning;
    // The watcher lives here and hears of the result through this thread's
    // event loop; the worker only fills the promise.
    auto promise = std::make_shared<QPromise<PortProblemLookups>>();
    auto* watcher = new QFutureWatcher<PortProblemLookups>(this);
    connect(watcher, &QFutureWatcher<PortProblemLookups>::finished, this, [this, watcher, ticket, facts] {
        --m_nRunning;
        const QFuture<PortProblemLookups> future = watcher->future();
        const PortProblemLookups lookups = future.resultCount() > 0 ? future.result() : PortProblemLookups{};
        watcher->deleteLater();
        if (ticket == m_nTicket) emit diagnosed(Q(PortProblemText(facts, lookups)));
    });
    watcher->setFuture(promise->future());
    QThreadPool::globalInstance()->start([promise, facts, lookUp = m_lookUp] {
        promise->start();
        promise->addResult(lookUp(facts));
        promise->finish();
    });
}

}  // namespace brelko::app
