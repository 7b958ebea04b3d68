#include "ui/Classes.h"

#include <cxxabi.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>

namespace Ui {

std::string ClassNameOf(const std::type_info& type) {
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string name = status == 0 && demangled ? demangled : type.name();
    std::free(demangled);
    // Drop template arguments, then namespaces and enclosing classes.
    if (const auto angle = name.find('<'); angle != std::string::npos) name.erase(angle);
    if (const auto colon = name.rfind("::"); colon != std::string::npos) name.erase(0, colon + 2);
    return name;
}

std::string TObject::ClassName() const { return ClassNameOf(typeid(*this)); }

void TPersistent::Assign(TPersistent* source) {
    if (source) {
        source->AssignTo(this);
        return;
    }
    throw EConvertError("Cannot assign a nil to a " + ClassName() + ".");
}

void TPersistent::AssignTo(TPersistent* dest) {
    throw EConvertError("Cannot assign a " + ClassName() + " to a " +
                        (dest ? dest->ClassName() : std::string("nil")) + ".");
}

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    BeginDestruction();
    // Each owned component leaves the list as it goes, last first.
    while (!fComponents.empty()) {
        TComponent* c = fComponents.back();
        if (!c->IsDestroying()) c->BeforeDestruction();
        delete c;
    }
    if (fOwner) fOwner->RemoveComponent(this);
}

void TComponent::InsertComponent(TComponent* component) {
    fComponents.push_back(component);
    component->fOwner = this;
}

void TComponent::RemoveComponent(TComponent* component) {
    std::erase(fComponents, component);
    component->fOwner = nullptr;
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        throw EComponentError("List index out of bounds (" + std::to_string(index) + ")");
    return fComponents[static_cast<size_t>(index)];
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : fComponents)
        if (c->fName == name) return c;
    return nullptr;
}

namespace {

bool IsIdentifier(const std::string& s) {
    if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

}  // namespace

void TComponent::SetName(const std::string& name) {
    if (name == fName) return;
    if (!name.empty() && !IsIdentifier(name))
        throw EComponentError("\"" + name + "\" is not a valid component name");
    if (fOwner && fOwner->FindComponent(name))
        throw EComponentError("A component named " + name + " already exists");
    fName = name;
}

namespace {

struct TRegistry {
    std::mutex lock;
    std::map<std::string, TClassRegistry::TEntry> entries;
};

TRegistry& Registry() {
    static TRegistry registry;
    return registry;
}

}  // namespace

void TClassRegistry::Register(const std::string& name, std::type_index type, TFactory factory) {
    if (name.empty()) throw EComponentError("A class cannot be registered without a name");
    TRegistry& r = Registry();
    std::lock_guard guard(r.lock);
    if (const auto it = r.entries.find(name); it != r.entries.end()) {
        if (it->second.Type == type) return;  // the same class again
        throw EComponentError("A class named " + name + " is already registered");
    }
    r.entries.emplace(name, TEntry{name, type, std::move(factory)});
}

void TClassRegistry::Unregister(const std::string& name) {
    TRegistry& r = Registry();
    std::lock_guard guard(r.lock);
    r.entries.erase(name);
}

const TClassRegistry::TEntry* TClassRegistry::Get(const std::string& name) {
    TRegistry& r = Registry();
    std::lock_guard guard(r.lock);
    const auto it = r.entries.find(name);
    // Entries are never moved by the map, so the pointer stays valid until unregistered.
    return it == r.entries.end() ? nullptr : &it->second;
}

const TClassRegistry::TEntry& TClassRegistry::Find(const std::string& name) {
    if (const TEntry* e = Get(name)) return *e;
    throw EClassNotFound("Class " + name + " not found");
}

TPersistent* TClassRegistry::Create(const std::string& name, TComponent* owner) {
    const TEntry& e = Find(name);
    if (!e.Create) throw EClassNotFound("Class " + name + " cannot be created by name");
    return e.Create(owner);
}

}  // namespace Ui
