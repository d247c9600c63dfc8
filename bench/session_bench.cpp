// What a kept edit, a save and a load cost on this machine's disk. A save
// replaces the session file atomically (temporary file, fsync, rename,
// folder fsync); a kept edit or an undo adds to the working copy (new undo
// entries, changed records, one flush).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "base/file_dialog.h"
#include "base/message_box.h"
#include "session/registry.h"
#include "session/session.h"
#include "session/session_host.h"

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

struct Bench {
    QTemporaryDir dir;
    Registry registry{dir.filePath("t.conf")};
    SilentBox box;
    NoDialog dialog;
    NullSessionHost host;
    Session session{{box, dialog, registry, host, dir.path().toStdString()}};
    std::string path = dir.filePath("Gala.dbf").toStdString();

    Bench() {
        for (int b = 0; b < kButtonCount; ++b) {
            ButtonRecord& r = session.Record(b);
            SetPath(r, "/samples/cue" + std::to_string(b) + ".wav");
            r.status = STATUS_ASSIGNED;
        }
        session.WriteSession(path);
    }

    void Edit(int button, int round) {
        session.BeginChange();
        session.AppendUndoEntry(button);
        SetCaption(session.Record(button), "take " + std::to_string(round));
        session.EndChange(false);
    }
};

// One kept edit of one button: the undo entry and the working copy.
void BM_KeptEdit(benchmark::State& state) {
    Bench bench;
    int round = 0;
    for (auto _ : state) {
        bench.Edit(round % kButtonCount, round);
        ++round;
    }
    state.counters["journal_bytes"] = static_cast<double>(bench.session.journal().Length());
}
BENCHMARK(BM_KeptEdit)->Unit(benchmark::kMillisecond)->Iterations(200);

// Save of the whole session over its file (the recent list is stored too).
void BM_Save(benchmark::State& state) {
    Bench bench;
    for (auto _ : state) {
        bench.session.WriteSession(bench.path);
    }
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->Iterations(100);

void BM_Load(benchmark::State& state) {
    Bench bench;
    for (auto _ : state) {
        bench.session.LoadSession(bench.path);
    }
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->Iterations(100);

// Undo of a one-button step, with the working copy rewritten.
void BM_Undo(benchmark::State& state) {
    Bench bench;
    for (int i = 0; i < 200; ++i) {
        bench.Edit(i % kButtonCount, i);
    }
    for (auto _ : state) {
        bench.session.Undo();
    }
}
BENCHMARK(BM_Undo)->Unit(benchmark::kMillisecond)->Iterations(150);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
