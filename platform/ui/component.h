// TObject and TComponent: the base of every component.
//
// A component may have an owner, which destroys it when the owner is destroyed, and keeps
// a list of the components it owns. Components are destroyed with Free(), which first
// calls the virtual BeforeDestruction while the whole object still exists (forms run
// their destroy handlers and controls take down their windows there), then deletes.
#pragma once

#include <functional>
#include <string>
#include <vector>

class TObject {
public:
    virtual ~TObject() = default;
    // Runs once the whole object is constructed (New calls it): forms raise OnCreate here.
    virtual void AfterConstruction() {}
    // Destroys the object (FreeAndNil also accepts a null pointer).
    void Free();
    virtual void BeforeDestruction() {}
};

// Creates an object and lets it finish its construction: New<TForm1>(Application).
template <class T, class... A>
T* New(A&&... args) {
    T* object = new T(std::forward<A>(args)...);
    object->AfterConstruction();
    return object;
}

// Frees the object and clears the pointer.
template <class T>
void FreeAndNil(T*& object) {
    T* doomed = object;
    object = nullptr;
    if (doomed) doomed->Free();
}

// Owns an object for one scope and frees it when the scope ends, also by an exception:
// a dialog shown for one command.
//     TScopedObject<TFormFind> dialog(New<TFormFind>(this));
//     if (dialog->ShowModal() == mrOk) ...
template <class T>
class TScopedObject {
public:
    explicit TScopedObject(T* object) : object_(object) {}
    ~TScopedObject() { FreeAndNil(object_); }
    TScopedObject(const TScopedObject&) = delete;
    TScopedObject& operator=(const TScopedObject&) = delete;

    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }

private:
    T* object_;
};

enum TOperation { opInsert, opRemove };

// Component state flags.
constexpr unsigned csLoading = 0x01;
constexpr unsigned csReading = 0x02;
constexpr unsigned csWriting = 0x04;
constexpr unsigned csDestroying = 0x08;
constexpr unsigned csDesigning = 0x10;

using TNotifyEvent = std::function<void(TObject* sender)>;

// An event handler that calls a method of an object: Method(this, &TForm1::ButtonOkClick).
template <class C, class R, class... A>
std::function<R(A...)> Method(C* object, R (C::*method)(A...)) {
    return [object, method](A... args) -> R { return (object->*method)(std::forward<A>(args)...); };
}

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    int ComponentCount() const { return int(components_.size()); }
    TComponent* Components(int index) const { return components_.at(size_t(index)); }
    TComponent* FindComponent(const std::string& name) const;

    unsigned ComponentState() const { return componentState_; }
    bool Designing() const { return componentState_ & csDesigning; }
    void SetDesigning(bool designing);

    // Asks to be told (Notification opRemove) when component is destroyed, also when it
    // belongs to another owner.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    // Destroys every owned component, last first.
    void DestroyComponents();
    void BeforeDestruction() override;

protected:
    // Told when a component is inserted into or removed from this one's list, or when a
    // component this one asked about is destroyed.
    virtual void Notification(TComponent* component, TOperation operation);
    // Marks the component as being destroyed.
    void Destroying() { componentState_ |= csDestroying; }

    unsigned componentState_ = 0;

private:
    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
};
