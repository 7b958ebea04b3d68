// The message bus: listeners subscribe to a message class and receive every message of
// exactly that class sent through the manager. Listeners may subscribe and unsubscribe while
// a message is being delivered.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <typeindex>
#include <vector>

#include "ui/Classes.h"

namespace Ui {

class TMessageBase {
public:
    virtual ~TMessageBase() = default;
};

template <class T>
class TMessage : public TMessageBase {
public:
    explicit TMessage(T value) : fValue(std::move(value)) {}
    const T& Value() const { return fValue; }

private:
    T fValue;
};

class TForm;
// Sent when the application's main form changes; the value is the new main form.
class TMainFormChangedMessage : public TMessage<TForm*> {
public:
    using TMessage::TMessage;
};

using TMessageListener = std::function<void(TObject* sender, const TMessageBase& message)>;

class TMessageManager {
public:
    static TMessageManager& DefaultManager();

    // Returns the subscription id (above 0).
    int SubscribeToMessage(std::type_index messageClass, TMessageListener listener);
    template <class M>
    int SubscribeToMessage(std::function<void(TObject* sender, const M& message)> listener) {
        return SubscribeToMessage(typeid(M), [listener = std::move(listener)](TObject* s, const TMessageBase& m) {
            listener(s, static_cast<const M&>(m));
        });
    }
    // Unknown ids are ignored.
    void Unsubscribe(std::type_index messageClass, int id);
    template <class M>
    void Unsubscribe(int id) { Unsubscribe(typeid(M), id); }

    // Delivers to the listeners of the message's own class, in subscription order.
    void SendMessage(TObject* sender, const TMessageBase& message);
    // The same; the message is disposed after delivery.
    void SendMessage(TObject* sender, std::unique_ptr<TMessageBase> message);

private:
    struct TSubscription {
        int Id;
        std::shared_ptr<TMessageListener> Listener;
    };
    std::recursive_mutex fLock;
    std::map<std::type_index, std::vector<TSubscription>> fListeners;
    int fLastId = 0;
};

}  // namespace Ui
