// Saves a session over and over, as fast as it can, for the crash-safety
// test to kill at random moments: every round records a change of all 336
// buttons (the working copy is written), then saves (the session file is
// replaced and the working copy deleted).
//   session_save_loop <session.dbf> <settings file>
#include <QCoreApplication>
#include <cstdio>

#include "base/file_dialog.h"
#include "base/message_box.h"
#include "save_loop_versions.h"
#include "session/registry.h"
#include "session/session.h"
#include "session/session_host.h"

namespace {

class PrintingMessageBox final : public tamberline::MessageBox {
public:
    int Show(const std::string& text, unsigned, tamberline::BoxPlacement) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return tamberline::kResultOk;
    }
};

class NoFileDialog final : public tamberline::FileDialog {
public:
    tamberline::FileDialogResult Run(const tamberline::FileDialogRequest&) override { return {}; }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: session_save_loop <session.dbf> <settings file>\n");
        return 2;
    }
    const std::string path = argv[1];
    tamberline::Registry registry(QString::fromLocal8Bit(argv[2]));
    PrintingMessageBox box;
    NoFileDialog dialog;
    tamberline::NullSessionHost host;
    tamberline::Session session({box, dialog, registry, host, ""});
    if (!session.LoadSession(path)) {
        return 1;
    }
    std::printf("saving\n");
    std::fflush(stdout);
    auto version = std::make_unique<tamberline::RecordArray>();
    for (char letter = 'B';; letter = letter == 'A' ? 'B' : 'A') {
        tamberline::testing::FillVersion(*version, letter);
        session.BeginChange();
        for (int b = 0; b < tamberline::kButtonCount; ++b) {
            session.AppendUndoEntry(b);
            session.Record(b) = (*version)[static_cast<size_t>(b)];
        }
        session.EndChange(false);
        if (!session.WriteSession(path)) {
            return 1;
        }
    }
}
