#include "platform/native/x11/x11atspitree.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace native::atspi {

namespace {

bool Exposed(const TAccessibleWindow& w) {
    return w.Visible && !w.Name.empty();
}

// An event name part in one spelling: "property-change", "PropertyChange" and
// "property_change" all become "propertychange".
std::string Folded(std::string_view part) {
    std::string folded;
    for (char c : part)
        if (c != '-' && c != '_') folded += char(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

}  // namespace

TAtspiTree::TAtspiTree(std::string appName, std::string locale)
    : appName_(std::move(appName)), locale_(std::move(locale)) {}

std::string TAtspiTree::PathOf(uint64_t window) {
    return std::string(kObjectPrefix) + "/" + std::to_string(window);
}

TTreeChange TAtspiTree::Update(const TAccessibleWindow& window) {
    TTreeChange change;
    auto found = windows_.find(window.Id);
    const bool before = found != windows_.end() && Exposed(found->second);
    const bool after = Exposed(window);
    if (before && after) {
        const TAccessibleWindow& old = found->second;
        change.NameChanged = old.Name != window.Name;
        change.ActiveChanged = old.Focused != window.Focused;
        change.Active = window.Focused;
        change.Index = IndexOf(window.Id);
    } else if (before) {
        change.Removed = true;
        change.Index = IndexOf(window.Id);
        std::erase(children_, window.Id);
    } else if (after) {
        change.Added = true;
        change.Index = int(children_.size());
        children_.push_back(window.Id);
        change.ActiveChanged = window.Focused;
        change.Active = window.Focused;
    }
    windows_[window.Id] = window;
    return change;
}

TTreeChange TAtspiTree::Remove(uint64_t window) {
    TTreeChange change;
    int index = IndexOf(window);
    if (index >= 0) {
        change.Removed = true;
        change.Index = index;
        std::erase(children_, window);
    }
    windows_.erase(window);
    return change;
}

TAtspiTree::TObject TAtspiTree::Find(std::string_view path) const {
    TObject object;
    if (path == kRootPath) {
        object.Kind = TObject::TKind::Root;
        return object;
    }
    const std::string_view prefix = kObjectPrefix;
    if (path.size() <= prefix.size() + 1 || path.substr(0, prefix.size()) != prefix ||
        path[prefix.size()] != '/')
        return object;
    const std::string_view digits = path.substr(prefix.size() + 1);
    uint64_t id = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
    if (error != std::errc() || end != digits.data() + digits.size() || IndexOf(id) < 0)
        return object;
    object.Kind = TObject::TKind::Window;
    object.Window = &windows_.at(id);
    return object;
}

const TAccessibleWindow* TAtspiTree::Child(int index) const {
    if (index < 0 || index >= ChildCount()) return nullptr;
    return &windows_.at(children_[size_t(index)]);
}

int TAtspiTree::IndexOf(uint64_t window) const {
    auto found = std::find(children_.begin(), children_.end(), window);
    return found == children_.end() ? -1 : int(found - children_.begin());
}

std::string TAtspiTree::Name(TObject object) const {
    if (object.IsRoot()) return appName_;
    return object.Window ? object.Window->Name : std::string();
}

std::string TAtspiTree::Description(TObject object) const {
    // The title says what the window is, where the name says what it shows now (the clock's
    // time); a title that is the name says nothing more.
    if (!object.Window || object.Window->Title == object.Window->Name) return {};
    return object.Window->Title;
}

uint32_t TAtspiTree::Role(TObject object) const {
    if (object.IsRoot()) return RoleApplication;
    return object.Window && object.Window->Dialog ? RoleDialog : RoleFrame;
}

std::string TAtspiTree::RoleName(uint32_t role) {
    switch (role) {
        case RoleApplication:
            return "application";
        case RoleDialog:
            return "dialog";
        case RoleFrame:
            return "frame";
        default:
            return "unknown";
    }
}

std::array<uint32_t, 2> TAtspiTree::States(TObject object) const {
    std::array<uint32_t, 2> bits{};
    auto set = [&bits](uint32_t state) { bits[state / 32] |= 1u << (state % 32); };
    if (!object.Window) return bits;
    const TAccessibleWindow& w = *object.Window;
    for (uint32_t state :
         {StateEnabled, StateSensitive, StateFocusable, StateShowing, StateVisible})
        set(state);
    if (w.Focused) set(StateActive);
    if (w.Modal) set(StateModal);
    return bits;
}

std::vector<std::string> TAtspiTree::Interfaces(TObject object) const {
    if (!object) return {};
    return {kAccessibleInterface, object.IsRoot() ? kApplicationInterface : kComponentInterface};
}

std::map<std::string, std::string> TAtspiTree::Attributes(TObject object) const {
    if (object.IsRoot()) return {{"toolkit", appName_}};
    return {};
}

int TAtspiTree::IndexInParent(TObject object) const {
    return object.Window ? IndexOf(object.Window->Id) : -1;
}

TRect TAtspiTree::Extents(TObject object, uint32_t coordType) const {
    if (!object.Window) return {};
    const TRect& b = object.Window->Bounds;
    // A top-level window is its own window, and its parent (the application) has no place
    // on the screen: the desktop's coordinates are the parent's.
    if (coordType == CoordWindow) return TRect::FromSize(0, 0, b.Width(), b.Height());
    return b;
}

// Listeners ---------------------------------------------------------------------------------------

void TEventListeners::Add(const std::string& bus, const std::string& event) {
    TRegistration r{bus, Folded(event), {}};
    size_t start = 0;
    while (r.Parts.size() < 3) {
        size_t colon = event.find(':', start);
        r.Parts.push_back(Folded(std::string_view(event).substr(start, colon - start)));
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    registered_.push_back(std::move(r));
}

void TEventListeners::Remove(const std::string& bus, const std::string& event) {
    if (event.empty()) {
        std::erase_if(registered_, [&](const TRegistration& r) { return r.Bus == bus; });
        return;
    }
    auto found = std::find_if(registered_.begin(), registered_.end(), [&](const TRegistration& r) {
        return r.Bus == bus && r.Event == Folded(event);
    });
    if (found != registered_.end()) registered_.erase(found);
}

bool TEventListeners::Wants(std::string_view klass, std::string_view major,
                            std::string_view minor) const {
    const std::string parts[3] = {Folded(klass), Folded(major), Folded(minor)};
    return std::any_of(registered_.begin(), registered_.end(), [&](const TRegistration& r) {
        for (size_t i = 0; i < r.Parts.size(); ++i)
            if (!r.Parts[i].empty() && r.Parts[i] != parts[i]) return false;
        return true;
    });
}

}  // namespace native::atspi
