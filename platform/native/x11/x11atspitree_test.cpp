// Tests of what screen readers learn of the program (the objects and their answers, and
// which events listeners want), without a bus.
#ifdef ZT_HAVE_X11

#include "platform/native/x11/x11atspitree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace native::atspi;

TAccessibleWindow Clock(uint64_t id = 0x200001,
                        std::string name = "13:47:05 \u2014 Wednesday 9 December 2026") {
    TAccessibleWindow w;
    w.Id = id;
    w.Name = std::move(name);
    w.Title = "Tarvo's Binary Clock";
    w.Bounds = TRect::FromSize(640, 512, 150, 90);
    w.Visible = true;
    return w;
}

bool Has(const std::array<uint32_t, 2>& bits, uint32_t state) {
    return (bits[state / 32] >> (state % 32)) & 1;
}

TEST(AtspiTree, AWindowHasAnObjectWhileItIsShownWithAName) {
    TAtspiTree tree("zentick", "C");
    TAccessibleWindow clock = Clock();
    clock.Visible = false;
    EXPECT_FALSE(tree.Update(clock).Added) << "hidden";
    TAccessibleWindow unnamed = Clock(0x300001, "");
    EXPECT_FALSE(tree.Update(unnamed).Added) << "no name";
    EXPECT_EQ(tree.ChildCount(), 0);

    clock.Visible = true;
    TTreeChange shown = tree.Update(clock);
    EXPECT_TRUE(shown.Added);
    EXPECT_EQ(shown.Index, 0);
    TTreeChange second = tree.Update(Clock(0x400001, "Settings"));
    EXPECT_TRUE(second.Added);
    EXPECT_EQ(second.Index, 1);
    EXPECT_EQ(tree.ChildCount(), 2);

    // Hidden: its object goes, and the next one moves up.
    clock.Visible = false;
    TTreeChange hidden = tree.Update(clock);
    EXPECT_TRUE(hidden.Removed);
    EXPECT_EQ(hidden.Index, 0);
    EXPECT_EQ(tree.IndexOf(0x400001), 0);
    EXPECT_FALSE(tree.Find(TAtspiTree::PathOf(clock.Id)));
    // Destroyed.
    TTreeChange gone = tree.Remove(0x400001);
    EXPECT_TRUE(gone.Removed);
    EXPECT_EQ(gone.Index, 0);
    EXPECT_EQ(tree.ChildCount(), 0);
    EXPECT_FALSE(tree.Remove(0x400001).Removed) << "already gone";
    EXPECT_FALSE(tree.Remove(clock.Id).Removed) << "had no object";
}

TEST(AtspiTree, ANewNameOrTheKeyboardComingOrGoingIsTold) {
    TAtspiTree tree("zentick", "C");
    TAccessibleWindow clock = Clock();
    tree.Update(clock);
    TTreeChange same = tree.Update(clock);
    EXPECT_FALSE(same.Added || same.Removed || same.NameChanged || same.ActiveChanged);

    clock.Name = "13:47:06 \u2014 Wednesday 9 December 2026";
    TTreeChange renamed = tree.Update(clock);
    EXPECT_TRUE(renamed.NameChanged);
    EXPECT_FALSE(renamed.ActiveChanged);
    EXPECT_EQ(tree.Name(tree.Find(TAtspiTree::PathOf(clock.Id))), clock.Name);

    clock.Focused = true;
    TTreeChange focused = tree.Update(clock);
    EXPECT_TRUE(focused.ActiveChanged);
    EXPECT_TRUE(focused.Active);
    EXPECT_FALSE(focused.NameChanged);
    clock.Focused = false;
    TTreeChange left = tree.Update(clock);
    EXPECT_TRUE(left.ActiveChanged);
    EXPECT_FALSE(left.Active);

    // A name that comes with the showing is no change of name.
    TAccessibleWindow other = Clock(0x500001);
    other.Visible = false;
    tree.Update(other);
    other.Visible = true;
    other.Name = "Another";
    TTreeChange shown = tree.Update(other);
    EXPECT_TRUE(shown.Added);
    EXPECT_FALSE(shown.NameChanged);
}

TEST(AtspiTree, PathsFindTheRootAndShownWindowsOnly) {
    TAtspiTree tree("zentick", "C");
    tree.Update(Clock(42));
    EXPECT_EQ(TAtspiTree::PathOf(42), "/org/a11y/atspi/accessible/42");
    EXPECT_TRUE(tree.Find("/org/a11y/atspi/accessible/root").IsRoot());
    auto window = tree.Find("/org/a11y/atspi/accessible/42");
    ASSERT_TRUE(window);
    EXPECT_EQ(window.Window->Id, 42u);
    for (const char* path :
         {"/org/a11y/atspi/accessible/43", "/org/a11y/atspi/accessible/42x",
          "/org/a11y/atspi/accessible/", "/org/a11y/atspi/accessible",
          "/org/a11y/atspi/accessiblex/42", "/org/a11y/atspi/accessible/-42",
          "/org/a11y/atspi/null", "", "/org/a11y/atspi/accessible/99999999999999999999999"})
        EXPECT_FALSE(tree.Find(path)) << path;
}

TEST(AtspiTree, TheRootIsTheApplicationAndAWindowAFrameOnTheScreen) {
    TAtspiTree tree("zentick", "de_DE.UTF-8");
    TAccessibleWindow clock = Clock();
    tree.Update(clock);
    auto root = tree.Find(kRootPath);
    auto window = tree.Find(TAtspiTree::PathOf(clock.Id));

    EXPECT_EQ(tree.Name(root), "zentick");
    EXPECT_EQ(tree.Role(root), uint32_t(RoleApplication));
    EXPECT_EQ(TAtspiTree::RoleName(tree.Role(root)), "application");
    EXPECT_EQ(tree.Interfaces(root),
              (std::vector<std::string>{kAccessibleInterface, kApplicationInterface}));
    EXPECT_EQ(tree.Attributes(root).at("toolkit"), "zentick");
    EXPECT_EQ(tree.IndexInParent(root), -1);
    EXPECT_EQ(tree.States(root), (std::array<uint32_t, 2>{0, 0}));
    EXPECT_TRUE(tree.Extents(root, CoordScreen).IsEmpty());
    EXPECT_EQ(tree.Locale(), "de_DE.UTF-8");

    EXPECT_EQ(tree.Name(window), clock.Name);
    EXPECT_EQ(tree.Description(window), "Tarvo's Binary Clock");
    EXPECT_EQ(tree.Role(window), uint32_t(RoleFrame));
    EXPECT_EQ(TAtspiTree::RoleName(tree.Role(window)), "frame");
    EXPECT_EQ(tree.Interfaces(window),
              (std::vector<std::string>{kAccessibleInterface, kComponentInterface}));
    EXPECT_TRUE(tree.Attributes(window).empty());
    EXPECT_EQ(tree.IndexInParent(window), 0);
    // Screen and parent coordinates are the desktop's; window coordinates the window's own.
    EXPECT_EQ(tree.Extents(window, CoordScreen), TRect::FromSize(640, 512, 150, 90));
    EXPECT_EQ(tree.Extents(window, CoordParent), TRect::FromSize(640, 512, 150, 90));
    EXPECT_EQ(tree.Extents(window, CoordWindow), TRect::FromSize(0, 0, 150, 90));

    auto states = tree.States(window);
    for (uint32_t state :
         {StateEnabled, StateSensitive, StateFocusable, StateShowing, StateVisible})
        EXPECT_TRUE(Has(states, state)) << state;
    EXPECT_FALSE(Has(states, StateActive));
    EXPECT_FALSE(Has(states, StateModal));

    // A window named with its title adds no description; a focused modal dialog.
    TAccessibleWindow dialog = Clock(7, "Clock Settings");
    dialog.Title = "Clock Settings";
    dialog.Dialog = true;
    dialog.Modal = true;
    dialog.Focused = true;
    tree.Update(dialog);
    auto d = tree.Find(TAtspiTree::PathOf(7));
    EXPECT_EQ(tree.Description(d), "");
    EXPECT_EQ(tree.Role(d), uint32_t(RoleDialog));
    EXPECT_EQ(TAtspiTree::RoleName(tree.Role(d)), "dialog");
    EXPECT_TRUE(Has(tree.States(d), StateActive));
    EXPECT_TRUE(Has(tree.States(d), StateModal));
    EXPECT_EQ(tree.IndexInParent(d), 1);
    EXPECT_EQ(tree.Child(1)->Id, 7u);
    EXPECT_EQ(tree.Child(2), nullptr);
    EXPECT_EQ(tree.Child(-1), nullptr);
}

TEST(AtspiListeners, AnEventIsWantedWhenARegistrationCoversIt) {
    struct TCase {
        const char* registered;
        const char* klass;
        const char* major;
        const char* minor;
        bool wanted;
    };
    const TCase cases[] = {
        // The registry's spelling, and the listener's.
        {"Object:PropertyChange:AccessibleName", "object", "property-change", "accessible-name",
         true},
        {"object:property-change:accessible-name", "object", "property-change", "accessible-name",
         true},
        {"Object:PropertyChange:AccessibleName", "object", "property-change",
         "accessible-description", false},
        {"Object:PropertyChange:AccessibleName", "object", "state-changed", "active", false},
        // Parts left out or empty take everything below them.
        {"Object:PropertyChange", "object", "property-change", "accessible-name", true},
        {"Object:PropertyChange:", "object", "property-change", "accessible-name", true},
        {"object:", "object", "children-changed", "add", true},
        {"Object", "window", "activate", "", false},
        {"", "window", "activate", "", true},
        {"Window:Activate", "window", "activate", "", true},
        {"Window:Activate", "window", "deactivate", "", false},
        {"Window:Activate:", "window", "activate", "", true},
        {"Object:StateChanged:Active", "object", "state-changed", "active", true},
        {"Object:StateChanged:Focused", "object", "state-changed", "active", false},
        {"Focus:", "object", "state-changed", "active", false},
    };
    for (const TCase& c : cases) {
        TEventListeners listeners;
        listeners.Add(":1.7", c.registered);
        EXPECT_EQ(listeners.Wants(c.klass, c.major, c.minor), c.wanted)
            << '"' << c.registered << "\" for " << c.klass << ":" << c.major << ":" << c.minor;
    }
    EXPECT_FALSE(TEventListeners().Wants("object", "property-change", "accessible-name"))
        << "nobody";
}

TEST(AtspiListeners, ARegistrationTakenBackOrAListenerGoneWantsNoMore) {
    TEventListeners listeners;
    listeners.Add(":1.7", "Object:PropertyChange:AccessibleName");
    listeners.Add(":1.8", "Object:PropertyChange:AccessibleName");
    listeners.Add(":1.8", "Window:");
    listeners.Remove(":1.7", "object:property-change:accessible-name");  // either spelling
    EXPECT_TRUE(listeners.Wants("object", "property-change", "accessible-name"))
        << ":1.8 still listens";
    listeners.Remove(":1.8", "Object:PropertyChange:AccessibleName");
    EXPECT_FALSE(listeners.Wants("object", "property-change", "accessible-name"));
    EXPECT_TRUE(listeners.Wants("window", "activate", ""));
    // A listener that leaves the bus takes back everything (the registry names no event).
    listeners.Remove(":1.8", "");
    EXPECT_FALSE(listeners.Wants("window", "activate", ""));
    EXPECT_TRUE(listeners.Empty());
    listeners.Add(":1.9", "Object:");
    listeners.Clear();
    EXPECT_TRUE(listeners.Empty());
}

}  // namespace

#endif  // ZT_HAVE_X11
