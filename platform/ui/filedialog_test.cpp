#include "platform/ui/filedialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/gfx/scale.h"
#include "platform/gfx/utf8.h"
#include "platform/os/drives.h"
#include "platform/ui/button.h"
#include "platform/ui/edit.h"
#include "platform/ui/label.h"
#include "platform/ui/listview.h"
#include "platform/ui/screen.h"
#include "tests/support/caption_fit.h"
#include "tests/support/headless_app.h"

namespace fs = std::filesystem;

namespace {

// A folder's row: its name and the system's separator.
std::string Folder(const std::string& name) {
    return name + char(fs::path::preferred_separator);
}

// A temporary folder with two folders and three files:
//   Alpha/  beta/ (holding inner.bin)  A.txt (0 bytes)  b.bin (1234 bytes)  c.dat (5 bytes)
class FileDialog : public ::testing::Test {
protected:
    THeadlessApp app;
    native::THeadlessBackend& screen = app.Backend();
    TForm* form = nullptr;
    fs::path dir;

    void SetUp() override {
        std::random_device random;
        do {
            dir = fs::temp_directory_path() / ("zt-filedialog-" + std::to_string(random()));
        } while (!fs::create_directory(dir));
        fs::create_directory(dir / "Alpha");
        fs::create_directory(dir / "beta");
        WriteFile(dir / "beta" / "inner.bin", 7);
        WriteFile(dir / "A.txt", 0);
        WriteFile(dir / "b.bin", 1234);
        WriteFile(dir / "c.dat", 5);
        form = New<TForm>(Application);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 400, 300);
        form->Show();
        app.Run();
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    static void WriteFile(const fs::path& path, size_t size) {
        std::ofstream(path, std::ios::binary) << std::string(size, 'x');
    }

    // Runs the steps 10 ms apart once the dialog's loop runs (call before Execute).
    void Steps(const std::vector<std::function<void()>>& steps) {
        for (size_t i = 0; i < steps.size(); ++i)
            screen.After(10 * int64_t(i + 1), steps[i]);
    }

    // The open dialog and its parts.
    static TCustomForm* Dialog() {
        for (TCustomForm* f : Screen->Forms())
            if (f->Visible() && f->Name() == "FileDialog") return f;
        return nullptr;
    }
    template <class T>
    static T* Part(const char* name) {
        TCustomForm* d = Dialog();
        return d ? dynamic_cast<T*>(d->FindComponent(name)) : nullptr;
    }
    static TListView* List() { return Part<TListView>("FileList"); }
    static TEdit* NameEdit() { return Part<TEdit>("FileNameEdit"); }
    static std::string PathShown() { return Part<TLabel>("PathLabel")->Caption(); }
    // The rows: the caption, and the size after a "|" for files.
    static std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        TListView* list = List();
        for (int i = 0; i < list->Count(); ++i) {
            const TListItem& item = list->Item(i);
            rows.push_back(item.SubItems.empty() ? item.Caption
                                                 : item.Caption + "|" + item.SubItems[0]);
        }
        return rows;
    }
    // A message box over the dialog, and its text.
    TCustomForm* Box() const {
        for (TCustomForm* f : Screen->Forms())
            if (f->Visible() && f != form && f->Name() != "FileDialog") return f;
        return nullptr;
    }
    std::string BoxText() const {
        TCustomForm* box = Box();
        if (!box) return "(no box)";
        for (int i = 0; i < box->ComponentCount(); ++i)
            if (auto* label = dynamic_cast<TLabel*>(box->Components(i))) return label->Caption();
        return "";
    }
    void ClickButton(TCustomForm* on, const std::string& caption) {
        for (int i = 0; i < on->ComponentCount(); ++i)
            if (auto* b = dynamic_cast<TButton*>(on->Components(i)); b && b->Caption() == caption) {
                TPoint p = b->ClientToScreen({b->Width() / 2, b->Height() / 2});
                screen.Click(p.X, p.Y);
                return;
            }
        ADD_FAILURE() << "no button " << caption;
    }
    // Two clicks on a row of the list, as quick as a double click.
    void DoubleClickRow(int index) {
        TListView* list = List();
        TRect r = list->RowRect(index);
        TPoint p = list->ClientToScreen({20, r.Top + r.Height() / 2});
        screen.Click(p.X, p.Y);
        screen.Click(p.X, p.Y);
    }
    int RowOf(const std::string& caption) {
        TListView* list = List();
        for (int i = 0; i < list->Count(); ++i)
            if (list->Item(i).Caption == caption) return i;
        ADD_FAILURE() << "no row " << caption;
        return -1;
    }
    void Type(const std::string& text) {
        ForEachCodePoint(text, [&](char32_t cp) { screen.TypeChar(cp); });
    }
    void Press(int key) { screen.PressKey(key); }
};

TEST_F(FileDialog, ListsFoldersThenFilesByNameOverTheActiveForm) {
    TOpenDialog dialog(nullptr);
    dialog.SetInitialDir(dir.string());
    dialog.SetFileName("untouched");
    std::vector<std::string> rows;
    std::string path;
    HWND owner = nullptr;
    TRect bounds;
    Steps({[&] {
               rows = Rows();
               path = PathShown();
               owner = GetParent(Dialog()->Handle());
               bounds = Dialog()->BoundsRect();
               EXPECT_EQ(Dialog()->Text(), "Open");
               EXPECT_TRUE(NameEdit()->Focused());
           },
           [&] { Press(VK_ESCAPE); }});
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(rows, (std::vector<std::string>{"..", Folder("Alpha"), Folder("beta"), "A.txt|0",
                                              "b.bin|1,234", "c.dat|5"}));
    EXPECT_EQ(path, dir.string());
    EXPECT_EQ(owner, form->Handle());
    EXPECT_EQ(bounds, TRect::FromSize(100 + (400 - 420) / 2, 100 + (300 - 320) / 2, 420, 320));
    EXPECT_EQ(dialog.FileName(), "untouched");
    EXPECT_EQ(Dialog(), nullptr);
}

TEST_F(FileDialog, EntersASubfolderAndGoesBackUp) {
    TOpenDialog dialog(nullptr);
    dialog.SetInitialDir(dir.string());
    std::vector<std::string> inside;
    std::string insidePath;
    Steps({[&] { DoubleClickRow(RowOf(Folder("beta"))); },
           [&] {
               inside = Rows();
               insidePath = PathShown();
               List()->SetFocus();
               Press(VK_HOME);  // ".."
               Press(VK_RETURN);
           },
           [&] {
               EXPECT_EQ(PathShown(), dir.string());
               EXPECT_EQ(List()->ItemIndex(), RowOf(Folder("beta")));  // where it came from
               Press(VK_ESCAPE);
           }});
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(inside, (std::vector<std::string>{"..", "inner.bin|7"}));
    EXPECT_EQ(insidePath, (dir / "beta").string());
}

TEST_F(FileDialog, DoubleClickOnAFileChoosesIt) {
    TOpenDialog dialog(nullptr);
    dialog.SetInitialDir(dir.string());
    Steps({[&] { DoubleClickRow(RowOf("b.bin")); }});
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), (dir / "b.bin").string());
}

TEST_F(FileDialog, SelectingAFilePutsItsNameInTheField) {
    TOpenDialog dialog(nullptr);
    dialog.SetInitialDir(dir.string());
    std::string field;
    Steps({[&] {
               List()->SetFocus();
               Press(VK_END);
           },
           [&] {
               field = NameEdit()->Text();
               Press(VK_RETURN);
           }});
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(field, "c.dat");
    EXPECT_EQ(dialog.FileName(), (dir / "c.dat").string());
}

TEST_F(FileDialog, ChoosesATypedName) {
    struct TCase {
        std::string startIn;
        std::string typed;
        fs::path expected;
    };
    const std::vector<TCase> cases = {
        {"", "c.dat", dir / "c.dat"},
        {"", "beta/inner.bin", dir / "beta" / "inner.bin"},
        {"Alpha", "../b.bin", dir / "b.bin"},
        {"Alpha", (dir / "beta" / "inner.bin").string(), dir / "beta" / "inner.bin"},
    };
    for (const TCase& c : cases) {
        TOpenDialog dialog(nullptr);
        dialog.SetInitialDir((dir / c.startIn).string());
        Steps({[&] {
            Type(c.typed);  // over the field's selected text
            Press(VK_RETURN);
        }});
        EXPECT_TRUE(dialog.Execute()) << c.typed;
        EXPECT_EQ(dialog.FileName(), c.expected.string()) << c.typed;
    }
}

TEST_F(FileDialog, TypedFolderNameOpensTheFolder) {
    TOpenDialog dialog(nullptr);
    dialog.SetInitialDir(dir.string());
    Steps({[&] {
               Type("beta/");
               Press(VK_RETURN);
           },
           [&] {
               EXPECT_EQ(PathShown(), (dir / "beta").string());
               EXPECT_EQ(NameEdit()->Text(), "");
               Type("inner.bin");
               Press(VK_RETURN);
           }});
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), (dir / "beta" / "inner.bin").string());
}

TEST_F(FileDialog, FileNameGivesTheFirstFolderAndTheField) {
    TOpenDialog dialog(nullptr);
    dialog.SetFileName((dir / "beta" / "inner.bin").string());
    std::string path, field, selected;
    Steps({[&] {
        path = PathShown();
        field = NameEdit()->Text();
        selected = NameEdit()->SelText();
        Press(VK_RETURN);
    }});
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(path, (dir / "beta").string());
    EXPECT_EQ(field, "inner.bin");
    EXPECT_EQ(selected, "inner.bin");
}

TEST_F(FileDialog, AFolderThatCannotBeReadIsPassedOver) {
    TOpenDialog dialog(nullptr);
    dialog.SetInitialDir((dir / "missing").string());
    dialog.SetFileName((dir / "beta" / "inner.bin").string());
    std::string path;
    Steps({[&] {
        path = PathShown();
        EXPECT_EQ(Box(), nullptr);
        Press(VK_ESCAPE);
    }});
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(path, (dir / "beta").string());
}

TEST_F(FileDialog, OpenRefusesAFileThatDoesNotExist) {
    TOpenDialog dialog(nullptr);
    dialog.SetInitialDir(dir.string());
    std::string text, caption;
    bool stillOpen = false;
    Steps({[&] {
               Type("missing.bin");
               Press(VK_RETURN);
           },
           [&] {
               text = BoxText();
               caption = Box() ? Box()->Text() : "";
               Press(VK_RETURN);
           },
           [&] {
               stillOpen = Dialog() != nullptr && Box() == nullptr;
               Press(VK_ESCAPE);
           }});
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(text, "missing.bin\nFile not found.\nCheck the file name and try again.");
    EXPECT_EQ(caption, "Open");
    EXPECT_TRUE(stillOpen);
}

TEST_F(FileDialog, AFolderThatCannotBeEnteredIsReported) {
    TOpenDialog dialog(nullptr);
    dialog.SetInitialDir(dir.string());
    std::string text, path;
    Steps({[&] {
               fs::remove(dir / "Alpha");  // gone since it was listed
               DoubleClickRow(RowOf(Folder("Alpha")));
           },
           [&] {
               text = BoxText();
               Press(VK_RETURN);
           },
           [&] {
               path = PathShown();
               Press(VK_ESCAPE);
           }});
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(text.rfind("The folder \"" + (dir / "Alpha").string() + "\" cannot be read: ", 0), 0u)
        << text;
    EXPECT_EQ(path, dir.string());
}

TEST_F(FileDialog, SaveAsksBeforeReplacingAFile) {
    TSaveDialog dialog(nullptr);
    dialog.SetInitialDir(dir.string());
    std::string question, caption;
    bool openAfterNo = false;
    Steps({[&] {
               Type("b.bin");
               Press(VK_RETURN);
           },
           [&] {
               question = BoxText();
               caption = Box() ? Box()->Text() : "";
               ClickButton(Box(), "&No");
           },
           [&] {
               openAfterNo = Dialog() != nullptr && Box() == nullptr;
               NameEdit()->SetFocus();
               Press(VK_RETURN);
           },
           [&] { Press(VK_RETURN); }});  // Yes, the default
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(question, "b.bin already exists. Do you want to replace it?");
    EXPECT_EQ(caption, "Save As");
    EXPECT_TRUE(openAfterNo);
    EXPECT_EQ(dialog.FileName(), (dir / "b.bin").string());
}

TEST_F(FileDialog, SaveAsksAlsoForAFileDoubleClickedInTheList) {
    TSaveDialog dialog(nullptr);
    dialog.SetInitialDir(dir.string());
    std::string question;
    Steps({[&] { DoubleClickRow(RowOf("c.dat")); },
           [&] {
               question = BoxText();
               ClickButton(Box(), "&Yes");
           }});
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(question, "c.dat already exists. Do you want to replace it?");
    EXPECT_EQ(dialog.FileName(), (dir / "c.dat").string());
}

TEST_F(FileDialog, SaveTakesANewNameAndRefusesAMissingFolder) {
    TSaveDialog dialog(nullptr);
    dialog.SetInitialDir(dir.string());
    std::string refused;
    Steps({[&] {
               Type("nowhere/new.bin");
               Press(VK_RETURN);
           },
           [&] {
               refused = BoxText();
               Press(VK_RETURN);
           },
           [&] {
               NameEdit()->SelectAll();
               Type("new.bin");
               Press(VK_RETURN);
           }});
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(refused, (dir / "nowhere").string() +
                           "\nThe folder does not exist.\nCheck the path and try again.");
    EXPECT_EQ(dialog.FileName(), (dir / "new.bin").string());
    EXPECT_FALSE(fs::exists(dir / "new.bin"));  // the dialog only names the file
}

TEST_F(FileDialog, CancelAndTheCloseBoxReturnFalse) {
    struct TCase {
        const char* name;
        std::function<void()> act;
    };
    const std::vector<TCase> cases = {
        {"cancel button", [&] { ClickButton(Dialog(), "Cancel"); }},
        {"close box", [&] { screen.RequestClose(NativeWindow(Dialog()->Handle())); }},
        {"escape in the list",
         [&] {
             List()->SetFocus();
             Press(VK_ESCAPE);
         }},
    };
    for (const TCase& c : cases) {
        TSaveDialog dialog(nullptr);
        dialog.SetInitialDir(dir.string());
        dialog.SetFileName("kept.bin");
        Steps({c.act});
        EXPECT_FALSE(dialog.Execute()) << c.name;
        EXPECT_EQ(dialog.FileName(), "kept.bin") << c.name;
        app.Run(100);
    }
}

#ifdef _WIN32

TEST_F(FileDialog, FromTheRootOfADriveDotDotListsTheDrivesAndADriveOpensItsRoot) {
    const std::string root = dir.root_path().string();  // "C:\"
    std::vector<std::string> drives = LogicalDrives();
    TOpenDialog dialog(nullptr);
    dialog.SetInitialDir(root);
    std::string firstRow, drivesPath, selected, reopened;
    std::vector<std::string> drivesShown;
    Steps({[&] {
               firstRow = Rows().front();
               List()->SetFocus();
               Press(VK_HOME);  // ".."
               Press(VK_RETURN);
           },
           [&] {
               drivesPath = PathShown();
               drivesShown = Rows();
               int row = List()->ItemIndex();
               selected = row >= 0 ? List()->Item(row).Caption : "(none)";
               Press(VK_RETURN);  // the drive selected, opened
           },
           [&] {
               reopened = PathShown();
               Press(VK_ESCAPE);
           }});
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(firstRow, "..");
    EXPECT_EQ(drivesPath, "Drives");
    EXPECT_EQ(drivesShown, drives);  // no ".." above the drives
    EXPECT_EQ(selected, root);       // the drive just left
    EXPECT_EQ(reopened, root);
}

#else

TEST_F(FileDialog, TheRootHasNoParentRow) {
    TOpenDialog dialog(nullptr);
    dialog.SetInitialDir("/");
    std::vector<std::string> rows;
    Steps({[&] {
        rows = Rows();
        Press(VK_ESCAPE);
    }});
    EXPECT_FALSE(dialog.Execute());
    ASSERT_FALSE(rows.empty());
    EXPECT_NE(rows.front(), "..");
}

#endif

// On screens of every density, with the fonts the program is installed with: the dialog
// is laid out at its owner's scale, on its owner's monitor, and no caption is clipped.
TEST(FileDialogScale, TheDialogIsLaidOutAtItsOwnersScaleWithNothingClipped) {
    for (int percent : {100, 125, 150, 200, 300}) {
        SCOPED_TRACE(testing::Message() << percent << " %");
        THeadlessApp app({4000, 3000}, 96);
        // The owner on a second monitor of the density of the scale.
        app.Backend().SetMonitors(
            {{{0, 0, 1000, 3000}, 96}, {{1000, 0, 4000, 3000}, PixelsPerInchOfScale(percent)}});
#ifndef _WIN32
        // The fonts of the Debian package (Windows has its own, which Wine lacks).
        SetFontProvider(CreateSystemFontProvider());
#endif
        TForm* owner = New<TForm>(Application);
        owner->SetBounds(2000, 1000, 300, 200);
        owner->Show();
        app.Run();
        TSize size;
        std::vector<std::string> clipped = {"(no dialog)"};
        TRect bounds;
        app.Backend().After(20, [&] {
            for (TCustomForm* f : Screen->Forms())
                if (f->Visible() && f->Name() == "FileDialog") {
                    size = {f->ClientWidth(), f->ClientHeight()};
                    bounds = f->BoundsRect();
                    clipped = ClippedCaptions(*f);
                }
            app.Backend().PressKey(VK_ESCAPE);
        });
        TOpenDialog dialog(nullptr);
        EXPECT_FALSE(dialog.Execute());
        EXPECT_EQ(size, (TSize{ScaleLength(420, percent), ScaleLength(320, percent)}));
        EXPECT_GE(bounds.Left, 1000);  // on the owner's monitor
        EXPECT_EQ(clipped, std::vector<std::string>{});
        owner->Free();
    }
    SetFontProvider(CreateFixedFontProvider());
}

}  // namespace
