#include "app/console_run_control.h"

#include <QMetaObject>

#include "base/message_box.h"
#include "session/session.h"

namespace tamberline {

namespace {

RunServices Services(RunHost& host, RunLog& log, MidiOutQueue& midi, RunLink& link) {
    RunServices services;
    services.host = &host;
    services.link = &link;
    services.runLog = &log;
    services.midiOut = &midi;
    return services;
}

}  // namespace

ConsoleRunControl::ConsoleRunControl(MessageBox& box, const std::string& documentsFolder,
                                     const LinkState& link)
    : box_(box), log_(documentsFolder), link_(link), run_(Services(*this, log_, midiOut_, link_)) {}

ConsoleRunControl::~ConsoleRunControl() {
    run_.Shutdown();
}

void ConsoleRunControl::AttachSession(Session* session, std::function<void(int)> repaint) {
    session_ = session;
    repaint_ = std::move(repaint);
}

void ConsoleRunControl::NoteSessionLoaded(const std::string& path) {
    log_.NoteSessionLoaded(path, LocalDateTime::Now());
}

ButtonRunView ConsoleRunControl::State(int button) const {
    const RunSnapshot s = run_.Snapshot(button);
    ButtonRunView view;
    view.running = s.running;
    view.paused = s.paused;
    view.fadingIn = s.fadingIn;
    view.fadingOut = s.fadingOut;
    view.locked = s.locked;
    view.remainingMs = s.remainingMs;
    view.playedMs = s.playedMs;
    view.songsLeft = s.songsLeft;
    view.playsSegments = s.playsSegments;
    return view;
}

void ConsoleRunControl::MarkForReload(int button) {
    if (session_ && button >= 0 && button < kButtonCount) {
        run_.LoadRecord(button, session_->records()[static_cast<size_t>(button)]);
    }
}

void ConsoleRunControl::ReloadAll() {
    for (int button = 0; button < kButtonCount; ++button) {
        MarkForReload(button);
    }
}

int ConsoleRunControl::PrepareButton(int button, ButtonRecord& record) {
    return run_.PrepareRecord(button, record);
}

void ConsoleRunControl::OnGui(std::function<void()> call) {
    QMetaObject::invokeMethod(&gui_, std::move(call), Qt::QueuedConnection);
}

void ConsoleRunControl::RecordChanged(int button, const ButtonRecord& record) {
    OnGui([this, button, record] { ApplyRecord(button, record); });
}

// Only what run control learns goes into the session's record, and only
// while the record still names the same file: an edit made in between wins.
void ConsoleRunControl::ApplyRecord(int button, const ButtonRecord& record) {
    if (!session_ || button < 0 || button >= kButtonCount) {
        return;
    }
    ButtonRecord& target = session_->Record(button);
    if (IsZeroRecord(record)) {
        target = ButtonRecord{};
    } else if (PathOf(target) == PathOf(record)) {
        target.varispeed = record.varispeed;
        target.fadeIn = record.fadeIn;
        target.fadeOut = record.fadeOut;
        target.durationMs = record.durationMs;
        target.fileSize = record.fileSize;
        target.multiChannel = record.multiChannel;
        target.hasSegments = record.hasSegments;
    }
    if (repaint_) {
        repaint_(button);
    }
}

void ConsoleRunControl::AskAboutFailedStart(int button, const std::string& path, int code) {
    OnGui([this, button, path, code] {
        switch (tamberline::AskAboutFailedStart(box_, path, code)) {
            case FailedStartAnswer::kClearReferences: run_.ClearReferences(path); break;
            case FailedStartAnswer::kFind:
                if (find_) {
                    find_(button);
                }
                break;
            case FailedStartAnswer::kIgnore: break;
        }
    });
}

void ConsoleRunControl::ShowSonglistWarning() {
    OnGui([this] {
        box_.Show("Not all the files in the songlist\ncould be found.",
                  mb::kOk | mb::kIconInformation);
    });
}

}  // namespace tamberline
