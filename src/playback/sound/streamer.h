#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "playback/sound/play_program.h"

namespace tamberline::sound {

struct VoiceRing;

// What the control thread tells the streamer about one voice.
struct StreamCommand {
    enum class Kind { kStart, kStop, kRules, kSeek };
    Kind kind = Kind::kStop;
    int voice = 0;
    uint32_t generation = 0;        // kStart, kSeek: marks every frame written from now on
    PlayRules rules;                // kStart, kRules
    PlayCursor cursor;              // kStart, kSeek: where play goes on
    bool restartLoopCount = false;  // kRules: the loop count was set anew
};

// Decodes ahead into the voices' rings, in play order: loops, sentences and
// raw stretches are laid out here, so the audio callback only takes frames.
// A change of rules keeps what was decoded up to the first frame that the
// new rules would play differently and has the mixer drop the rest.
//
// Reading is shared fairly: each pass reads one chunk for the voice whose
// ring is the least full, so one slow read delays one voice by one chunk
// rather than every voice by a ring. A small pool of I/O threads makes the
// passes, so a read that stalls holds up only its own thread; a voice is
// only ever worked on by one thread at a time.
//
// Commands come from one control thread. The pool runs the passes
// (StartThread), or, for offline rendering, Pump runs them on the caller's
// thread until every ring is full.
class Streamer {
public:
    Streamer(VoiceRing* rings, int voiceCount);
    ~Streamer();
    Streamer(const Streamer&) = delete;
    Streamer& operator=(const Streamer&) = delete;

    void Post(StreamCommand command);
    void Pump();
    // A dropped read-ahead waits for the mixer's answer.
    bool WaitingForMixer() const;

    static constexpr int kThreads = 4;
    void StartThread();
    void StopThread();

private:
    // One stretch of linear content in a ring, as written.
    struct LogRun {
        uint64_t ringStart = 0;
        uint64_t length = 0;
        PlayCursor start;  // settled cursor at ringStart
        std::shared_ptr<SoundSource> source;
        bool endOfStream = false;
    };
    struct Voice {
        bool active = false;
        uint32_t generation = 0;
        PlayRules rules;
        PlayCursor cursor;  // where the next frame written comes from
        std::deque<LogRun> log;
        bool ended = false;  // the end-of-stream mark is written
        bool trimWaiting = false;
        uint32_t trimSeq = 0;
        uint64_t trimAt = 0;
        PlayCursor cursorAtTrim;
        bool restartPending = false;
        bool rulesChanged = false;  // to compare again with the read-ahead
        bool busy = false;          // a thread is reading for it, outside the lock
        std::deque<StreamCommand> deferred;
    };
    struct Divergence {
        bool found = false;
        uint64_t at = 0;
        PlayCursor cursor;
    };

    void Dispatch(StreamCommand& command);
    void Apply(Voice& voice, VoiceRing& ring, StreamCommand& command);
    void ChangeRules(Voice& voice, VoiceRing& ring);
    void CheckTrim(Voice& voice, VoiceRing& ring);
    Divergence FindDivergence(Voice& voice, uint64_t taken) const;
    void PruneLog(Voice& voice, uint64_t taken) const;
    // Under the lock: commands and trims, then the least-filled voice that
    // wants a chunk, marked busy; -1 when none does.
    int NextVoice();
    void Housekeep(Voice& voice, VoiceRing& ring);
    void Fill(Voice& voice, VoiceRing& ring);
    void ThreadMain();

    VoiceRing* rings_;
    std::vector<Voice> voices_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<StreamCommand> inbox_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace tamberline::sound
