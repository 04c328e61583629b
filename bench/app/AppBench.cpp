// The window's speed as a user feels it, on Qt's offscreen platform: start to
// first paint and to "Ready", the longest stall of the event loop while the
// line is slow or busy, and the cost of painting a zoomed picture.
//   targets: first paint < 0.5 s, Ready < 3 s, stalls < 100 ms,
//            a 640 x 480 picture repainted at zoom 2 < 5 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <chrono>

#include "tests/support/AppRig.h"
#include "app/CDataDocument.h"
#include "app/CPictureView.h"
#include "data/CText.h"
#include "tests/data/PictureFiles.h"
#include "tests/support/PtyPeer.h"
#include "res/ResourceIds.h"

using namespace brelko;
using namespace brelko::test;

namespace {

// Measures how long the event loop was away: a 2 ms timer that should fire
// every 2 ms; the longest gap between two of its ticks, less the interval, is
// the longest time the user-interface thread did not take events.
class StallMeter {
public:
    StallMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(2);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            if (m_last >= 0) m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_clock.start();
        m_timer.start();
    }
    double LongestStallMs() const { return std::max<qint64>(0, m_longest - 2'000'000) / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = -1;
    qint64 m_longest = 0;
};

bool RunUntil(const std::function<bool()>& done, int timeoutMs) { return QTest::qWaitFor(done, timeoutMs); }

// A scripted vision system on a pseudo-terminal: its version, and replies
// of any size to the text requests.
std::string Answer(const std::string& line, const std::string& big) {
    if (line == "GET VERSION") return "\r\nTZ410 Vision 3.2.E\r\n>";
    if (line == "UPLOAD" || line == "GET MENUS") return big + ">";
    return "\r\n>";
}

std::string MegabyteOfSettings() {
    std::string text = "\r\n";
    for (int i = 0; text.size() < 1024 * 1024 - 64; ++i) text += "PARAM" + std::to_string(i) + "=" + std::to_string(i * 7 % 1000) + "\r\n";
    return text + "[END]\r\n";
}

void StartToFirstPaint(benchmark::State& state) {
    for (auto _ : state) {
        AppRig rig;
        QElapsedTimer clock;
        clock.start();
        qint64 painted = -1;
        // The first paint of the main window, seen by an application-wide filter.
        struct Watch : QObject {
            qint64* at;
            QElapsedTimer* clock;
            bool eventFilter(QObject* o, QEvent* e) override {
                if (e->type() == QEvent::Paint && *at < 0 && o->objectName() == QStringLiteral("mainFrame"))
                    *at = clock->nsecsElapsed();
                return false;
            }
        } watch;
        watch.at = &painted;
        watch.clock = &clock;
        qApp->installEventFilter(&watch);
        rig.Start();
        RunUntil([&] { return painted >= 0; }, 5000);
        qApp->removeEventFilter(&watch);
        state.SetIterationTime(painted / 1e9);
        rig.WaitReady();
    }
}
BENCHMARK(StartToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void StartToReady(benchmark::State& state) {
    for (auto _ : state) {
        AppRig rig;
        QElapsedTimer clock;
        clock.start();
        rig.Start();
        rig.WaitReady();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    }
}
BENCHMARK(StartToReady)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The longest stall from start-up through the identification, and then
// through `action`, until the system is idle again.
template <typename Action>
void MeasureStall(benchmark::State& state, AppRig& rig, app::AppOptions options, Action action) {
    StallMeter meter;
    QElapsedTimer clock;
    clock.start();
    rig.Start(options);
    rig.WaitIdle(60000);
    action();
    rig.WaitIdle(120000);
    state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    state.counters["longest_stall_ms"] = meter.LongestStallMs();
}

void StallConnectToASilentLine(benchmark::State& state) {
    for (auto _ : state) {
        PtyPeer silent([](const std::string&) { return std::string(); }, false);  // hears, never answers
        AppRig rig;
        rig.UseDevice(silent.DevicePath());
        MeasureStall(state, rig, AppRig::OnDevice(), [] {});
        state.counters["state_ok"] = rig.Status().Line().m_bRightPort == 0;
    }
}
BENCHMARK(StallConnectToASilentLine)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void StallOldFirmwareIdentification(benchmark::State& state) {
    for (auto _ : state) {
        AppRig rig;
        app::AppOptions options = AppRig::Simulated("tz410-old");
        options.simulatorBaud = 9600;
        MeasureStall(state, rig, options, [] {});
        state.counters["state_ok"] = rig.Status().Line().m_bReady;
    }
}
BENCHMARK(StallOldFirmwareIdentification)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void StallBackup20KAt9600(benchmark::State& state) {
    for (auto _ : state) {
        AppRig rig;
        app::AppOptions options = AppRig::Simulated();
        options.simulatorBaud = 9600;
        MeasureStall(state, rig, options, [&] {
            AnswerFileDialog(QString::fromStdString(rig.Dir().File("b.asc")));
            rig.Frame().ExecuteCommand(ID_GET_SETUP);
        });
        state.counters["bytes"] = static_cast<double>(QFileInfo(QString::fromStdString(rig.Dir().File("b.asc"))).size());
    }
}
BENCHMARK(StallBackup20KAt9600)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// 1 MiB at full pty speed: into a hidden backup window, and into a text
// window the user watches grow.
void StallMegabyteReception(benchmark::State& state) {
    const bool backup = state.range(0) == 0;
    const std::string big = MegabyteOfSettings();
    for (auto _ : state) {
        PtyPeer peer([&](const std::string& line) { return Answer(line, big); });
        AppRig rig;
        rig.UseDevice(peer.DevicePath());
        std::size_t shown = 0;
        MeasureStall(state, rig, AppRig::OnDevice(), [&] {
            if (backup) {
                AnswerFileDialog(QString::fromStdString(rig.Dir().File("big.asc")));
                rig.Frame().ExecuteCommand(ID_GET_SETUP);
            } else {
                rig.Frame().ExecuteCommand(ID_GET_MENU);
            }
        });
        if (backup) {
            shown = static_cast<std::size_t>(QFileInfo(QString::fromStdString(rig.Dir().File("big.asc"))).size());
        } else if (auto* doc = dynamic_cast<app::CDataDoc*>(rig.Frame().GetActiveDocument())) {
            shown = std::dynamic_pointer_cast<CText>(doc->m_pData)->GetLength();
        }
        state.counters["bytes"] = static_cast<double>(shown);
    }
}
BENCHMARK(StallMegabyteReception)->Arg(0)->Arg(1)->ArgNames({"text_window"})->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void StallPictureReception(benchmark::State& state) {
    for (auto _ : state) {
        AppRig rig;
        MeasureStall(state, rig, AppRig::Simulated(), [&] {
            AnswerMessageBox(QMessageBox::No);
            rig.Frame().ExecuteCommand(ID_GET_PICTURE);
        });
    }
}
BENCHMARK(StallPictureReception)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// A picture window repainted in full: 640 x 480 at zoom 2 in a 1280 x 960
// view, and fitted to a 1920 x 1080 main window.
void RepaintPicture(benchmark::State& state) {
    const bool fit = state.range(0) == 1;
    AppRig rig;
    rig.Start(AppRig::OnDevice());
    Mtx16Spec spec;
    spec.width = 640, spec.height = 480;
    for (unsigned i = 0; i < spec.width * spec.height; ++i) spec.pixels.push_back(static_cast<std::uint16_t>((i * 37) & 0x7FFF));
    WriteFileBytes(rig.Dir().File("big.mtx"), MakeMtx16(spec));
    auto* document = dynamic_cast<app::CDataDoc*>(rig.App().OpenDocumentFile(rig.Dir().File("big.mtx")));
    auto* view = dynamic_cast<app::CPictureView*>(document->GetFirstView());
    auto* frame = qobject_cast<QMdiSubWindow*>(view->Frame());
    if (fit) {
        rig.Frame().resize(1920, 1080);
        frame->showMaximized();
        rig.Frame().ExecuteCommand(ID_ZOOM_FIT);
    } else {
        rig.Frame().resize(1800, 1100);
        rig.Frame().ExecuteCommand(ID_ZOOM_IN);
        frame->resize(1300, 1000);
    }
    QTest::qWait(50);
    for (auto _ : state) {
        view->viewport()->repaint();
    }
    state.counters["drawn_w"] = view->Picture().drawnSize.width();
    state.counters["drawn_h"] = view->Picture().drawnSize.height();
    state.counters["view_w"] = view->viewport()->width();
}
BENCHMARK(RepaintPicture)->Arg(0)->Arg(1)->ArgNames({"fit"})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
