#include "ui/Messaging.h"

#include <algorithm>

namespace Ui {

TMessageManager& TMessageManager::DefaultManager() {
    static TMessageManager* manager = new TMessageManager();
    return *manager;
}

int TMessageManager::SubscribeToMessage(std::type_index messageClass, TMessageListener listener) {
    std::lock_guard guard(fLock);
    const int id = ++fLastId;
    fListeners[messageClass].push_back({id, std::make_shared<TMessageListener>(std::move(listener))});
    return id;
}

void TMessageManager::Unsubscribe(std::type_index messageClass, int id) {
    std::lock_guard guard(fLock);
    const auto it = fListeners.find(messageClass);
    if (it == fListeners.end()) return;
    std::erase_if(it->second, [id](const TSubscription& s) { return s.Id == id; });
}

void TMessageManager::SendMessage(TObject* sender, const TMessageBase& message) {
    std::vector<TSubscription> snapshot;
    const std::type_index type = typeid(message);
    {
        std::lock_guard guard(fLock);
        const auto it = fListeners.find(type);
        if (it == fListeners.end()) return;
        snapshot = it->second;
    }
    for (const TSubscription& s : snapshot) {
        // Skip listeners that an earlier listener unsubscribed.
        bool subscribed;
        {
            std::lock_guard guard(fLock);
            const auto& now = fListeners[type];
            subscribed = std::any_of(now.begin(), now.end(), [&](const TSubscription& n) { return n.Id == s.Id; });
        }
        if (subscribed && *s.Listener) (*s.Listener)(sender, message);
    }
}

void TMessageManager::SendMessage(TObject* sender, std::unique_ptr<TMessageBase> message) {
    if (message) SendMessage(sender, *message);
}

}  // namespace Ui
