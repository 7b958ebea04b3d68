// The object model under every framework object: TObject with its class name, TPersistent
// (assignable state), TComponent (owner, name, owned components that die with their owner) and
// the class registry that finds classes by name.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <vector>

#include "ui/Exception.h"
#include "ui/Types.h"

namespace Ui {

class EConvertError : public Exception {
public:
    using Exception::Exception;
};

class EClassNotFound : public Exception {
public:
    using Exception::Exception;
};

class EComponentError : public Exception {
public:
    using Exception::Exception;
};

class TObject {
public:
    virtual ~TObject() = default;
    // The class's own name without namespaces or template arguments ("TForm").
    std::string ClassName() const;
};

// The unqualified name of a C++ type ("Ui::TForm" gives "TForm").
std::string ClassNameOf(const std::type_info& type);

using TNotifyEvent = std::function<void(TObject* sender)>;

class TPersistent : public TObject {
public:
    // Copies source's state into this object; a source that does not know how raises
    // EConvertError ("Cannot assign a TX to a TY.").
    virtual void Assign(TPersistent* source);

protected:
    // Copies this object's state into dest; the base refuses.
    virtual void AssignTo(TPersistent* dest);
};

enum class TComponentStateItem { Loading, Reading, Writing, Destroying, Designing, Updating };
using TComponentState = TSet<TComponentStateItem>;

class TComponent : public TPersistent {
public:
    // The owner takes the component: it is destroyed with the owner unless destroyed before.
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return fOwner; }
    const std::string& Name() const { return fName; }
    // Names are identifiers, unique among the components of one owner (empty is allowed).
    void SetName(const std::string& name);
    int ComponentCount() const { return static_cast<int>(fComponents.size()); }
    TComponent* Components(int index) const;
    TComponent* FindComponent(const std::string& name) const;

    TComponentState ComponentState() const { return fState; }
    bool IsDestroying() const { return fState.Contains(TComponentStateItem::Destroying); }
    bool IsLoading() const { return fState.Contains(TComponentStateItem::Loading); }
    // Runs once construction of the whole object (and its owned children) has finished.
    virtual void AfterConstruction() {}
    // Runs before the destructors, while the whole object is still alive; marks it as being
    // destroyed. Owners call it on their components; Ui::Free calls it too.
    virtual void BeforeDestruction() { BeginDestruction(); }
    // Called after the component's stored properties were set.
    virtual void Loaded() { fState.Exclude(TComponentStateItem::Loading); }

protected:
    // Marks the component as going away; derived destructors call it first so that code run
    // during teardown sees the state.
    void BeginDestruction() { fState.Include(TComponentStateItem::Destroying); }
    TComponentState& State() { return fState; }

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    TComponent* fOwner = nullptr;
    std::string fName;
    std::vector<TComponent*> fComponents;
    TComponentState fState;
};

// The class registry: classes registered under their name so that code (or a stored form
// description) can make them by name. A class is registered once per name; registering
// another type under a taken name raises EComponentError.
class TClassRegistry {
public:
    using TFactory = std::function<TPersistent*(TComponent* owner)>;
    struct TEntry {
        std::string Name;
        std::type_index Type;
        TFactory Create;  // empty for classes that cannot be made from the registry
    };

    static void Register(const std::string& name, std::type_index type, TFactory factory);
    static void Unregister(const std::string& name);
    // nullptr when no class of that name is registered.
    static const TEntry* Get(const std::string& name);
    // Raises EClassNotFound ("Class TX not found") when none is registered.
    static const TEntry& Find(const std::string& name);
    // Makes an instance of the named class; EClassNotFound for unknown names.
    static TPersistent* Create(const std::string& name, TComponent* owner);
};

// Registers T under its class name; made with T(owner) when T takes an owner, T() otherwise,
// and not at all when it is abstract.
template <class T>
void RegisterClass(const std::string& name = ClassNameOf(typeid(T))) {
    TClassRegistry::TFactory factory;
    if constexpr (!std::is_abstract_v<T> && std::is_constructible_v<T, TComponent*>)
        factory = [](TComponent* owner) -> TPersistent* { return new T(owner); };
    else if constexpr (!std::is_abstract_v<T> && std::is_default_constructible_v<T>)
        factory = [](TComponent*) -> TPersistent* { return new T(); };
    TClassRegistry::Register(name, typeid(T), std::move(factory));
}

}  // namespace Ui

namespace Ui {

class EArgumentOutOfRange : public Exception {
public:
    using Exception::Exception;
};

class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

}  // namespace Ui
