#include "platform/ui/filedialog.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/gfx/utf8.h"
#include "platform/os/drives.h"
#include "platform/os/path.h"
#include "platform/ui/application.h"
#include "platform/ui/button.h"
#include "platform/ui/edit.h"
#include "platform/ui/label.h"
#include "platform/ui/listview.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/screen.h"

namespace fs = std::filesystem;

namespace {

constexpr int kClientWidth = 420;
constexpr int kClientHeight = 320;
constexpr int kMargin = 8;
constexpr int kSizeColumnWidth = 96;
constexpr intptr_t kParentRow = -1;  // the Data of the ".." row
// The path label over the list of drives.
constexpr const char* kDrivesLabel = "Drives";

// A byte count with a comma between groups of three digits.
std::string GroupedSize(uintmax_t size) {
    std::string digits = std::to_string(size), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

unsigned char FoldCase(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

// Names in the order the list shows them: ASCII case left aside, then byte order.
bool NameBefore(const std::string& a, const std::string& b) {
    bool less = std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](char x, char y) { return FoldCase(uint8_t(x)) < FoldCase(uint8_t(y)); });
    bool greater = std::lexicographical_compare(
        b.begin(), b.end(), a.begin(), a.end(),
        [](char x, char y) { return FoldCase(uint8_t(x)) < FoldCase(uint8_t(y)); });
    if (less || greater) return less;
    return a < b;
}

// A path without a trailing separator (except the root), with "." and ".." resolved.
fs::path Tidy(const fs::path& path) {
    fs::path tidy = path.lexically_normal();
    if (!tidy.has_filename() && tidy.has_parent_path() && tidy != tidy.root_path())
        tidy = tidy.parent_path();
    return tidy;
}

// The text cut at the left, behind "...", until it fits width pixels of face.
std::string FitFromLeft(const TFontFace& face, const std::string& text, int width) {
    if (face.TextWidth(text) <= width) return text;
    for (size_t pos = 0; pos < text.size();) {
        NextCodePoint(text, pos);
        std::string shown = "..." + text.substr(pos);
        if (face.TextWidth(shown) <= width) return shown;
    }
    return "...";
}

// The top-level window of the form the user works in: the one holding the focus, else the
// main form when it shows.
HWND ActiveFormWindow() {
    if (HWND focus = GetFocus()) {
        HWND top = GetTopLevel(focus);
        if (IsWindowVisible(top) && IsWindowEnabled(top)) return top;
    }
    if (HWND active = GetActiveWindow(); active && IsWindowVisible(active)) return active;
    if (Application)
        if (TCustomForm* main = Application->MainForm();
            main && main->HandleAllocated() && IsWindowVisible(main->Handle()))
            return main->Handle();
    return nullptr;
}

// The dialog itself, made afresh for every Execute.
class TFileDialogForm : public TForm {
public:
    TFileDialogForm(TComponent* owner, const std::string& title, bool saving);

    // Runs the dialog from first (folders tried in turn) with name in the field; true
    // with the chosen path.
    bool Run(const std::vector<fs::path>& first, const std::string& name, std::string& chosen);

private:
    struct TEntry {
        std::string name;
        bool folder = false;
        uintmax_t size = 0;
        bool sized = false;
    };

    // Lists folder (the drives when it is empty); select names a folder row to select. A
    // folder that cannot be read is reported when report is set, and the dialog keeps what
    // it showed.
    bool ShowFolder(const fs::path& folder, const std::string& select, bool report);
    // Whether ".." leads anywhere from the folder shown: to its parent, or from the root of
    // a drive to the drives.
    bool HasParent() const;
    void Report(const std::string& text, UINT icon = MB_ICONERROR);
    // The row's entry, or none for ".." or no row.
    const TEntry* EntryAt(int row) const;
    void OpenRow(int row);
    void OkClick();
    // Applies the dialog's rules to a file; sets the result when it is taken.
    void ChooseFile(const fs::path& path, const std::string& typed);

    bool saving_;
    fs::path folder_;
    std::vector<TEntry> entries_;
    std::string chosen_;
    TLabel* pathLabel_;
    TListView* list_;
    TEdit* nameEdit_;
    TButton* ok_;
    TButton* cancel_;
};

TFileDialogForm::TFileDialogForm(TComponent* owner, const std::string& title, bool saving)
    : TForm(owner), saving_(saving) {
    SetName("FileDialog");
    SetBorderStyle(bsDialog);
    SetText(title);
    SetBounds(0, 0, kClientWidth, kClientHeight);
    int inner = kClientWidth - 2 * kMargin;

    pathLabel_ = new TLabel(this);
    pathLabel_->SetName("PathLabel");
    pathLabel_->SetParent(this);
    pathLabel_->SetAutoSize(false);
    pathLabel_->SetBounds(kMargin, kMargin, inner, Font().Face().Metrics().Height());

    list_ = new TListView(this);
    list_->SetName("FileList");
    list_->SetParent(this);
    list_->SetBounds(kMargin, 26, inner, 218);
    list_->SetTabOrder(0);
    list_->AddColumn("Name", inner - 4 - 16 - kSizeColumnWidth);
    list_->AddColumn("Size", kSizeColumnWidth, taRightJustify);
    list_->OnSelectItem = [this](TObject*, int row) {
        if (const TEntry* e = EntryAt(row); e && !e->folder) nameEdit_->SetText(e->name);
    };
    list_->OnDblClick = [this](TObject*) { OpenRow(list_->ItemIndex()); };

    auto* nameLabel = new TLabel(this);
    nameLabel->SetParent(this);
    nameLabel->SetText("File name:");
    nameLabel->SetLeft(kMargin);
    nameLabel->SetTop(258);

    nameEdit_ = new TEdit(this);
    nameEdit_->SetName("FileNameEdit");
    nameEdit_->SetParent(this);
    nameEdit_->SetBounds(72, 254, kClientWidth - kMargin - 72, 21);
    nameEdit_->SetTabOrder(1);

    ok_ = new TButton(this);
    ok_->SetName("OkButton");
    ok_->SetParent(this);
    ok_->SetText("Ok");
    ok_->SetBounds(kClientWidth - kMargin - 75 - 6 - 75, 287, 75, 25);
    ok_->SetDefault(true);
    ok_->SetTabOrder(2);
    ok_->OnClick = [this](TObject*) { OkClick(); };

    cancel_ = new TButton(this);
    cancel_->SetName("CancelButton");
    cancel_->SetParent(this);
    cancel_->SetText("Cancel");
    cancel_->SetBounds(kClientWidth - kMargin - 75, 287, 75, 25);
    cancel_->SetCancel(true);
    cancel_->SetModalResult(mrCancel);
    cancel_->SetTabOrder(3);

    SetActiveControl(nameEdit_);
}

void TFileDialogForm::Report(const std::string& text, UINT icon) {
    MessageBoxA(Handle(), text, Text(), MB_OK | icon);
}

bool TFileDialogForm::HasParent() const {
    if (folder_.empty()) return false;
    return folder_ != folder_.root_path() || !LogicalDrives().empty();
}

bool TFileDialogForm::ShowFolder(const fs::path& folder, const std::string& select, bool report) {
    std::vector<TEntry> folders, files;
    if (folder.empty()) {
        // The drives, in the system's order, each a folder named by its root ("C:\").
        for (const std::string& root : LogicalDrives())
            folders.push_back({root, true});
    } else {
        std::error_code ec;
        fs::directory_iterator it(folder, ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            TEntry e;
            e.name = it->path().filename().string();
            std::error_code statError;
            e.folder = it->is_directory(statError);  // links to folders are folders
            if (!e.folder) {
                std::error_code sizeError;
                uintmax_t size = it->file_size(sizeError);
                e.sized = !sizeError;
                e.size = e.sized ? size : 0;
            }
            (e.folder ? folders : files).push_back(std::move(e));
        }
        if (ec) {
            if (report)
                Report("The folder \"" + folder.string() + "\" cannot be read: " + ec.message() +
                       ".");
            return false;
        }
        auto byName = [](const TEntry& a, const TEntry& b) { return NameBefore(a.name, b.name); };
        std::sort(folders.begin(), folders.end(), byName);
        std::sort(files.begin(), files.end(), byName);
    }
    entries_ = std::move(folders);
    entries_.insert(entries_.end(), std::make_move_iterator(files.begin()),
                    std::make_move_iterator(files.end()));
    folder_ = folder;

    int selectRow = -1;
    list_->BeginUpdate();
    list_->Clear();
    if (HasParent()) list_->Add("..").Data = kParentRow;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const TEntry& e = entries_[i];
        if (e.folder && e.name == select) selectRow = list_->Count();
        std::string shown =
            e.folder && !IsPathSeparator(e.name.back()) ? e.name + kPathSeparator : e.name;
        TListItem& item =
            e.folder ? list_->Add(shown) : list_->Add(e.name, {e.sized ? GroupedSize(e.size) : ""});
        item.Data = intptr_t(i);
    }
    list_->EndUpdate();
    list_->SetTopIndex(0);
    list_->SetItemIndex(selectRow);
    pathLabel_->SetText(FitFromLeft(pathLabel_->Font().Face(),
                                    folder_.empty() ? kDrivesLabel : folder_.string(),
                                    pathLabel_->Width()));
    return true;
}

const TFileDialogForm::TEntry* TFileDialogForm::EntryAt(int row) const {
    if (row < 0 || row >= list_->Count()) return nullptr;
    intptr_t data = list_->Item(row).Data;
    if (data == kParentRow || data < 0 || size_t(data) >= entries_.size()) return nullptr;
    return &entries_[size_t(data)];
}

void TFileDialogForm::OpenRow(int row) {
    if (row < 0 || row >= list_->Count()) return;
    if (list_->Item(row).Data == kParentRow) {
        if (folder_ == folder_.root_path())  // from a drive's root up to the drives
            ShowFolder({}, folder_.string(), true);
        else
            ShowFolder(folder_.parent_path(), folder_.filename().string(), true);
        return;
    }
    const TEntry* e = EntryAt(row);
    if (!e) return;
    if (e->folder) {
        ShowFolder(folder_ / e->name, {}, true);
        return;
    }
    std::string name = e->name;  // the entry goes when the list is read again
    nameEdit_->SetText(name);
    ChooseFile(folder_ / name, name);
}

void TFileDialogForm::OkClick() {
    std::string typed = nameEdit_->Text();
    if (typed.empty()) {
        int row = list_->ItemIndex();
        const TEntry* e = EntryAt(row);
        if ((e && e->folder) || (row >= 0 && list_->Item(row).Data == kParentRow)) OpenRow(row);
        return;
    }
    fs::path path = typed;
    if (typed == "~" || (typed.size() > 1 && typed[0] == '~' && IsPathSeparator(typed[1]))) {
        const char* home = std::getenv("HOME");
#ifdef _WIN32
        if (!home || !*home) home = std::getenv("USERPROFILE");
#endif
        path =
            fs::path(home && *home ? home : "/") / typed.substr(std::min<size_t>(2, typed.size()));
    }
    std::error_code ec;
    if (path.is_relative()) path = folder_ / path;
    // Windows: a name with a drive and no root ("D:data") is in that drive's current folder.
    if (fs::path full = fs::absolute(path, ec); !ec) path = full;
    path = Tidy(path);
    if (fs::is_directory(path, ec)) {
        if (ShowFolder(path, {}, true)) nameEdit_->SetText({});
        return;
    }
    if (IsPathSeparator(typed.back())) {
        Report("The folder \"" + path.string() + "\" cannot be read: " +
               std::make_error_code(std::errc::no_such_file_or_directory).message() + ".");
        return;
    }
    ChooseFile(path, typed);
}

void TFileDialogForm::ChooseFile(const fs::path& path, const std::string& typed) {
    std::error_code ec;
    fs::file_status status = fs::status(path, ec);
    bool exists = fs::exists(status);
    if (!saving_) {
        if (!exists) {
            Report(typed + "\nFile not found.\nCheck the file name and try again.", MB_ICONWARNING);
            return;
        }
    } else {
        fs::path folder = path.parent_path();
        if (!fs::is_directory(folder, ec)) {
            Report(folder.string() + "\nThe folder does not exist.\nCheck the path and try again.",
                   MB_ICONWARNING);
            return;
        }
        if (exists) {
            int answer = MessageBoxA(
                Handle(), path.filename().string() + " already exists. Do you want to replace it?",
                Text(), MB_YESNO | MB_ICONWARNING);
            if (answer != IDYES) return;
        }
    }
    chosen_ = path.string();
    SetModalResult(mrOk);
}

bool TFileDialogForm::Run(const std::vector<fs::path>& first, const std::string& name,
                          std::string& chosen) {
    // Over the owner, on the owner's monitor, at that monitor's scale.
    HWND owner = ActiveFormWindow();
    SetOwnerWindow(owner);
    TRect area{0, 0, Screen ? Screen->Width() : 1024, Screen ? Screen->Height() : 768};
    TRect monitor = area;
    if (owner) {
        GetWindowRect(owner, &area);
        if (Screen)
            monitor =
                Screen->MonitorAt({area.Left + area.Width() / 2, area.Top + area.Height() / 2})
                    .Bounds;
        ScaleForPPI(int(GetDpiForWindow(owner)));
    }
    int left = area.Left + (area.Width() - Width()) / 2;
    int top = area.Top + (area.Height() - Height()) / 2;
    SetBounds(std::max(monitor.Left, std::min(left, monitor.Right - Width())),
              std::max(monitor.Top, std::min(top, monitor.Bottom - Height())), Width(), Height());

    bool shown = false;
    for (const fs::path& folder : first)
        if (ShowFolder(folder, {}, false)) {
            shown = true;
            break;
        }
    if (!shown && !first.empty()) ShowFolder(first.front(), {}, true);
    nameEdit_->SetText(name);

    if (ShowModal() != mrOk) return false;
    chosen = chosen_;
    return true;
}

}  // namespace

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner) {}

bool TOpenDialog::Execute() {
    std::vector<fs::path> first;
    std::error_code ec;
    auto absolute = [&](const fs::path& p) {
        fs::path full = fs::absolute(p, ec);
        return Tidy(ec ? p : full);
    };
    if (!initialDir_.empty()) first.push_back(absolute(initialDir_));
    fs::path file = fileName_;
    if (!fileName_.empty() && file.has_parent_path()) first.push_back(absolute(file.parent_path()));
    fs::path current = fs::current_path(ec);
    if (!ec) first.push_back(current);
    // Last, the root; where the system has drives, the list of them.
    first.push_back(LogicalDrives().empty() ? fs::path("/") : fs::path());

    TScopedObject<TFileDialogForm> form(New<TFileDialogForm>(Application, title_, Saving()));
    std::string chosen;
    const bool taken =
        form->Run(first, fileName_.empty() ? std::string() : file.filename().string(), chosen);
    if (taken) fileName_ = chosen;
    return taken;
}

TSaveDialog::TSaveDialog(TComponent* owner) : TOpenDialog(owner) {
    SetTitle("Save As");
}
