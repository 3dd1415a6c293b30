// The accessibility bus with sd-bus (see x11atspi.h). Built where libsystemd is found.
#include "platform/native/x11/x11atspi.h"

#include <X11/Xatom.h>
#include <errno.h>  // program_invocation_short_name
#include <systemd/sd-bus.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace native {

namespace {

using atspi::TAccessibleWindow;
using atspi::TAtspiTree;
using atspi::TReference;
using atspi::TTreeChange;

// The launcher of the accessibility bus, on the session bus.
constexpr const char* kLauncherName = "org.a11y.Bus";
constexpr const char* kLauncherPath = "/org/a11y/bus";
constexpr const char* kLauncherInterface = "org.a11y.Bus";
constexpr const char* kStatusInterface = "org.a11y.Status";
// The registry, on the accessibility bus: it keeps the desktop's applications and the
// events their listeners want.
constexpr const char* kRegistryName = "org.a11y.atspi.Registry";
constexpr const char* kRegistryPath = "/org/a11y/atspi/registry";
constexpr const char* kRegistryInterface = "org.a11y.atspi.Registry";
constexpr const char* kSocketInterface = "org.a11y.atspi.Socket";
constexpr const char* kObjectEvents = "org.a11y.atspi.Event.Object";
constexpr const char* kWindowEvents = "org.a11y.atspi.Event.Window";
// What sd-bus tells of its own connection.
constexpr const char* kLocalInterface = "org.freedesktop.DBus.Local";

#ifndef ZT_VERSION
#define ZT_VERSION ""
#endif

struct TBusClose {
    void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
};
using TBusPtr = std::unique_ptr<sd_bus, TBusClose>;
struct TSlotUnref {
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
using TSlotPtr = std::unique_ptr<sd_bus_slot, TSlotUnref>;
struct TMessageUnref {
    void operator()(sd_bus_message* m) const { sd_bus_message_unref(m); }
};
using TMessagePtr = std::unique_ptr<sd_bus_message, TMessageUnref>;

int64_t MonotonicUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

// The root window's AT_SPI_BUS, or empty.
std::string AccessibilityBusOfDisplay(Display* display, Window root, Atom property) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string address;
    if (XGetWindowProperty(display, root, property, 0, 1024, False, XA_STRING, &type, &format,
                           &count, &after, &data) == Success &&
        data && format == 8)
        address.assign(reinterpret_cast<const char*>(data), count);
    if (data) XFree(data);
    return address;
}

// The program's name, as the desktop lists applications.
std::string ApplicationName() {
    return program_invocation_short_name ? program_invocation_short_name : "zentick";
}

std::string MessagesLocale() {
    const char* locale = std::setlocale(LC_MESSAGES, nullptr);
    return locale ? locale : "C";
}

class TAtspiBus final : public TX11Accessibility {
public:
    TAtspiBus() : tree_(ApplicationName(), MessagesLocale()) {}
    ~TAtspiBus() override;

    // Begins with the address from the root window, or by asking on the session bus.
    bool Begin(const std::string& address);

    void WindowChanged(const TAccessibleWindow& window) override;
    void WindowGone(uint64_t window) override;
    int Watch(pollfd* fds) const override;
    int64_t DeadlineMs() const override;
    void Service(const pollfd* fds, int count) override;
    bool Embedded() const override { return embedded_; }

private:
    // The session bus: whether accessibility is on, and where its bus is.
    bool OpenSession();
    void AskStatus();
    void AskAddress();
    static int OnStatus(sd_bus_message* reply, void* self, sd_bus_error*);
    static int OnStatusChanged(sd_bus_message* signal, void* self, sd_bus_error*);
    static int OnAddress(sd_bus_message* reply, void* self, sd_bus_error*);
    // A call on the session bus to the launcher that does not start it.
    void CallLauncher(const char* interface, const char* member, sd_bus_message_handler_t callback,
                      const char* argument);

    // The accessibility bus.
    bool Connect(const std::string& address);
    void Disconnect();
    void Embed();
    static int OnLocal(sd_bus_message* m, void* self, sd_bus_error*);
    static int OnEmbedded(sd_bus_message* reply, void* self, sd_bus_error*);
    static int OnRegisteredEvents(sd_bus_message* reply, void* self, sd_bus_error*);
    static int OnListenerRegistered(sd_bus_message* signal, void* self, sd_bus_error*);
    static int OnListenerDeregistered(sd_bus_message* signal, void* self, sd_bus_error*);
    static int OnRegistryAvailable(sd_bus_message* signal, void* self, sd_bus_error*);
    void AddMatch(sd_bus* bus, std::vector<TSlotPtr>& slots, const char* rule,
                  sd_bus_message_handler_t callback);

    // Processes what a bus has; false when it broke.
    static bool Process(sd_bus* bus);

    // Events.
    void SendEvents(const TAccessibleWindow& window, const TTreeChange& change);
    bool Wants(const char* klass, const char* major, const char* minor) const;
    // Sends an event about path: detail, two numbers, and a string or a reference as its
    // data.
    void Emit(const std::string& path, const char* interface, const char* member,
              const char* detail, int detail1, int detail2, const std::string* text,
              const TReference* reference);

public:
    // The objects' answers, for the tables of the interfaces.
    TAtspiTree::TObject Object(const char* path) const { return tree_.Find(path ? path : ""); }
    TReference Reference(const std::string& path) const { return {uniqueName_, path}; }
    TReference Null() const { return {uniqueName_, atspi::kNullPath}; }
    TReference RootReference() const { return {uniqueName_, atspi::kRootPath}; }
    TReference ParentOf(TAtspiTree::TObject object) const {
        if (object.IsRoot()) return embedded_ ? desktop_ : Null();
        return RootReference();
    }
    TReference ChildReference(int index) const {
        const TAccessibleWindow* child = tree_.Child(index);
        return child ? Reference(TAtspiTree::PathOf(child->Id)) : Null();
    }
    TAtspiTree& Tree() { return tree_; }

private:
    TAtspiTree tree_;
    atspi::TEventListeners listeners_;
    TBusPtr session_;
    std::vector<TSlotPtr> sessionSlots_;
    TSlotPtr statusCall_;  // a question to the launcher under way
    TBusPtr a11y_;
    std::vector<TSlotPtr> a11ySlots_;
    std::string uniqueName_;
    TReference desktop_;
    bool embedded_ = false;
    bool embedPending_ = false;
    bool a11yLost_ = false;  // the accessibility bus went away: dropped after processing
};

// Answers of the interfaces -----------------------------------------------------------------------

TAtspiBus& Self(void* userdata) {
    return *static_cast<TAtspiBus*>(userdata);
}

int AppendReference(sd_bus_message* m, const TReference& r) {
    return sd_bus_message_append(m, "(so)", r.Bus.c_str(), r.Path.c_str());
}

// Which paths have which interface: every object Accessible, the root Application, the
// windows Component.
int FindAccessible(sd_bus*, const char* path, const char*, void* userdata, void** found,
                   sd_bus_error*) {
    if (!Self(userdata).Object(path)) return 0;
    *found = userdata;
    return 1;
}
int FindApplication(sd_bus*, const char* path, const char*, void* userdata, void** found,
                    sd_bus_error*) {
    if (!Self(userdata).Object(path).IsRoot()) return 0;
    *found = userdata;
    return 1;
}
int FindComponent(sd_bus*, const char* path, const char*, void* userdata, void** found,
                  sd_bus_error*) {
    if (!Self(userdata).Object(path).Window) return 0;
    *found = userdata;
    return 1;
}

int EnumerateObjects(sd_bus*, const char*, void* userdata, char*** nodes, sd_bus_error*) {
    TAtspiTree& tree = Self(userdata).Tree();
    auto list = static_cast<char**>(calloc(size_t(tree.ChildCount()) + 2, sizeof(char*)));
    if (!list) return -ENOMEM;
    list[0] = strdup(atspi::kRootPath);
    for (int i = 0; i < tree.ChildCount(); ++i)
        list[i + 1] = strdup(TAtspiTree::PathOf(tree.Child(i)->Id).c_str());
    *nodes = list;
    return 0;
}

// Accessible: properties.
int GetName(sd_bus*, const char* path, const char*, const char*, sd_bus_message* reply,
            void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    return sd_bus_message_append(reply, "s", self.Tree().Name(self.Object(path)).c_str());
}
int GetDescription(sd_bus*, const char* path, const char*, const char*, sd_bus_message* reply,
                   void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    return sd_bus_message_append(reply, "s", self.Tree().Description(self.Object(path)).c_str());
}
int GetParent(sd_bus*, const char* path, const char*, const char*, sd_bus_message* reply,
              void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    return AppendReference(reply, self.ParentOf(self.Object(path)));
}
int GetChildCount(sd_bus*, const char* path, const char*, const char*, sd_bus_message* reply,
                  void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    int32_t count = self.Object(path).IsRoot() ? self.Tree().ChildCount() : 0;
    return sd_bus_message_append(reply, "i", count);
}
int GetLocale(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
              sd_bus_error*) {
    return sd_bus_message_append(reply, "s", Self(userdata).Tree().Locale().c_str());
}
int GetAccessibleId(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                    sd_bus_error*) {
    return sd_bus_message_append(reply, "s", "");
}

// Accessible: methods.
int GetChildAtIndex(sd_bus_message* m, void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    int32_t index = 0;
    int r = sd_bus_message_read(m, "i", &index);
    if (r < 0) return r;
    bool root = self.Object(sd_bus_message_get_path(m)).IsRoot();
    TReference child = root ? self.ChildReference(index) : self.Null();
    return sd_bus_reply_method_return(m, "(so)", child.Bus.c_str(), child.Path.c_str());
}
int GetChildren(sd_bus_message* m, void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    sd_bus_message* raw = nullptr;
    int r = sd_bus_message_new_method_return(m, &raw);
    if (r < 0) return r;
    TMessagePtr reply(raw);
    r = sd_bus_message_open_container(reply.get(), 'a', "(so)");
    if (self.Object(sd_bus_message_get_path(m)).IsRoot())
        for (int i = 0; r >= 0 && i < self.Tree().ChildCount(); ++i)
            r = AppendReference(reply.get(), self.ChildReference(i));
    if (r >= 0) r = sd_bus_message_close_container(reply.get());
    if (r >= 0) r = sd_bus_send(nullptr, reply.get(), nullptr);
    return r;
}
int GetIndexInParent(sd_bus_message* m, void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    return sd_bus_reply_method_return(
        m, "i", int32_t(self.Tree().IndexInParent(self.Object(sd_bus_message_get_path(m)))));
}
int GetRelationSet(sd_bus_message* m, void*, sd_bus_error*) {
    // No object stands in a relation to another: an empty set.
    sd_bus_message* raw = nullptr;
    int r = sd_bus_message_new_method_return(m, &raw);
    if (r < 0) return r;
    TMessagePtr reply(raw);
    r = sd_bus_message_open_container(reply.get(), 'a', "(ua(so))");
    if (r >= 0) r = sd_bus_message_close_container(reply.get());
    if (r >= 0) r = sd_bus_send(nullptr, reply.get(), nullptr);
    return r;
}
int GetRole(sd_bus_message* m, void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    return sd_bus_reply_method_return(m, "u",
                                      self.Tree().Role(self.Object(sd_bus_message_get_path(m))));
}
// The program speaks English: the localized name of a role is its name.
int GetRoleName(sd_bus_message* m, void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    uint32_t role = self.Tree().Role(self.Object(sd_bus_message_get_path(m)));
    return sd_bus_reply_method_return(m, "s", TAtspiTree::RoleName(role).c_str());
}
int GetState(sd_bus_message* m, void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    std::array<uint32_t, 2> states = self.Tree().States(self.Object(sd_bus_message_get_path(m)));
    return sd_bus_reply_method_return(m, "au", 2, states[0], states[1]);
}
int GetAttributes(sd_bus_message* m, void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    sd_bus_message* raw = nullptr;
    int r = sd_bus_message_new_method_return(m, &raw);
    if (r < 0) return r;
    TMessagePtr reply(raw);
    r = sd_bus_message_open_container(reply.get(), 'a', "{ss}");
    for (const auto& [key, value] : self.Tree().Attributes(self.Object(sd_bus_message_get_path(m))))
        if (r >= 0) r = sd_bus_message_append(reply.get(), "{ss}", key.c_str(), value.c_str());
    if (r >= 0) r = sd_bus_message_close_container(reply.get());
    if (r >= 0) r = sd_bus_send(nullptr, reply.get(), nullptr);
    return r;
}
int GetApplication(sd_bus_message* m, void* userdata, sd_bus_error*) {
    TReference root = Self(userdata).RootReference();
    return sd_bus_reply_method_return(m, "(so)", root.Bus.c_str(), root.Path.c_str());
}
int GetInterfaces(sd_bus_message* m, void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    std::vector<std::string> names =
        self.Tree().Interfaces(self.Object(sd_bus_message_get_path(m)));
    sd_bus_message* raw = nullptr;
    int r = sd_bus_message_new_method_return(m, &raw);
    if (r < 0) return r;
    TMessagePtr reply(raw);
    r = sd_bus_message_open_container(reply.get(), 'a', "s");
    for (const std::string& name : names)
        if (r >= 0) r = sd_bus_message_append(reply.get(), "s", name.c_str());
    if (r >= 0) r = sd_bus_message_close_container(reply.get());
    if (r >= 0) r = sd_bus_send(nullptr, reply.get(), nullptr);
    return r;
}

// Application.
int GetToolkitName(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                   sd_bus_error*) {
    return sd_bus_message_append(reply, "s", "zentick");
}
int GetVersion(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
               sd_bus_error*) {
    return sd_bus_message_append(reply, "s", ZT_VERSION);
}
int GetAtspiVersion(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                    sd_bus_error*) {
    return sd_bus_message_append(reply, "s", "2.1");
}
int GetId(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
          sd_bus_error*) {
    return sd_bus_message_append(reply, "i", int32_t(Self(userdata).Tree().ApplicationId()));
}
int SetId(sd_bus*, const char*, const char*, const char*, sd_bus_message* value, void* userdata,
          sd_bus_error*) {
    int32_t id = 0;
    int r = sd_bus_message_read(value, "i", &id);
    if (r >= 0) Self(userdata).Tree().SetApplicationId(id);
    return r;
}
int GetLocaleOf(sd_bus_message* m, void* userdata, sd_bus_error*) {
    uint32_t category = 0;  // one locale for every category
    int r = sd_bus_message_read(m, "u", &category);
    if (r < 0) return r;
    return sd_bus_reply_method_return(m, "s", Self(userdata).Tree().Locale().c_str());
}
// No private bus of the application's own: everything goes through the accessibility bus.
int GetApplicationBusAddress(sd_bus_message* m, void*, sd_bus_error*) {
    return sd_bus_reply_method_return(m, "s", "");
}

// Component.
int ReadCoordType(sd_bus_message* m, uint32_t& type) {
    return sd_bus_message_read(m, "u", &type);
}
int Contains(sd_bus_message* m, void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    int32_t x = 0, y = 0;
    uint32_t type = 0;
    int r = sd_bus_message_read(m, "iiu", &x, &y, &type);
    if (r < 0) return r;
    TRect e = self.Tree().Extents(self.Object(sd_bus_message_get_path(m)), type);
    return sd_bus_reply_method_return(m, "b", int(e.Contains({x, y})));
}
int GetAccessibleAtPoint(sd_bus_message* m, void* userdata, sd_bus_error*) {
    // A window's object has no children to be at a point.
    TReference none = Self(userdata).Null();
    return sd_bus_reply_method_return(m, "(so)", none.Bus.c_str(), none.Path.c_str());
}
int GetExtents(sd_bus_message* m, void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    uint32_t type = 0;
    int r = ReadCoordType(m, type);
    if (r < 0) return r;
    TRect e = self.Tree().Extents(self.Object(sd_bus_message_get_path(m)), type);
    return sd_bus_reply_method_return(m, "(iiii)", e.Left, e.Top, e.Width(), e.Height());
}
int GetPosition(sd_bus_message* m, void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    uint32_t type = 0;
    int r = ReadCoordType(m, type);
    if (r < 0) return r;
    TRect e = self.Tree().Extents(self.Object(sd_bus_message_get_path(m)), type);
    return sd_bus_reply_method_return(m, "ii", e.Left, e.Top);
}
int GetSize(sd_bus_message* m, void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    TRect e = self.Tree().Extents(self.Object(sd_bus_message_get_path(m)), atspi::CoordScreen);
    return sd_bus_reply_method_return(m, "ii", e.Width(), e.Height());
}
int GetLayer(sd_bus_message* m, void*, sd_bus_error*) {
    return sd_bus_reply_method_return(m, "u", atspi::kLayerWindow);
}
int GetMDIZOrder(sd_bus_message* m, void*, sd_bus_error*) {
    return sd_bus_reply_method_return(m, "n", int16_t(0));
}
int GetAlpha(sd_bus_message* m, void*, sd_bus_error*) {
    return sd_bus_reply_method_return(m, "d", 1.0);
}
// The window manager places, sizes and focuses the windows, not a screen reader: these
// say no.
int Refuse(sd_bus_message* m, void*, sd_bus_error*) {
    return sd_bus_reply_method_return(m, "b", 0);
}

// Cache: what a client may load in one go before asking object by object. Nothing: every
// answer is asked for when needed, so none can be out of date.
constexpr const char* kCacheItems = "a((so)(so)(so)iiassusau)";
int GetItems(sd_bus_message* m, void*, sd_bus_error*) {
    sd_bus_message* raw = nullptr;
    int r = sd_bus_message_new_method_return(m, &raw);
    if (r < 0) return r;
    TMessagePtr reply(raw);
    r = sd_bus_message_append(reply.get(), kCacheItems, 0);
    if (r >= 0) r = sd_bus_send(nullptr, reply.get(), nullptr);
    return r;
}

#define ZT_METHOD(name, in, out, handler) \
    SD_BUS_METHOD(name, in, out, handler, SD_BUS_VTABLE_UNPRIVILEGED)
#define ZT_PROPERTY(name, type, getter) SD_BUS_PROPERTY(name, type, getter, 0, 0)

const sd_bus_vtable kAccessibleTable[] = {
    SD_BUS_VTABLE_START(0),
    ZT_PROPERTY("Name", "s", GetName),
    ZT_PROPERTY("Description", "s", GetDescription),
    ZT_PROPERTY("Parent", "(so)", GetParent),
    ZT_PROPERTY("ChildCount", "i", GetChildCount),
    ZT_PROPERTY("Locale", "s", GetLocale),
    ZT_PROPERTY("AccessibleId", "s", GetAccessibleId),
    ZT_METHOD("GetChildAtIndex", "i", "(so)", GetChildAtIndex),
    ZT_METHOD("GetChildren", "", "a(so)", GetChildren),
    ZT_METHOD("GetIndexInParent", "", "i", GetIndexInParent),
    ZT_METHOD("GetRelationSet", "", "a(ua(so))", GetRelationSet),
    ZT_METHOD("GetRole", "", "u", GetRole),
    ZT_METHOD("GetRoleName", "", "s", GetRoleName),
    ZT_METHOD("GetLocalizedRoleName", "", "s", GetRoleName),
    ZT_METHOD("GetState", "", "au", GetState),
    ZT_METHOD("GetAttributes", "", "a{ss}", GetAttributes),
    ZT_METHOD("GetApplication", "", "(so)", GetApplication),
    ZT_METHOD("GetInterfaces", "", "as", GetInterfaces),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable kApplicationTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("ToolkitName", "s", GetToolkitName, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Version", "s", GetVersion, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("AtspiVersion", "s", GetAtspiVersion, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_WRITABLE_PROPERTY("Id", "i", GetId, SetId, 0, SD_BUS_VTABLE_UNPRIVILEGED),
    ZT_METHOD("GetLocale", "u", "s", GetLocaleOf),
    ZT_METHOD("GetApplicationBusAddress", "", "s", GetApplicationBusAddress),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable kComponentTable[] = {
    SD_BUS_VTABLE_START(0),
    ZT_METHOD("Contains", "iiu", "b", Contains),
    ZT_METHOD("GetAccessibleAtPoint", "iiu", "(so)", GetAccessibleAtPoint),
    ZT_METHOD("GetExtents", "u", "(iiii)", GetExtents),
    ZT_METHOD("GetPosition", "u", "ii", GetPosition),
    ZT_METHOD("GetSize", "", "ii", GetSize),
    ZT_METHOD("GetLayer", "", "u", GetLayer),
    ZT_METHOD("GetMDIZOrder", "", "n", GetMDIZOrder),
    ZT_METHOD("GrabFocus", "", "b", Refuse),
    ZT_METHOD("GetAlpha", "", "d", GetAlpha),
    ZT_METHOD("SetExtents", "iiiiu", "b", Refuse),
    ZT_METHOD("SetPosition", "iiu", "b", Refuse),
    ZT_METHOD("SetSize", "ii", "b", Refuse),
    ZT_METHOD("ScrollTo", "u", "b", Refuse),
    ZT_METHOD("ScrollToPoint", "uii", "b", Refuse),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable kCacheTable[] = {
    SD_BUS_VTABLE_START(0),
    ZT_METHOD("GetItems", "", kCacheItems, GetItems),
    SD_BUS_VTABLE_END,
};

#undef ZT_METHOD
#undef ZT_PROPERTY

// Finding the bus -------------------------------------------------------------------------------

TAtspiBus::~TAtspiBus() {
    if (a11y_ && embedded_) {
        // Leaves the desktop at once rather than when the registry sees the connection go.
        sd_bus_message* raw = nullptr;
        if (sd_bus_message_new_method_call(a11y_.get(), &raw, kRegistryName, atspi::kRootPath,
                                           kSocketInterface, "Unembed") >= 0) {
            TMessagePtr call(raw);
            TReference root = RootReference();
            if (AppendReference(call.get(), root) >= 0 &&
                sd_bus_message_set_expect_reply(call.get(), 0) >= 0)
                sd_bus_send(a11y_.get(), call.get(), nullptr);
        }
    }
    a11ySlots_.clear();
    sessionSlots_.clear();
    statusCall_.reset();
}

bool TAtspiBus::Begin(const std::string& address) {
    if (!address.empty() && Connect(address)) return true;
    if (!OpenSession()) return false;
    AskStatus();
    return true;
}

bool TAtspiBus::OpenSession() {
    sd_bus* bus = nullptr;
    // Connecting to the session bus's socket does not wait: the greeting and every call
    // go out and are answered as the descriptor is served.
    if (sd_bus_open_user(&bus) < 0) return false;
    session_.reset(bus);
    // Accessibility switched on (the launcher's properties), and a launcher starting.
    AddMatch(bus, sessionSlots_,
             "type='signal',path='/org/a11y/bus',interface='org.freedesktop.DBus.Properties',"
             "member='PropertiesChanged',arg0='org.a11y.Status'",
             OnStatusChanged);
    AddMatch(bus, sessionSlots_,
             "type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',"
             "interface='org.freedesktop.DBus',member='NameOwnerChanged',arg0='org.a11y.Bus'",
             OnStatusChanged);
    return true;
}

void TAtspiBus::AddMatch(sd_bus* bus, std::vector<TSlotPtr>& slots, const char* rule,
                         sd_bus_message_handler_t callback) {
    sd_bus_slot* slot = nullptr;
    if (sd_bus_add_match_async(bus, &slot, rule, callback, nullptr, this) >= 0)
        slots.emplace_back(slot);
}

void TAtspiBus::CallLauncher(const char* interface, const char* member,
                             sd_bus_message_handler_t callback, const char* argument) {
    if (!session_) return;
    sd_bus_message* raw = nullptr;
    if (sd_bus_message_new_method_call(session_.get(), &raw, kLauncherName, kLauncherPath,
                                       interface, member) < 0)
        return;
    TMessagePtr call(raw);
    // A launcher that is not running stays so: no accessibility then, and no cost.
    sd_bus_message_set_auto_start(call.get(), 0);
    if (argument && sd_bus_message_append(call.get(), "s", argument) < 0) return;
    sd_bus_slot* slot = nullptr;
    if (sd_bus_call_async(session_.get(), &slot, call.get(), callback, this, 0) >= 0)
        statusCall_.reset(slot);
}

void TAtspiBus::AskStatus() {
    if (a11y_) return;
    CallLauncher("org.freedesktop.DBus.Properties", "GetAll", OnStatus, kStatusInterface);
}

void TAtspiBus::AskAddress() {
    if (a11y_) return;
    CallLauncher(kLauncherInterface, "GetAddress", OnAddress, nullptr);
}

int TAtspiBus::OnStatus(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    self.statusCall_.reset();
    // An error: no launcher. It is watched for.
    if (sd_bus_message_is_method_error(reply, nullptr)) return 0;
    bool enabled = false;
    if (sd_bus_message_enter_container(reply, 'a', "{sv}") < 0) return 0;
    while (sd_bus_message_enter_container(reply, 'e', "sv") > 0) {
        const char* name = nullptr;
        int value = 0;
        if (sd_bus_message_read(reply, "s", &name) < 0) return 0;
        if ((std::strcmp(name, "IsEnabled") == 0 ||
             std::strcmp(name, "ScreenReaderEnabled") == 0) &&
            sd_bus_message_read(reply, "v", "b", &value) >= 0) {
            enabled = enabled || value;
        } else if (sd_bus_message_skip(reply, "v") < 0) {
            return 0;
        }
        sd_bus_message_exit_container(reply);
    }
    if (enabled) self.AskAddress();
    return 0;
}

int TAtspiBus::OnStatusChanged(sd_bus_message*, void* userdata, sd_bus_error*) {
    // Accessibility switched on or off, or a launcher came or went: asked again.
    Self(userdata).AskStatus();
    return 0;
}

int TAtspiBus::OnAddress(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    self.statusCall_.reset();
    const char* address = nullptr;
    if (sd_bus_message_is_method_error(reply, nullptr) ||
        sd_bus_message_read(reply, "s", &address) < 0)
        return 0;
    if (address && *address) self.Connect(address);
    return 0;
}

// The accessibility bus -----------------------------------------------------------------------

bool TAtspiBus::Connect(const std::string& address) {
    sd_bus* raw = nullptr;
    if (sd_bus_new(&raw) < 0) return false;
    TBusPtr bus(raw);
    // Only the user's own programs reach the bus; they may ask anything.
    if (sd_bus_set_address(raw, address.c_str()) < 0 || sd_bus_set_bus_client(raw, 1) < 0 ||
        sd_bus_set_trusted(raw, 1) < 0 || sd_bus_set_connected_signal(raw, 1) < 0)
        return false;
    std::vector<TSlotPtr> slots;
    auto keep = [&slots](int r, sd_bus_slot* slot) {
        if (r >= 0) slots.emplace_back(slot);
        return r >= 0;
    };
    sd_bus_slot* slot = nullptr;
    bool ok =
        keep(sd_bus_add_filter(raw, &slot, OnLocal, this), slot) &&
        keep(sd_bus_add_fallback_vtable(raw, &slot, atspi::kObjectPrefix,
                                        atspi::kAccessibleInterface, kAccessibleTable,
                                        FindAccessible, this),
             slot) &&
        keep(sd_bus_add_fallback_vtable(raw, &slot, atspi::kObjectPrefix,
                                        atspi::kApplicationInterface, kApplicationTable,
                                        FindApplication, this),
             slot) &&
        keep(
            sd_bus_add_fallback_vtable(raw, &slot, atspi::kObjectPrefix, atspi::kComponentInterface,
                                       kComponentTable, FindComponent, this),
            slot) &&
        keep(sd_bus_add_node_enumerator(raw, &slot, atspi::kObjectPrefix, EnumerateObjects, this),
             slot) &&
        keep(sd_bus_add_object_vtable(raw, &slot, "/org/a11y/atspi/cache", "org.a11y.atspi.Cache",
                                      kCacheTable, this),
             slot);
    if (!ok || sd_bus_start(raw) < 0) return false;
    // Listeners coming and going, and the registry starting anew.
    AddMatch(raw, slots,
             "type='signal',path='/org/a11y/atspi/registry',interface='org.a11y.atspi.Registry',"
             "member='EventListenerRegistered'",
             OnListenerRegistered);
    AddMatch(raw, slots,
             "type='signal',path='/org/a11y/atspi/registry',interface='org.a11y.atspi.Registry',"
             "member='EventListenerDeregistered'",
             OnListenerDeregistered);
    AddMatch(
        raw, slots,
        "type='signal',path='/org/a11y/atspi/accessible/root',interface='org.a11y.atspi.Socket',"
        "member='Available'",
        OnRegistryAvailable);
    a11y_ = std::move(bus);
    a11ySlots_ = std::move(slots);
    a11yLost_ = false;
    return true;
}

void TAtspiBus::Disconnect() {
    a11ySlots_.clear();
    a11y_.reset();
    uniqueName_.clear();
    desktop_ = {};
    embedded_ = false;
    embedPending_ = false;
    a11yLost_ = false;
    listeners_.Clear();
    // Waits for the next bus, as at the start.
    if (session_ || OpenSession()) AskStatus();
}

int TAtspiBus::OnLocal(sd_bus_message* m, void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    if (sd_bus_message_is_signal(m, kLocalInterface, "Connected")) {
        const char* name = nullptr;
        if (sd_bus_get_unique_name(self.a11y_.get(), &name) >= 0 && name) self.uniqueName_ = name;
        self.Embed();
    } else if (sd_bus_message_is_signal(m, kLocalInterface, "Disconnected")) {
        self.a11yLost_ = true;
    }
    return 0;
}

void TAtspiBus::Embed() {
    sd_bus* bus = a11y_.get();
    embedPending_ = true;
    // The listeners first: then nobody who registers meanwhile is missed (the matches for
    // their signals went out before). Both calls' slots belong to the bus.
    sd_bus_call_method_async(bus, nullptr, kRegistryName, kRegistryPath, kRegistryInterface,
                             "GetRegisteredEvents", OnRegisteredEvents, this, "");
    // The registry is started by this call where it does not run yet.
    if (sd_bus_call_method_async(bus, nullptr, kRegistryName, atspi::kRootPath, kSocketInterface,
                                 "Embed", OnEmbedded, this, "(so)", uniqueName_.c_str(),
                                 atspi::kRootPath) < 0)
        embedPending_ = false;
}

int TAtspiBus::OnEmbedded(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    self.embedPending_ = false;
    const char* bus = nullptr;
    const char* path = nullptr;
    if (sd_bus_message_is_method_error(reply, nullptr) ||
        sd_bus_message_read(reply, "(so)", &bus, &path) < 0) {
        const sd_bus_error* error = sd_bus_message_get_error(reply);
        std::fprintf(stderr, "zentick: the accessibility registry did not take the program: %s\n",
                     error && error->message ? error->message : "a malformed answer");
        return 0;
    }
    self.desktop_ = {bus, path};
    self.embedded_ = true;
    return 0;
}

int TAtspiBus::OnRegisteredEvents(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    TAtspiBus& self = Self(userdata);
    if (sd_bus_message_is_method_error(reply, nullptr)) return 0;
    if (sd_bus_message_enter_container(reply, 'a', "(ss)") < 0) return 0;
    const char* bus = nullptr;
    const char* event = nullptr;
    while (sd_bus_message_read(reply, "(ss)", &bus, &event) > 0)
        self.listeners_.Add(bus, event);
    return 0;
}

int TAtspiBus::OnListenerRegistered(sd_bus_message* signal, void* userdata, sd_bus_error*) {
    const char* bus = nullptr;
    const char* event = nullptr;
    if (sd_bus_message_read(signal, "ss", &bus, &event) >= 0)
        Self(userdata).listeners_.Add(bus, event);
    return 0;
}

int TAtspiBus::OnListenerDeregistered(sd_bus_message* signal, void* userdata, sd_bus_error*) {
    const char* bus = nullptr;
    const char* event = nullptr;
    if (sd_bus_message_read(signal, "ss", &bus, &event) >= 0)
        Self(userdata).listeners_.Remove(bus, event);
    return 0;
}

int TAtspiBus::OnRegistryAvailable(sd_bus_message*, void* userdata, sd_bus_error*) {
    // A registry started: the one the embedding started (it answers that call), or a new
    // one, which knows nothing of the program nor of the old one's listeners.
    TAtspiBus& self = Self(userdata);
    if (self.embedPending_ || self.uniqueName_.empty()) return 0;
    self.listeners_.Clear();
    self.embedded_ = false;
    self.Embed();
    return 0;
}

// Serving
// ------------------------------------------------------------------------------------------

int TAtspiBus::Watch(pollfd* fds) const {
    int count = 0;
    for (sd_bus* bus : {a11y_.get(), session_.get()}) {
        if (!bus) continue;
        int fd = sd_bus_get_fd(bus);
        int events = sd_bus_get_events(bus);
        if (fd < 0 || events < 0) continue;
        fds[count++] = {fd, short(events), 0};
    }
    return count;
}

int64_t TAtspiBus::DeadlineMs() const {
    int64_t deadline = -1;
    for (sd_bus* bus : {a11y_.get(), session_.get()}) {
        uint64_t usec = 0;
        if (!bus || sd_bus_get_timeout(bus, &usec) < 0 || usec == UINT64_MAX) continue;
        int64_t ms = int64_t((usec + 999) / 1000);
        if (deadline < 0 || ms < deadline) deadline = ms;
    }
    return deadline;
}

bool TAtspiBus::Process(sd_bus* bus) {
    for (;;) {
        int r = sd_bus_process(bus, nullptr);
        if (r == 0) return true;
        if (r < 0) return false;
    }
}

void TAtspiBus::Service(const pollfd* fds, int count) {
    const int64_t nowUs = MonotonicUs();
    auto due = [&](sd_bus* bus) {
        if (!bus) return false;
        int fd = sd_bus_get_fd(bus);
        for (int i = 0; i < count; ++i)
            if (fds[i].fd == fd && fds[i].revents) return true;
        uint64_t usec = 0;
        return sd_bus_get_timeout(bus, &usec) >= 0 && usec != UINT64_MAX && int64_t(usec) <= nowUs;
    };
    if (due(a11y_.get()) && !Process(a11y_.get())) a11yLost_ = true;
    if (a11yLost_) Disconnect();
    if (due(session_.get()) && !Process(session_.get())) {
        // The session is over.
        sessionSlots_.clear();
        statusCall_.reset();
        session_.reset();
    }
}

// Windows and events ----------------------------------------------------------------------------

void TAtspiBus::WindowChanged(const TAccessibleWindow& window) {
    TTreeChange change = tree_.Update(window);
    SendEvents(window, change);
}

void TAtspiBus::WindowGone(uint64_t window) {
    TAccessibleWindow gone;
    gone.Id = window;
    SendEvents(gone, tree_.Remove(window));
}

bool TAtspiBus::Wants(const char* klass, const char* major, const char* minor) const {
    return embedded_ && listeners_.Wants(klass, major, minor);
}

void TAtspiBus::SendEvents(const TAccessibleWindow& window, const TTreeChange& change) {
    if (!embedded_ || listeners_.Empty()) return;
    const std::string path = TAtspiTree::PathOf(window.Id);
    const TReference child = Reference(path);
    if (change.Added && Wants("object", "children-changed", "add"))
        Emit(atspi::kRootPath, kObjectEvents, "ChildrenChanged", "add", change.Index, 0, nullptr,
             &child);
    if (change.Removed && Wants("object", "children-changed", "remove"))
        Emit(atspi::kRootPath, kObjectEvents, "ChildrenChanged", "remove", change.Index, 0, nullptr,
             &child);
    if (change.NameChanged && Wants("object", "property-change", "accessible-name"))
        Emit(path, kObjectEvents, "PropertyChange", "accessible-name", 0, 0, &window.Name, nullptr);
    if (change.ActiveChanged) {
        const char* member = change.Active ? "Activate" : "Deactivate";
        if (Wants("window", change.Active ? "activate" : "deactivate", ""))
            Emit(path, kWindowEvents, member, "", 0, 0, &window.Name, nullptr);
        if (Wants("object", "state-changed", "active"))
            Emit(path, kObjectEvents, "StateChanged", "active", change.Active, 0, nullptr, nullptr);
    }
}

void TAtspiBus::Emit(const std::string& path, const char* interface, const char* member,
                     const char* detail, int detail1, int detail2, const std::string* text,
                     const TReference* reference) {
    sd_bus_message* raw = nullptr;
    if (sd_bus_message_new_signal(a11y_.get(), &raw, path.c_str(), interface, member) < 0) return;
    TMessagePtr signal(raw);
    // The event: its detail, two numbers, a value, and properties of the source (none).
    int r = sd_bus_message_append(signal.get(), "sii", detail, int32_t(detail1), int32_t(detail2));
    if (r >= 0 && reference)
        r = sd_bus_message_append(signal.get(), "v", "(so)", reference->Bus.c_str(),
                                  reference->Path.c_str());
    else if (r >= 0 && text)
        r = sd_bus_message_append(signal.get(), "v", "s", text->c_str());
    else if (r >= 0)
        r = sd_bus_message_append(signal.get(), "v", "i", int32_t(0));
    if (r >= 0) r = sd_bus_message_append(signal.get(), "a{sv}", 0);
    if (r >= 0) sd_bus_send(a11y_.get(), signal.get(), nullptr);
}

}  // namespace

std::unique_ptr<TX11Accessibility> StartX11Accessibility(Display* display, Window root,
                                                         Atom atSpiBus) {
    auto bus = std::make_unique<TAtspiBus>();
    if (!bus->Begin(AccessibilityBusOfDisplay(display, root, atSpiBus))) return nullptr;
    return bus;
}

}  // namespace native
