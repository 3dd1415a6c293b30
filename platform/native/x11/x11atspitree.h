// What a screen reader learns of the program over AT-SPI, the accessibility protocol of
// the Linux desktop, without the bus itself: the objects, what they answer, and which of
// their events anyone listens to. x11atspi.cpp puts them on the accessibility bus.
//
// The objects are the application (its root, at kRootPath) and, as its children, the
// program's shown windows that have an accessible name (TNativeWindow::SetAccessibleName):
// for the clock, its window, named with the time in words. A window's object is at
// kObjectPrefix/<X window id>, a frame (a dialog for a dialog window) whose description is
// the window's title, whose extents are the window's bounds, and whose states say it is
// showing and, while it has the keyboard, active. Controls inside windows are not native
// windows and have no objects.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/types.h"

namespace native::atspi {

inline constexpr const char* kRootPath = "/org/a11y/atspi/accessible/root";
inline constexpr const char* kNullPath = "/org/a11y/atspi/null";
inline constexpr const char* kObjectPrefix = "/org/a11y/atspi/accessible";

inline constexpr const char* kAccessibleInterface = "org.a11y.atspi.Accessible";
inline constexpr const char* kApplicationInterface = "org.a11y.atspi.Application";
inline constexpr const char* kComponentInterface = "org.a11y.atspi.Component";

// Roles, states, coordinate types and layers, as the protocol numbers them.
enum TRole : uint32_t {
    RoleDialog = 16,
    RoleFrame = 23,
    RoleApplication = 75,
};
enum TState : uint32_t {
    StateActive = 1,
    StateEnabled = 8,
    StateFocusable = 11,
    StateModal = 16,
    StateSensitive = 24,
    StateShowing = 25,
    StateVisible = 30,
};
enum TCoordType : uint32_t {
    CoordScreen = 0,
    CoordWindow = 1,  // relative to the object's top-level window
    CoordParent = 2,
};
inline constexpr uint32_t kLayerWindow = 7;

// A reference to an object on the bus: its connection's name and its path ("(so)").
struct TReference {
    std::string Bus;
    std::string Path;
    friend bool operator==(const TReference&, const TReference&) = default;
};

// What the backend tells of one of its windows.
struct TAccessibleWindow {
    uint64_t Id = 0;   // the X window
    std::string Name;  // the accessible name; a window without one has no object
    std::string Title;
    TRect Bounds;  // screen pixels
    bool Visible = false;
    bool Focused = false;
    bool Dialog = false;
    bool Modal = false;
    friend bool operator==(const TAccessibleWindow&, const TAccessibleWindow&) = default;
};

// What one update changed among the objects, for the events to send.
struct TTreeChange {
    bool Added = false;    // the window got an object, at Index among the root's children
    bool Removed = false;  // the window lost its object, which was at Index
    int Index = -1;
    bool NameChanged = false;    // its object's name changed (it had one before and after)
    bool ActiveChanged = false;  // its object became active or stopped being active
    bool Active = false;
};

class TAtspiTree {
public:
    // appName and locale are the application's Name and Locale.
    TAtspiTree(std::string appName, std::string locale);

    // The object paths: the root's, or a window's.
    static std::string PathOf(uint64_t window);

    // Records what a window is now, or that it is gone.
    TTreeChange Update(const TAccessibleWindow& window);
    TTreeChange Remove(uint64_t window);

    // An object, found by its path: the root, a window's, or none.
    struct TObject {
        enum class TKind { None, Root, Window } Kind = TKind::None;
        const TAccessibleWindow* Window = nullptr;
        explicit operator bool() const { return Kind != TKind::None; }
        bool IsRoot() const { return Kind == TKind::Root; }
    };
    TObject Find(std::string_view path) const;

    // The root's children, in the order their windows got names and were shown.
    int ChildCount() const { return int(children_.size()); }
    // The window of child index, or none.
    const TAccessibleWindow* Child(int index) const;
    int IndexOf(uint64_t window) const;

    // What the Accessible interface answers for an object.
    std::string Name(TObject object) const;
    std::string Description(TObject object) const;
    uint32_t Role(TObject object) const;
    static std::string RoleName(uint32_t role);
    // The state set as the protocol sends it: bit n of the 64 is state n.
    std::array<uint32_t, 2> States(TObject object) const;
    std::vector<std::string> Interfaces(TObject object) const;
    std::map<std::string, std::string> Attributes(TObject object) const;
    const std::string& Locale() const { return locale_; }
    // The object's index among its parent's children; -1 for the root (the desktop keeps
    // its own list of applications).
    int IndexInParent(TObject object) const;

    // What the Component interface answers: the object's rectangle in the coordinates
    // asked for (the root has none: an empty rectangle).
    TRect Extents(TObject object, uint32_t coordType) const;

    // The application's id, given by the registry.
    int ApplicationId() const { return applicationId_; }
    void SetApplicationId(int id) { applicationId_ = id; }

private:
    std::string appName_;
    std::string locale_;
    int applicationId_ = 0;
    std::map<uint64_t, TAccessibleWindow> windows_;  // every window told of
    std::vector<uint64_t> children_;                 // those with an object, in order
};

// Which events the assistive technologies listening want, as the registry tells them
// (GetRegisteredEvents, EventListenerRegistered and EventListenerDeregistered). An event
// is named by its class, major and minor part ("object", "property-change",
// "accessible-name"); the registry names them in either spelling ("Object:PropertyChange:
// AccessibleName"); a registration that leaves parts out or empty takes every event of
// what it names.
class TEventListeners {
public:
    void Add(const std::string& bus, const std::string& event);
    // Takes back one registration; an empty event takes back every one of the bus.
    void Remove(const std::string& bus, const std::string& event);
    void Clear() { registered_.clear(); }
    bool Empty() const { return registered_.empty(); }
    bool Wants(std::string_view klass, std::string_view major, std::string_view minor) const;

private:
    struct TRegistration {
        std::string Bus;
        std::string Event;               // in one spelling
        std::vector<std::string> Parts;  // up to three
    };
    std::vector<TRegistration> registered_;
};

}  // namespace native::atspi
