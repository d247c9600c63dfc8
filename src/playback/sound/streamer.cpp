#include "playback/sound/streamer.h"

#include <algorithm>
#include <chrono>

#include "playback/sound/sound_source.h"
#include "playback/sound/voice_ring.h"

namespace tamberline::sound {

namespace {

// Frames decoded per read, so that one voice does not hold up the others.
constexpr uint64_t kChunkFrames = 4096;
// How often the thread looks at the rings when nobody wakes it.
constexpr auto kPollInterval = std::chrono::milliseconds(2);

}  // namespace

Streamer::Streamer(VoiceRing* rings, int voiceCount)
    : rings_(rings), voices_(static_cast<size_t>(voiceCount)) {}

Streamer::~Streamer() {
    StopThread();
}

void Streamer::Post(StreamCommand command) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        inbox_.push_back(std::move(command));
    }
    wake_.notify_one();
}

bool Streamer::WaitingForMixer() const {
    return std::any_of(voices_.begin(), voices_.end(),
                       [](const Voice& v) { return v.trimWaiting; });
}

void Streamer::StartThread() {
    if (!threads_.empty()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = false;
    }
    for (int i = 0; i < kThreads; ++i) {
        threads_.emplace_back([this] { ThreadMain(); });
    }
}

void Streamer::StopThread() {
    if (threads_.empty()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
    threads_.clear();
}

void Streamer::ThreadMain() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        const int index = NextVoice();
        if (index < 0) {
            wake_.wait_for(lock, kPollInterval);
            continue;
        }
        Voice& voice = voices_[static_cast<size_t>(index)];
        lock.unlock();
        Fill(voice, rings_[index]);
        lock.lock();
        voice.busy = false;
    }
}

void Streamer::Pump() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (int index = NextVoice(); index >= 0; index = NextVoice()) {
        Voice& voice = voices_[static_cast<size_t>(index)];
        Fill(voice, rings_[index]);
        voice.busy = false;
    }
}

int Streamer::NextVoice() {
    std::vector<StreamCommand> batch;
    batch.swap(inbox_);
    for (StreamCommand& command : batch) {
        Dispatch(command);
    }
    int best = -1;
    uint64_t bestFill = 0;
    for (size_t i = 0; i < voices_.size(); ++i) {
        Voice& voice = voices_[i];
        VoiceRing& ring = rings_[i];
        if (voice.busy) {
            continue;
        }
        Housekeep(voice, ring);
        if (!voice.active || voice.ended || voice.trimWaiting || !voice.deferred.empty()) {
            continue;
        }
        const uint64_t fill = ring.written.load(std::memory_order_relaxed) -
                              ring.taken.load(std::memory_order_acquire);
        if (ring.capacity - fill < std::min(kChunkFrames, ring.capacity)) {
            continue;  // not worth a read yet
        }
        // Compared as parts of the ring, which holds the same time at every rate.
        const uint64_t scaled = (fill << 20) / ring.capacity;
        if (best < 0 || scaled < bestFill) {
            best = static_cast<int>(i);
            bestFill = scaled;
        }
    }
    if (best >= 0) {
        voices_[static_cast<size_t>(best)].busy = true;
    }
    return best;
}

void Streamer::Housekeep(Voice& voice, VoiceRing& ring) {
    if (voice.trimWaiting) {
        CheckTrim(voice, ring);
    }
    while (!voice.trimWaiting && !voice.deferred.empty()) {
        StreamCommand command = std::move(voice.deferred.front());
        voice.deferred.pop_front();
        Apply(voice, ring, command);
    }
    if (voice.rulesChanged && !voice.trimWaiting) {
        voice.rulesChanged = false;
        ChangeRules(voice, ring);
    }
}

void Streamer::Dispatch(StreamCommand& command) {
    Voice& voice = voices_[static_cast<size_t>(command.voice)];
    // While the mixer may still cut this ring, or a thread reads for it,
    // nothing else may touch it.
    if (voice.busy || voice.trimWaiting || !voice.deferred.empty()) {
        voice.deferred.push_back(std::move(command));
        return;
    }
    Apply(voice, rings_[command.voice], command);
}

void Streamer::Apply(Voice& voice, VoiceRing& ring, StreamCommand& command) {
    switch (command.kind) {
        case StreamCommand::Kind::kStart:
            voice = Voice{};
            voice.trimSeq = ring.trimAsked.load(std::memory_order_relaxed);
            voice.active = true;
            voice.generation = command.generation;
            voice.rules = std::move(command.rules);
            voice.cursor = command.cursor;
            break;
        case StreamCommand::Kind::kStop:
            voice = Voice{};
            ring.streamerIdle.store(true, std::memory_order_release);
            break;
        case StreamCommand::Kind::kSeek:
            // The mixer drops the older generations' frames on its side.
            voice.generation = command.generation;
            voice.cursor = command.cursor;
            voice.log.clear();
            voice.ended = false;
            break;
        case StreamCommand::Kind::kRules:
            voice.rules = std::move(command.rules);
            voice.restartPending = voice.restartPending || command.restartLoopCount;
            voice.rulesChanged = false;
            ChangeRules(voice, ring);
            break;
    }
}

void Streamer::ChangeRules(Voice& voice, VoiceRing& ring) {
    if (!voice.active) {
        return;
    }
    const Divergence d = FindDivergence(voice, ring.taken.load(std::memory_order_acquire));
    if (!d.found) {
        voice.cursor = d.cursor;
        voice.restartPending = false;
        return;
    }
    voice.trimAt = d.at;
    voice.cursorAtTrim = d.cursor;
    voice.trimWaiting = true;
    ring.trimAt.store(d.at, std::memory_order_relaxed);
    ring.trimAsked.store(++voice.trimSeq, std::memory_order_release);
}

void Streamer::CheckTrim(Voice& voice, VoiceRing& ring) {
    if (ring.trimAnswered.load(std::memory_order_acquire) != voice.trimSeq) {
        return;
    }
    voice.trimWaiting = false;
    if (!ring.trimDone.load(std::memory_order_relaxed)) {
        // The mixer had already taken frames past the cut (or let the voice
        // go): look again once the commands waiting behind it are applied.
        voice.rulesChanged = true;
        return;
    }
    const uint64_t at = voice.trimAt;
    // The mixer dropped every mark from `at` on and cut the written end there.
    while (!voice.log.empty() && voice.log.back().ringStart >= at) {
        voice.log.pop_back();
    }
    if (!voice.log.empty()) {
        LogRun& last = voice.log.back();
        last.length = std::min(last.length, at - last.ringStart);
    }
    voice.cursor = voice.cursorAtTrim;
    voice.ended = false;
    voice.restartPending = false;
}

void Streamer::PruneLog(Voice& voice, uint64_t taken) const {
    while (voice.log.size() > 1 &&
           voice.log.front().ringStart + voice.log.front().length <= taken &&
           voice.log[1].ringStart <= taken) {
        voice.log.pop_front();
    }
}

Streamer::Divergence Streamer::FindDivergence(Voice& voice, uint64_t taken) const {
    PruneLog(voice, taken);
    const PlayRules& rules = voice.rules;
    auto restart = [&](PlayCursor c) {
        if (voice.restartPending) {
            c.loopsLeft = rules.loopCount;
        }
        return c;
    };
    if (voice.log.empty()) {
        return {false, 0, restart(voice.cursor)};
    }
    auto run = voice.log.begin();
    while (std::next(run) != voice.log.end() && run->ringStart + run->length <= taken &&
           std::next(run)->ringStart <= taken) {
        ++run;
    }
    uint64_t p = std::max(taken, run->ringStart);
    PlayCursor c = run->start;
    c.frame += std::min(p - run->ringStart, run->length);
    c = restart(c);
    for (; run != voice.log.end(); ++run) {
        if (run->endOfStream) {
            PlayCursor probe = c;
            NextStretch(rules, probe);
            if (!probe.ended) {
                return {true, run->ringStart, c};
            }
            return {false, 0, probe};
        }
        const uint64_t end = run->ringStart + run->length;
        while (p < end) {
            const Stretch s = NextStretch(rules, c);
            if (c.ended) {
                return {true, p, c};
            }
            const uint64_t runFrame = run->start.frame + (p - run->ringStart);
            if (s.entry != run->start.entry ||
                rules.entries[static_cast<size_t>(s.entry)].source != run->source ||
                s.frame != runFrame) {
                return {true, p, c};
            }
            const uint64_t n = std::min(s.frames, end - p);
            c.frame += n;
            p += n;
        }
    }
    return {false, 0, c};
}

// One read for the voice, with the marks that come before it.
void Streamer::Fill(Voice& voice, VoiceRing& ring) {
    const uint64_t taken = ring.taken.load(std::memory_order_acquire);
    PruneLog(voice, taken);
    while (!voice.ended) {
        const uint64_t written = ring.written.load(std::memory_order_relaxed);
        const uint64_t space =
            ring.capacity - (written - ring.taken.load(std::memory_order_acquire));
        if (space == 0) {
            return;
        }
        PlayCursor next = voice.cursor;
        const Stretch s = NextStretch(voice.rules, next);
        const std::shared_ptr<SoundSource>* source =
            next.ended ? nullptr : &voice.rules.entries[static_cast<size_t>(s.entry)].source;
        const bool continues =
            source != nullptr && !voice.log.empty() && !voice.log.back().endOfStream &&
            voice.log.back().source == *source && voice.log.back().start.entry == s.entry &&
            voice.log.back().start.frame + voice.log.back().length == s.frame &&
            voice.log.back().ringStart + voice.log.back().length == written;
        if (!continues) {
            const uint64_t marks = ring.marksWritten.load(std::memory_order_relaxed);
            if (marks - ring.marksFreed.load(std::memory_order_acquire) >= ring.marks.size()) {
                return;
            }
            RunMark& mark = ring.Mark(marks);
            mark.ringStart = written;
            mark.frame = s.frame;
            mark.generation = voice.generation;
            mark.entry = static_cast<uint16_t>(s.entry);
            mark.slot =
                next.ended
                    ? 0
                    : static_cast<uint16_t>(voice.rules.entries[static_cast<size_t>(s.entry)].slot);
            mark.endOfStream = next.ended;
            ring.marksWritten.store(marks + 1, std::memory_order_release);
            voice.log.push_back({written, 0, next, source ? *source : nullptr, next.ended});
        }
        voice.cursor = next;
        if (next.ended) {
            voice.ended = true;
            return;
        }
        const uint64_t wanted = std::min({s.frames, space, kChunkFrames});
        uint64_t got = 0;
        while (got < wanted) {
            const uint64_t index = written + got;
            const uint64_t contiguous =
                std::min(wanted - got, ring.capacity - (index & ring.frameMask));
            const uint64_t n = (*source)->Read(ring.Frame(index), s.frame + got, contiguous);
            got += n;
            if (n < contiguous) {
                break;
            }
        }
        if (got > 0) {
            ring.written.store(written + got, std::memory_order_release);
            voice.log.back().length += got;
            voice.cursor.frame += got;
        }
        if (got < wanted && (*source)->ReadFailed()) {
            ring.readFailed.store(true, std::memory_order_release);
        }
        return;  // one chunk per pass: the least-filled voice is read next
    }
}

}  // namespace tamberline::sound
