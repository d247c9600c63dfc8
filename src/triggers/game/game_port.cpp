#include "triggers/game/game_port.h"

#include <SDL2/SDL.h>

#include <array>
#include <chrono>
#include <cstring>

namespace tamberline {

namespace {

constexpr int kStatusField = 18;
constexpr int kWaitMs = 20;
constexpr int kOpenWaitMs = 3000;

struct Slot {
    SDL_Joystick* joystick = nullptr;
    SDL_JoystickID instance = -1;
    SDL_JoystickGUID guid{};
    bool taken = false;  // a controller was taken into this slot at opening
    std::array<bool, kGameButtons> held{};
};

bool SameGuid(const SDL_JoystickGUID& a, const SDL_JoystickGUID& b) {
    return std::memcmp(a.data, b.data, sizeof a.data) == 0;
}

}  // namespace

GamePort::GamePort(Handlers handlers) : handlers_(std::move(handlers)) {}

GamePort::~GamePort() {
    Close();
}

bool GamePort::Open() {
    if (IsOpen()) {
        return true;
    }
    stop_ = false;
    opened_ = 0;
    lostSlots_ = 0;
    thread_ = std::thread([this] { Run(); });
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kOpenWaitMs);
    while (opened_.load() == 0 && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (opened_.load() != 1) {
        Close();
        return false;
    }
    return true;
}

void GamePort::Close() {
    if (!thread_.joinable()) {
        return;
    }
    stop_ = true;
    thread_.join();
    controllers_ = 0;
}

void GamePort::Run() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
        opened_ = -1;
        return;
    }
    std::array<Slot, kGameSlots> slots;
    int count = 0;
    for (int device = 0; device < SDL_NumJoysticks() && count < kGameSlots; ++device) {
        if (SDL_Joystick* joystick = SDL_JoystickOpen(device)) {
            Slot& slot = slots[static_cast<size_t>(count++)];
            slot.joystick = joystick;
            slot.instance = SDL_JoystickInstanceID(joystick);
            slot.guid = SDL_JoystickGetGUID(joystick);
            slot.taken = true;
        }
    }
    controllers_ = count;
    if (count == 0) {
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        opened_ = -1;
        return;
    }
    // What was queued before the port opened is not ours to act on.
    SDL_FlushEvents(SDL_JOYAXISMOTION, SDL_JOYBATTERYUPDATED);
    opened_ = 1;

    auto slotOf = [&slots](SDL_JoystickID instance) -> int {
        for (int s = 0; s < kGameSlots; ++s) {
            if (slots[static_cast<size_t>(s)].joystick &&
                slots[static_cast<size_t>(s)].instance == instance) {
                return s;
            }
        }
        return -1;
    };
    auto dispatch = [this](int slot, int button, bool pressed) {
        const int id = GameTriggerId(slot, button);
        if (handlers_.status) {
            handlers_.status(kStatusField, GameStatusText(id, pressed));
        }
        if (handlers_.target) {
            handlers_.target->Trigger(id, pressed);
        }
    };
    auto lost = [&slots]() {
        uint32_t bits = 0;
        for (size_t s = 0; s < slots.size(); ++s) {
            if (slots[s].taken && !slots[s].joystick) {
                bits |= 1u << s;
            }
        }
        return bits;
    };

    SDL_Event event;
    while (!stop_) {
        if (!SDL_WaitEventTimeout(&event, kWaitMs)) {
            continue;
        }
        switch (event.type) {
            case SDL_JOYBUTTONDOWN:
            case SDL_JOYBUTTONUP: {
                const int s = slotOf(event.jbutton.which);
                const int button = event.jbutton.button;
                if (s < 0 || button >= kGameButtons) {
                    break;
                }
                const bool pressed = event.jbutton.state == SDL_PRESSED;
                bool& held = slots[static_cast<size_t>(s)].held[static_cast<size_t>(button)];
                if (held != pressed) {
                    held = pressed;
                    dispatch(s, button, pressed);
                }
                break;
            }
            case SDL_JOYDEVICEREMOVED: {
                const int s = slotOf(event.jdevice.which);
                if (s >= 0) {
                    Slot& slot = slots[static_cast<size_t>(s)];
                    // Its buttons can no longer be let go of: they are now.
                    for (int b = 0; b < kGameButtons; ++b) {
                        if (slot.held[static_cast<size_t>(b)]) {
                            slot.held[static_cast<size_t>(b)] = false;
                            dispatch(s, b, false);
                        }
                    }
                    SDL_JoystickClose(slot.joystick);
                    slot.joystick = nullptr;
                    slot.instance = -1;
                    lostSlots_ = lost();
                }
                if (handlers_.deviceChanged) {
                    handlers_.deviceChanged();
                }
                break;
            }
            case SDL_JOYDEVICEADDED: {
                const SDL_JoystickGUID guid = SDL_JoystickGetDeviceGUID(event.jdevice.which);
                for (Slot& slot : slots) {
                    if (slot.taken && !slot.joystick && SameGuid(slot.guid, guid)) {
                        if (SDL_Joystick* joystick = SDL_JoystickOpen(event.jdevice.which)) {
                            slot.joystick = joystick;
                            slot.instance = SDL_JoystickInstanceID(joystick);
                            slot.held = {};
                        }
                        break;
                    }
                }
                lostSlots_ = lost();
                if (handlers_.deviceChanged) {
                    handlers_.deviceChanged();
                }
                break;
            }
            default: break;
        }
    }
    for (Slot& slot : slots) {
        if (slot.joystick) {
            SDL_JoystickClose(slot.joystick);
        }
    }
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

}  // namespace tamberline
