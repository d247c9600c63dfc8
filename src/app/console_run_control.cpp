#include "app/console_run_control.h"

#include <QMetaObject>

#include "base/message_box.h"
#include "session/session.h"

namespace tamberline {

namespace {

RunServices Services(RunHost& host, RunLog& log, MidiOutQueue& midi, RunLink& link,
                     VideoDisplay& video) {
    RunServices services;
    services.video = &video;
    services.host = &host;
    services.link = &link;
    services.runLog = &log;
    services.midiOut = &midi;
    return services;
}

}  // namespace

ConsoleRunControl::ConsoleRunControl(MessageBox& box, const std::string& documentsFolder,
                                     const LinkState& link)
    : box_(box),
      log_(documentsFolder),
      link_(link),
      finder_(box),
      video_([this](const std::string& text) {
          OnGui([this, text] { box_.Show(text, mb::kOk | mb::kIconExclamation); });
      }),
      run_(Services(*this, log_, midiOut_, link_, video_)) {}

ConsoleRunControl::~ConsoleRunControl() {
    run_.Shutdown();
}

void ConsoleRunControl::AttachSession(Session* session, std::function<void(int)> repaint) {
    session_ = session;
    finder_.Attach(session);
    repaint_ = std::move(repaint);
}

void ConsoleRunControl::NoteSessionLoaded(const std::string& path) {
    log_.NoteSessionLoaded(path, LocalDateTime::Now());
    run_.ResetStartRequests();
}

void ConsoleRunControl::ShowRemote(int button, const ButtonRunView& view) {
    if (button >= 0 && button < kButtonCount) {
        remote_[static_cast<size_t>(button)] = view;
    }
}

void ConsoleRunControl::StopAllThen(std::function<void()> then) {
    run_.StopAll();
    run_.control().Post(std::move(then));
}

ButtonRunView ConsoleRunControl::State(int button) const {
    if (link_.IsLinkedMaster() && button >= 0 && button < kButtonCount) {
        return remote_[static_cast<size_t>(button)];
    }
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
        const uint32_t version = ++versions_[static_cast<size_t>(button)];
        run_.LoadRecord(button, session_->records()[static_cast<size_t>(button)], version);
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

void ConsoleRunControl::RecordChanged(int button, const ButtonRecord& record, uint32_t version) {
    OnGui([this, button, record, version] { ApplyRecord(button, record, version); });
}

// Only what run control learns goes into the session's record, and only
// from the copy of the record it has now: an edit made in between wins.
void ConsoleRunControl::ApplyRecord(int button, const ButtonRecord& record, uint32_t version) {
    if (!session_ || button < 0 || button >= kButtonCount ||
        version != versions_[static_cast<size_t>(button)]) {
        return;
    }
    ButtonRecord& target = session_->Record(button);
    if (PathOf(target) == PathOf(record)) {
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
            case FailedStartAnswer::kClearReferences: ClearAllReferences(path); break;
            case FailedStartAnswer::kFind: finder_.FindOneSample(button); break;
            case FailedStartAnswer::kIgnore: break;
        }
    });
}

void ConsoleRunControl::ClearAllReferences(const std::string& path) {
    if (!session_) {
        return;
    }
    // The session records the step and hands every cleared record back to
    // run control, which stops a button still playing it.
    session_->BeginChange();
    for (int button = 0; button < kButtonCount; ++button) {
        const ButtonRecord& record = session_->records()[static_cast<size_t>(button)];
        if (IsAssigned(record) && PathOf(record) == path) {
            session_->AppendUndoEntry(button);
            session_->Record(button) = ButtonRecord{};
        }
    }
    session_->EndChange(false);
}

void ConsoleRunControl::ReportPlayError(int /*button*/, const std::string& path) {
    OnGui([this, path] { ReportSampleError(box_, path, kEngineCannotPlay); });
}

void ConsoleRunControl::ShowSonglistWarning() {
    OnGui([this] {
        box_.Show("Not all the files in the songlist\ncould be found.",
                  mb::kOk | mb::kIconInformation);
    });
}

}  // namespace tamberline
