// What the console's drawing costs: a page change paints 42 buttons, a
// running clock repaints one time field, and the poll compares the page's
// clocks with run control every 50 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "app/console_model.h"
#include "app/grid_hooks.h"
#include "app/run_control.h"
#include "app/ui/grid_fonts.h"
#include "app/ui/grid_painter.h"
#include "base/file_dialog.h"
#include "base/message_box.h"
#include "net/link_state.h"
#include "session/registry.h"

namespace {

using namespace tamberline;

class SilentBox final : public MessageBox {
public:
    int Show(const std::string&, unsigned, BoxPlacement) override { return kResultOk; }
};

class NoDialog final : public FileDialog {
public:
    FileDialogResult Run(const FileDialogRequest&) override { return {}; }
};

// Every button runs, so every clock shows a time.
class AllRunning final : public RunControl {
public:
    void StartButton(int) override {}
    void ReleaseButton(int) override {}
    void StopButton(int) override {}
    void StopAll() override {}
    void SetReleaseToEnd(int) override {}
    void ClearBuzzerLocks() override {}
    void RequestStarts(const std::vector<int>&) override {}
    ButtonRunView State(int button) const override {
        ButtonRunView view;
        view.running = true;
        view.remainingMs = remainingMs + button;
        return view;
    }
    void SetPlayedMs(int, uint32_t) override {}
    void MarkForReload(int) override {}
    int PrepareButton(int, ButtonRecord&) override { return 0; }
    int32_t remainingMs = 100000;
};

struct Bench {
    QTemporaryDir dir;
    Registry registry{dir.filePath("t.conf")};
    SilentBox box;
    NoDialog dialog;
    AllRunning run;
    GridHooks hooks;
    LinkState link;
    PortHooks ports;
    ConsoleModel model{ConsoleModelServices{box, dialog, registry, run, hooks, link, ports,
                                            dir.path().toStdString()}};
    GridFonts fonts = LoadGridFonts(registry);
    GridGeometry geometry = LayoutGrid(QSize(1024, 768), 22, 110);
    QImage image{1024, 768, QImage::Format_RGB32};

    Bench() {
        for (int b = 0; b < kButtonCount; ++b) {
            ButtonRecord& r = model.session().Record(b);
            SetPath(r, "/samples/cue" + std::to_string(b) + ".wav");
            SetCaption(r, "Cue number " + std::to_string(b + 1) + " with a longer caption");
            r.status = STATUS_ASSIGNED;
            r.colour = 0x00FF00u + static_cast<uint32_t>(b);
            r.durationMs = 60000;
        }
        model.grid().SetSessionActive(true);
    }
};

void BM_PaintPage(benchmark::State& state) {
    Bench bench;
    for (auto _ : state) {
        QPainter painter(&bench.image);
        for (int b = 0; b < kButtonsPerPage; ++b) {
            PaintButton(painter, bench.geometry, bench.model.grid(), bench.fonts, b);
        }
    }
}
BENCHMARK(BM_PaintPage)->Unit(benchmark::kMicrosecond);

void BM_PaintOneButton(benchmark::State& state) {
    Bench bench;
    for (auto _ : state) {
        QPainter painter(&bench.image);
        PaintButton(painter, bench.geometry, bench.model.grid(), bench.fonts, 17);
    }
}
BENCHMARK(BM_PaintOneButton)->Unit(benchmark::kMicrosecond);

// A poll in which every clock on the page has changed its text.
void BM_PollChangedClocks(benchmark::State& state) {
    Bench bench;
    for (auto _ : state) {
        bench.run.remainingMs -= 1000;
        bench.model.grid().PollRunStates();
    }
}
BENCHMARK(BM_PollChangedClocks)->Unit(benchmark::kMicrosecond);

void BM_PollUnchanged(benchmark::State& state) {
    Bench bench;
    for (auto _ : state) {
        bench.model.grid().PollRunStates();
    }
}
BENCHMARK(BM_PollUnchanged)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
