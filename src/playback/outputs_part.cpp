#include "playback/outputs_part.h"

#include <QStandardPaths>
#include <algorithm>

#include "playback/graph/outputs.h"
#include "playback/run_controller.h"
#include "playback/sound/device_backends.h"
#include "playback/sound/jack_backend.h"

namespace tamberline {

namespace {
constexpr int kRetryTicks = 50;
constexpr const char* kWaitingNote = " Outputs change when their buttons stop ";

std::vector<std::string> SortedCards(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

std::string RowDevice(const OutputList& list, const OutputTable& table, int row) {
    const int index = list.TableIndex(row, table);
    return index < 0 ? std::string() : table.entries[static_cast<size_t>(index)].deviceName;
}
}  // namespace

OutputsPart::OutputsPart(Registry& registry, MessageBox& box, HeaderMessageFn header,
                         RunController& run, std::function<void()> deviceChanged)
    : registry_(registry),
      box_(box),
      header_(std::move(header)),
      run_(run),
      deviceChanged_(std::move(deviceChanged)),
      engine_(registry, box, [] { return std::make_unique<DeviceBackends>(); }),
      returnWatch_(&JackBackend::ServerRuns) {}

bool OutputsPart::Start(StartStep step) {
    if (step == StartStep::kOutputs) {
        Build();
    }
    return true;
}

void OutputsPart::Teardown(TeardownStep step) {
    if (step == TeardownStep::kAudioEngine) {
        engine_.ReleaseEngine();
    }
}

void OutputsPart::Tick(const TickState& /*state*/) {
    if (engine_.EngineLost() && engine_.DriverName() == JackBackend::kDriverName) {
        returnWatch_.Arm();
    }
    if (returnWatch_.TakeReturn() && deviceChanged_) {
        deviceChanged_();
    }
    if (refreshWaiting_ && --ticksToRetry_ <= 0) {
        TryRefresh();
    }
}

void OutputsPart::HardwareCheck() {
    if (built_ && engine_.EngineLost()) {
        TryRefresh();
    }
}

void OutputsPart::Refresh() {
    if (built_) {
        TryRefresh();
    }
}

OutputsPart::Plan OutputsPart::PlanRefresh() {
    Plan plan;
    OutputTable next;
    for (const OutputEntry& entry : table_.entries) {
        if (entry.onAudioEngine) {
            next.entries.push_back(entry);
        }
    }
    // Built while the device is still away, the outputs would find no such
    // driver and switch the engine off for good.
    plan.engine = engine_.EngineLost() && engine_.DriverListed();
    std::vector<std::string> cards;
    for (const OutputEntry& entry : table_.entries) {
        if (!entry.onAudioEngine) {
            cards.push_back(entry.deviceName);
        }
    }
    std::vector<std::string> present = SelectSoundCards(catalog_.Enumerate());
    present.resize(
        std::min(present.size(), static_cast<size_t>(kMaxOutputs) - next.entries.size()));
    plan.cards = SortedCards(cards) != SortedCards(present);
    for (const std::string& name : present) {
        next.entries.push_back({name, OutputDisplayName(name, registry_), false});
    }
    OutputList nextList;
    nextList.Fill(next);
    for (int row = 0; row < OutputList::kRows; ++row) {
        const int index = list_.TableIndex(row, table_);
        const bool engineRow =
            index >= 0 && table_.entries[static_cast<size_t>(index)].onAudioEngine;
        if ((plan.engine && engineRow) ||
            RowDevice(list_, table_, row) != RowDevice(nextList, next, row)) {
            plan.rows.push_back(row);
        }
    }
    return plan;
}

bool OutputsPart::AnyPlaysOn(const std::vector<int>& rows) const {
    if (!playingRows_) {
        return false;
    }
    for (int row : playingRows_()) {
        if (std::find(rows.begin(), rows.end(), row) != rows.end()) {
            return true;
        }
    }
    return false;
}

void OutputsPart::TryRefresh() {
    ticksToRetry_ = kRetryTicks;
    const Plan plan = PlanRefresh();
    if (!plan.engine && !plan.cards) {
        // Nothing to change (any more): whatever waited is done.
        if (refreshWaiting_ && note_) {
            note_("");
        }
        refreshWaiting_ = false;
        return;
    }
    if (AnyPlaysOn(plan.rows)) {
        if (!refreshWaiting_ && note_) {
            note_(kWaitingNote);
        }
        refreshWaiting_ = true;
        return;
    }
    if (plan.engine) {
        RebuildEngine();
    }
    if (plan.cards) {
        RebuildSoundCards();
    }
    list_.Fill(table_);
    run_.SetCatalog(&catalog_);
    run_.SetOutputs(table_, list_);
    if (refreshWaiting_ && note_) {
        note_("");
    }
    refreshWaiting_ = false;
}

void OutputsPart::RebuildEngine() {
    // No button plays on the engine: the sound cards' buttons go on.
    run_.SetEngine(nullptr);
    run_.Drain();
    OutputTable fresh;
    engine_.AddEngineOutputs(fresh, header_);
    for (OutputEntry& entry : fresh.entries) {
        entry.displayName = entry.deviceName;
    }
    for (const OutputEntry& entry : table_.entries) {
        if (!entry.onAudioEngine) {
            fresh.entries.push_back(entry);
        }
    }
    table_ = std::move(fresh);
    run_.SetEngine(engine_.Engine());
}

void OutputsPart::RebuildSoundCards() {
    OutputTable next;
    for (const OutputEntry& entry : table_.entries) {
        if (entry.onAudioEngine) {
            next.entries.push_back(entry);
        }
    }
    next.asioActive = table_.asioActive;
    // With no card left there is nothing to probe, and the engine's
    // pairs may still play.
    if (!SelectSoundCards(catalog_.Enumerate()).empty()) {
        OutputServices services;
        services.catalog = &catalog_;
        services.registry = &registry_;
        services.messageBox = &box_;
        services.header = header_;
        services.tempFolder =
            QStandardPaths::writableLocation(QStandardPaths::TempLocation).toStdString();
        OutputTable cards;
        OutputList unused;
        BuildOutputs(services, cards, unused);
        if (header_) {
            header_("");
        }
        for (const OutputEntry& entry : cards.entries) {
            if (next.entries.size() < static_cast<size_t>(kMaxOutputs)) {
                next.entries.push_back(entry);
            }
        }
    }
    table_ = std::move(next);
}

std::vector<std::string> OutputsPart::EngineDrivers() const {
    DeviceBackends backend;
    return EngineDriverNames(backend);
}

void OutputsPart::Build() {
    // The engine is rebuilt: run control lets go of the old one first.
    run_.StopAll();
    run_.SetEngine(nullptr);
    run_.Drain();
    OutputServices services;
    services.engine = &engine_;
    services.catalog = &catalog_;
    services.registry = &registry_;
    services.messageBox = &box_;
    services.header = header_;
    services.tempFolder =
        QStandardPaths::writableLocation(QStandardPaths::TempLocation).toStdString();
    BuildOutputs(services, table_, list_);
    built_ = true;
    run_.SetCatalog(&catalog_);
    run_.SetOutputs(table_, list_);
    run_.SetEngine(engine_.Engine());
}

std::vector<int> OutputsPart::Rename(int index, const std::string& name) {
    std::vector<int> rows = RenameOutput(table_, list_, index, name, registry_);
    run_.SetOutputs(table_, list_);
    return rows;
}

}  // namespace tamberline
