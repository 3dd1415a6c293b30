#include "platform/ui/component.h"

#include <algorithm>

void TObject::Free() {
    BeforeDestruction();
    delete this;
}

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    DestroyComponents();
    // Tell everyone who asked, then leave the owner's list.
    std::vector<TComponent*> notifies = freeNotifies_;
    freeNotifies_.clear();
    for (TComponent* c : notifies) {
        std::erase(c->freeNotifies_, this);
        c->Notification(this, opRemove);
    }
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::BeforeDestruction() {
    Destroying();
    DestroyComponents();
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    for (TComponent* c : components_)
        if (c->Name() == name) return c;
    return nullptr;
}

void TComponent::SetDesigning(bool designing) {
    if (designing) {
        componentState_ |= csDesigning;
    } else {
        componentState_ &= ~csDesigning;
    }
}

void TComponent::FreeNotification(TComponent* component) {
    if (!component || component == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
        freeNotifies_.push_back(component);
    if (std::find(component->freeNotifies_.begin(), component->freeNotifies_.end(), this) ==
        component->freeNotifies_.end())
        component->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (!component) return;
    std::erase(freeNotifies_, component);
    std::erase(component->freeNotifies_, this);
}

void TComponent::InsertComponent(TComponent* component) {
    if (!component || component->owner_ == this) return;
    if (component->owner_) component->owner_->RemoveComponent(component);
    component->owner_ = this;
    components_.push_back(component);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    if (!component || component->owner_ != this) return;
    Notification(component, opRemove);
    std::erase(components_, component);
    component->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* c = components_.back();
        RemoveComponent(c);
        c->Free();
    }
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove) std::erase(freeNotifies_, component);
    for (TComponent* c : std::vector<TComponent*>(components_))
        if (c != component) c->Notification(component, operation);
}
