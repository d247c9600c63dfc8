#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/malloc.h>
#include <avahi-common/simple-watch.h>
#include <avahi-common/thread-watch.h>

#include <algorithm>

#include "net/console_discovery.h"

namespace tamberline {

namespace {

// Announces the console while the program runs. Avahi calls back on its
// own thread; everything it touches is owned by that thread once started.
class AvahiAnnouncer final : public ConsoleAnnouncer {
public:
    ~AvahiAnnouncer() override { Withdraw(); }

    void Announce(const std::string& name, uint16_t port) override {
        Withdraw();
        name_ = name.empty() ? std::string("Tamberline") : name;
        port_ = port;
        poll_ = avahi_threaded_poll_new();
        if (!poll_) {
            return;
        }
        int error = 0;
        // Waits for the daemon when it is not running yet.
        client_ = avahi_client_new(avahi_threaded_poll_get(poll_), AVAHI_CLIENT_NO_FAIL,
                                   &AvahiAnnouncer::ClientChanged, this, &error);
        if (!client_) {
            avahi_threaded_poll_free(poll_);
            poll_ = nullptr;
            return;
        }
        avahi_threaded_poll_start(poll_);
    }

    void Withdraw() override {
        if (poll_) {
            avahi_threaded_poll_stop(poll_);
        }
        if (client_) {
            avahi_client_free(client_);  // frees the entry group with it
            client_ = nullptr;
            group_ = nullptr;
        }
        if (poll_) {
            avahi_threaded_poll_free(poll_);
            poll_ = nullptr;
        }
    }

private:
    static void ClientChanged(AvahiClient* client, AvahiClientState state, void* self) {
        auto* me = static_cast<AvahiAnnouncer*>(self);
        if (state == AVAHI_CLIENT_S_RUNNING) {
            me->Publish(client);
        } else if (state == AVAHI_CLIENT_S_COLLISION || state == AVAHI_CLIENT_S_REGISTERING ||
                   state == AVAHI_CLIENT_FAILURE) {
            if (me->group_) {
                avahi_entry_group_reset(me->group_);
            }
        }
    }

    static void GroupChanged(AvahiEntryGroup* group, AvahiEntryGroupState state, void* self) {
        auto* me = static_cast<AvahiAnnouncer*>(self);
        if (state == AVAHI_ENTRY_GROUP_COLLISION) {
            char* other = avahi_alternative_service_name(me->name_.c_str());
            me->name_ = other;
            avahi_free(other);
            avahi_entry_group_reset(group);
            me->Publish(avahi_entry_group_get_client(group));
        }
    }

    void Publish(AvahiClient* client) {
        if (!group_) {
            group_ = avahi_entry_group_new(client, &AvahiAnnouncer::GroupChanged, this);
            if (!group_) {
                return;
            }
        }
        if (avahi_entry_group_is_empty(group_)) {
            if (avahi_entry_group_add_service(group_, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET,
                                              AvahiPublishFlags(0), name_.c_str(), kServiceType,
                                              nullptr, nullptr, port_, nullptr) == 0) {
                avahi_entry_group_commit(group_);
            }
        }
    }

    std::string name_;
    uint16_t port_ = 0;
    AvahiThreadedPoll* poll_ = nullptr;
    AvahiClient* client_ = nullptr;
    AvahiEntryGroup* group_ = nullptr;
};

// One search, run to its end on the calling thread.
struct Search {
    AvahiClient* client = nullptr;
    std::vector<FoundConsole> found;
    int resolving = 0;
    bool allForNow = false;

    static void Resolved(AvahiServiceResolver* resolver, AvahiIfIndex, AvahiProtocol,
                         AvahiResolverEvent event, const char* name, const char*, const char*,
                         const char*, const AvahiAddress* address, uint16_t, AvahiStringList*,
                         AvahiLookupResultFlags, void* self) {
        auto* search = static_cast<Search*>(self);
        if (event == AVAHI_RESOLVER_FOUND && address && address->proto == AVAHI_PROTO_INET) {
            char text[AVAHI_ADDRESS_STR_MAX] = {};
            avahi_address_snprint(text, sizeof text, address);
            const std::string dotted = text;
            // A console seen on several interfaces is listed once.
            const bool known =
                std::any_of(search->found.begin(), search->found.end(),
                            [&dotted](const FoundConsole& c) { return c.address == dotted; });
            if (!known) {
                search->found.push_back({name ? name : dotted, dotted});
            }
        }
        --search->resolving;
        avahi_service_resolver_free(resolver);
    }

    static void Browsed(AvahiServiceBrowser*, AvahiIfIndex interface, AvahiProtocol protocol,
                        AvahiBrowserEvent event, const char* name, const char* type,
                        const char* domain, AvahiLookupResultFlags, void* self) {
        auto* search = static_cast<Search*>(self);
        if (event == AVAHI_BROWSER_NEW) {
            if (avahi_service_resolver_new(search->client, interface, protocol, name, type, domain,
                                           AVAHI_PROTO_INET, AvahiLookupFlags(0), &Search::Resolved,
                                           search)) {
                ++search->resolving;
            }
        } else if (event == AVAHI_BROWSER_ALL_FOR_NOW || event == AVAHI_BROWSER_FAILURE) {
            search->allForNow = true;
        }
    }
};

class AvahiFinder final : public ConsoleFinder {
public:
    std::vector<FoundConsole> Find(std::chrono::milliseconds wait,
                                   const std::atomic<bool>& stop) override {
        AvahiSimplePoll* poll = avahi_simple_poll_new();
        if (!poll) {
            return {};
        }
        Search search;
        int error = 0;
        search.client = avahi_client_new(avahi_simple_poll_get(poll), AvahiClientFlags(0), nullptr,
                                         nullptr, &error);
        AvahiServiceBrowser* browser = nullptr;
        if (search.client) {
            browser = avahi_service_browser_new(search.client, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET,
                                                kServiceType, nullptr, AvahiLookupFlags(0),
                                                &Search::Browsed, &search);
        }
        const auto end = std::chrono::steady_clock::now() + wait;
        constexpr int kSliceMs = 50;
        while (browser && !stop && std::chrono::steady_clock::now() < end &&
               !(search.allForNow && search.resolving <= 0)) {
            if (avahi_simple_poll_iterate(poll, kSliceMs) != 0) {
                break;
            }
        }
        if (search.client) {
            avahi_client_free(search.client);  // frees the browser and resolvers
        }
        avahi_simple_poll_free(poll);
        return search.found;
    }
};

}  // namespace

std::unique_ptr<ConsoleAnnouncer> MakeAvahiAnnouncer() {
    return std::make_unique<AvahiAnnouncer>();
}

std::unique_ptr<ConsoleFinder> MakeAvahiFinder() {
    return std::make_unique<AvahiFinder>();
}

}  // namespace tamberline
