// Random button records loaded into run control as a session's records are,
// then every start, release, stop, stop-all and start-request path run over
// them on the offline engine, with fades and clocks in between. A record
// whose path starts with a byte 1..4 plays one of a few real files instead
// (a plain WAV, one with a play list, a songlist, an empty file), so that
// preparing, segments and songlists are reached with any other field.
//
// Input: a count byte, then per record a button (2 bytes) and its 592
// bytes, then operations of two bytes (what, button).
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <span>
#include <string>

#include "playback/button_runner.h"
#include "playback/control_thread.h"
#include "playback/sound/media_length.h"
#include "playback/sound/offline_backend.h"
#include "playback/sound/sound_system.h"
#include "session/button_record.h"

namespace {

using namespace tamberline;

std::string Le16(uint16_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8)};
}

std::string Le32(uint32_t v) {
    return Le16(static_cast<uint16_t>(v)) + Le16(static_cast<uint16_t>(v >> 16));
}

std::string Chunk(const std::string& id, const std::string& body) {
    return id + Le32(static_cast<uint32_t>(body.size())) + body;
}

// 0.2 s of mono 16-bit sound at 48 kHz, with a play list of two segments
// when asked.
std::string Wav(bool segments) {
    std::string data;
    for (int i = 0; i < 9600; ++i) {
        data += Le16(static_cast<uint16_t>(i));
    }
    const std::string fmt = Le16(1) + Le16(1) + Le32(48000) + Le32(96000) + Le16(2) + Le16(16);
    std::string chunks = Chunk("fmt ", fmt);
    if (segments) {
        const std::string cue = Le32(2) + Le32(1) + Le32(0) + "data" + Le32(0) + Le32(0) + Le32(0) +
                                Le32(2) + Le32(4800) + "data" + Le32(0) + Le32(0) + Le32(4800);
        const std::string plst =
            Le32(2) + Le32(1) + Le32(4800) + Le32(2) + Le32(2) + Le32(4800) + Le32(0);
        chunks += Chunk("cue ", cue) + Chunk("plst", plst);
    }
    chunks += Chunk("data", data);
    return "RIFF" + Le32(static_cast<uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

struct World {
    World() {
        Write("plain.wav", Wav(false));
        Write("segments.wav", Wav(true));
        Write("list.m3u", "plain.wav\nmissing.wav\nsegments.wav\n");
        Write("zero.wav", "");
        auto backend = std::make_unique<OfflineBackend>(48000, 256);
        offline = backend.get();
        system.SetOutputBackend(std::move(backend));
        system.Init(kButtonCount);
        for (int pair = 0; pair < 4; ++pair) {
            const std::string name =
                "ASIO " + std::to_string(2 * pair + 1) + "+" + std::to_string(2 * pair + 2);
            table.entries.push_back({name, name, true});
        }
        list.Fill(table);
    }
    void Write(const std::string& name, const std::string& bytes) {
        const std::string path = dir.path().toStdString() + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        files.push_back(path);
    }

    QTemporaryDir dir;
    std::vector<std::string> files;
    SoundSystem system;
    OfflineBackend* offline = nullptr;
    OutputTable table;
    OutputList list;
};

class QuietHost final : public RunHost {
public:
    void RecordChanged(int, const ButtonRecord&, uint32_t) override {}
    void AskAboutFailedStart(int, const std::string&, int) override {}
    void ShowSonglistWarning() override {}
};

// Waits until the control thread has run everything, passes that post
// further passes included: done when nothing but the drain's own marker
// was posted while it waited.
void Settle(ControlThread& control) {
    for (;;) {
        const uint64_t before = control.LastPosted();
        control.Drain();
        if (control.LastPosted() == before + 1) {
            return;
        }
    }
}

class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool Empty() const { return at_ >= bytes_.size(); }
    uint8_t Byte() { return Empty() ? 0 : bytes_[at_++]; }
    void Fill(std::span<uint8_t> out) {
        for (uint8_t& b : out) {
            b = Byte();
        }
    }

private:
    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
};

void Operate(ButtonRunner& runner, ControlThread& control, World& world, uint8_t what, int button) {
    switch (what % 13) {
        case 0: runner.StartButton(button); break;
        case 1: runner.ReleaseButton(button); break;
        case 2: runner.StopButton(button); break;
        case 3: runner.Requests().StopAll([&runner] { runner.StopAll(); }); break;
        case 4: {
            const int buttons[] = {button, (button * 7 + 1) % kButtonCount};
            runner.Requests().Request(buttons);
            break;
        }
        case 5: {
            std::array<float, 960 * kSpeakerCount> out;
            world.offline->Render(out.data(), 960);
            runner.RunFades(20);
            break;
        }
        case 6: runner.RunClocks(150); break;
        case 7: runner.NextSonglistItem(button); break;
        case 8: runner.SetReleaseToEnd(button); break;
        case 9: runner.ClearBuzzerLocks(); break;
        case 10: {
            runner.ExamineRecord(button, runner.Record(button), [](int, const ButtonRecord&) {});
            break;
        }
        case 11: runner.OnMediaEvent(button); break;
        default: runner.LoadRecord(button, ButtonRecord{}); break;
    }
    Settle(control);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World world;
    Reader in(std::span<const uint8_t>(data, size));
    ControlThread control;
    QuietHost host;
    RunServices services;
    services.host = &host;
    services.mediaLength = AudioEngineMediaLength;
    ButtonRunner runner(control, services);
    runner.SetEngine(&world.system);
    runner.SetOutputs(world.table, world.list);

    const int records = in.Byte() % 16 + 1;
    for (int k = 0; k < records && !in.Empty(); ++k) {
        const int button = (in.Byte() | in.Byte() << 8) % kButtonCount;
        std::array<uint8_t, kRecordSize> bytes{};
        in.Fill(bytes);
        ButtonRecord record = DecodeRecord(bytes);
        const uint8_t pick = static_cast<uint8_t>(record.path[0]);
        if (pick >= 1 && static_cast<size_t>(pick) <= world.files.size()) {
            SetPath(record, world.files[pick - 1u]);
        }
        runner.LoadRecord(button, record);
    }
    while (!in.Empty()) {
        const uint8_t what = in.Byte();
        Operate(runner, control, world, what, in.Byte() % kButtonCount);
    }
    runner.Requests().StopAll([&runner] { runner.StopAll(); });
    Settle(control);
    control.Stop();
    return 0;
}
