#include "ras/DialNotifiers.h"

#include <algorithm>
#include <array>
#include <new>
#include <utility>

namespace ras {
namespace {

// Notifier number `Slot`: one function each, so that the address the
// service calls tells the pool which dial it speaks for.
template <std::size_t Slot>
void RASAPI_CALL Notifier(UINT message, RASCONNSTATE state, DWORD error)
{
    DialNotifierPool::Instance().Receive(Slot, message, state, error);
}

template <std::size_t... Slots>
constexpr std::array<RASDIALFUNC, sizeof...(Slots)> MakeNotifiers(std::index_sequence<Slots...>)
{
    return {&Notifier<Slots>...};
}

constexpr std::array<RASDIALFUNC, DialNotifierPool::kNotifiers> kNotifierFunctions =
    MakeNotifiers(std::make_index_sequence<DialNotifierPool::kNotifiers>{});

}  // namespace

DialNotifierPool& DialNotifierPool::Instance()
{
    // Made on first use and never destroyed: static destructors run while
    // the service's thread may still call a notifier.
    alignas(DialNotifierPool) static unsigned char storage[sizeof(DialNotifierPool)];
    static DialNotifierPool* const pool = ::new (storage) DialNotifierPool();
    return *pool;
}

DialNotifierPool::DialNotifierPool() : slots_(kNotifiers) {}

std::uint64_t DialNotifierPool::Join()
{
    std::lock_guard lock(mutex_);
    const std::uint64_t id = nextClient_++;
    clients_.push_back(Client{id, {}, {}});
    return id;
}

void DialNotifierPool::Leave(std::uint64_t client)
{
    std::lock_guard lock(mutex_);
    for (Slot& slot : slots_) {
        if (slot.client != client)
            continue;
        slot.client = 0;
        slot.releasedOrder = nextRelease_++;
    }
    std::erase_if(clients_, [client](const Client& c) { return c.id == client; });
}

void DialNotifierPool::SetWake(std::uint64_t client, Wake wake)
{
    std::lock_guard lock(mutex_);
    if (Client* c = FindClient(client))
        c->wake = std::move(wake);
}

RASDIALFUNC DialNotifierPool::Bind(std::uint64_t client, std::uint64_t dial)
{
    std::lock_guard lock(mutex_);
    if (!FindClient(client))
        return nullptr;
    // The unbound notifier whose dial ended longest ago.
    std::size_t best = kNotifiers;
    for (std::size_t i = 0; i < kNotifiers; ++i) {
        if (slots_[i].client != 0)
            continue;
        if (best == kNotifiers || slots_[i].releasedOrder < slots_[best].releasedOrder)
            best = i;
    }
    if (best == kNotifiers)
        return nullptr;
    slots_[best] = Slot{client, dial, 0};
    return kNotifierFunctions[best];
}

void DialNotifierPool::Release(std::uint64_t client, std::uint64_t dial)
{
    std::lock_guard lock(mutex_);
    for (Slot& slot : slots_) {
        if (slot.client != client || slot.dial != dial)
            continue;
        slot.client = 0;
        slot.releasedOrder = nextRelease_++;
    }
    if (Client* c = FindClient(client))
        std::erase_if(c->queue, [dial](const DialReport& report) { return report.dial == dial; });
}

std::vector<DialReport> DialNotifierPool::Take(std::uint64_t client)
{
    std::lock_guard lock(mutex_);
    Client* c = FindClient(client);
    if (!c)
        return {};
    return std::exchange(c->queue, {});
}

void DialNotifierPool::Receive(std::size_t slot, UINT message, RASCONNSTATE state, DWORD error)
{
    std::lock_guard lock(mutex_);
    if (slot >= slots_.size())
        return;
    const Slot& s = slots_[slot];
    if (s.client == 0)
        return;  // the dial is over: the report changes nothing
    Client* c = FindClient(s.client);
    if (!c || c->queue.size() >= kMaxQueued)
        return;
    c->queue.push_back(DialReport{s.dial, message, state, error});
    if (c->queue.size() == 1 && c->wake)
        c->wake();
}

std::size_t DialNotifierPool::BoundCount()
{
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(
        std::count_if(slots_.begin(), slots_.end(), [](const Slot& slot) { return slot.client != 0; }));
}

DialNotifierPool::Client* DialNotifierPool::FindClient(std::uint64_t id)
{
    for (Client& c : clients_)
        if (c.id == id)
            return &c;
    return nullptr;
}

}  // namespace ras
