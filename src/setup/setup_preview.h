#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session/button_record.h"
#include "session/run_log.h"

namespace tamberline {

// Plays one file for the button setup's preview. Called on the GUI thread
// only; the real one is a media graph of the dialog's own.
class PreviewPlayer {
public:
    virtual ~PreviewPlayer() = default;
    // Opens `path` on output `output` (a row of the output list); false when
    // it cannot be played there. Replaces what was open.
    virtual bool Load(const std::string& path, int output) = 0;
    // The open file's length at normal speed, 0 when unknown.
    virtual int32_t DurationMs() const = 0;
    virtual int32_t PositionMs() const = 0;
    virtual bool Play() = 0;
    virtual void Pause() = 0;
    // Back to the start, stopped.
    virtual void Rewind() = 0;
    // Closes the file.
    virtual void Release() = 0;
    // Level in hundredths of a decibel, pan as the record holds it.
    virtual void SetLevel(long level) = 0;
    virtual void SetPan(int pan) = 0;
    // The speed asked for (1.0 normal); returns the speed in force.
    virtual double SetRate(double rate) = 0;
    // True once after the file has played to its end.
    virtual bool TakeEnded() = 0;
    // A player that loops by itself never ends while looping; the others
    // are rewound at the end.
    virtual void SetLoop(bool /*loop*/) {}
};

// What the preview plays: the working copy's sample (or the entries of its
// songlist) with its level, pan, speed, fades and loop.
struct PreviewSettings {
    std::vector<std::string> files;  // one file, or a songlist's entries
    std::vector<int32_t> lengthsMs;  // of each entry at normal speed (may be 0)
    std::string caption;
    int output = 0;
    int volume = 100;
    int pan = 100;
    int varispeed = 100;
    uint16_t fadeIn = 0;   // tenths of a second
    uint16_t fadeOut = 0;  // tenths of a second
    bool loop = false;
    bool pauseAfterFade = false;
};

// The preview's run: fades on the 10 ms law of run control (from -5000 to
// the level and back), the remaining time, the end of play, songlists
// advancing, and one run-log line for every run that played.
class SetupPreview {
public:
    enum class State { kIdle, kPlaying, kFadingOut, kPausedAfterFade };

    SetupPreview(PreviewPlayer& player, RunLog* log) : player_(player), log_(log) {}
    ~SetupPreview() { Stop(); }
    SetupPreview(const SetupPreview&) = delete;
    SetupPreview& operator=(const SetupPreview&) = delete;

    // Starts from the top, or resumes a preview held at the end of a fade.
    // False when the file cannot be opened (the preview stays idle).
    bool Play(const PreviewSettings& settings);
    // Ends the preview at once and logs the run.
    void Stop();
    // Every 10 ms or so, with the milliseconds since the last call.
    void Tick(uint32_t elapsedMs);

    // Changes while playing.
    void SetVolume(int volume);
    void SetPan(int pan);
    // Returns the varispeed in force.
    int SetVarispeed(int varispeed);
    void SetPauseAfterFade(bool on);
    void SetLoop(bool loop);

    State state() const { return state_; }
    bool IsPlaying() const { return state_ == State::kPlaying || state_ == State::kFadingOut; }
    int32_t RemainingMs() const;
    long Level() const { return static_cast<long>(level_); }
    int entry() const { return entry_; }

private:
    bool OpenEntry(int entry);
    long TargetLevel() const { return settings_.volume * 100L - 10000L; }
    double Rate() const { return settings_.varispeed / 100.0; }
    // A single file loops in itself; a songlist loops from its last entry to its first.
    bool LoopsEntry() const { return settings_.loop && settings_.files.size() == 1; }
    int32_t EntryRemainingMs() const;
    void StartFadeOut(int32_t overMs);
    void EndOfEntry();
    void HoldAfterFade();
    void LogRun();

    PreviewPlayer& player_;
    RunLog* log_;
    PreviewSettings settings_;
    State state_ = State::kIdle;
    int entry_ = 0;
    double level_ = 0;
    double fadeInRate_ = 0;   // per ms
    double fadeOutRate_ = 0;  // per ms
    bool fadingIn_ = false;
    RunLogEntry run_;
    bool running_ = false;  // a run is being counted for the log
};

}  // namespace tamberline
