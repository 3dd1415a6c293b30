#include "hexedit/fhexedit.h"

#include <algorithm>
#include <cstdio>

#include "platform/os/fileio.h"
#include "platform/os/path.h"
#include "platform/ui/application.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/screen.h"

namespace {

constexpr int kBytesPerLine[3] = {8, 16, 32};
constexpr int kBytesPerGroup[4] = {1, 2, 4, 8};

}  // namespace

TFormHexEdit::TFormHexEdit(TComponent* owner) : TForm(owner) {
    SetName("FormHexEdit");
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 800, 560);
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);
    OnCloseQuery = Method(this, &TFormHexEdit::FormCloseQuery);

    BuildMenus();
    BuildControls();

    OpenDialog1 = new TOpenDialog(this);
    SaveDialog1 = new TSaveDialog(this);
    SaveDialog1->SetTitle("Save As");

    TimerCursor = new TTimer(this);
    TimerCursor->SetInterval(100);
    TimerCursor->SetOnTimer(Method(this, &TFormHexEdit::TimerCursorTimer));

    busy_ = TBusyIndicator(LabelStatus, Gauge1);
    OnResize = Method(this, &TFormHexEdit::FormResize);
    HexEditor1->OnResize = Method(this, &TFormHexEdit::FormResize);

    HexEditor1->SetNotLoaded();
    HexEditor1->SetReadOnly(true);
    UpdateTitle();
    UpdateMenus();
    UpdateStatus();
}

TMenuItem* TFormHexEdit::AddItem(TMenuItem* parent, const std::string& caption, TShortCut shortCut,
                                 TNotifyEvent onClick) {
    auto* item = new TMenuItem(this);
    item->SetCaption(caption);
    if (shortCut) item->SetShortCut(shortCut);
    item->OnClick = std::move(onClick);
    parent->Add(item);
    return item;
}

TMenuItem* TFormHexEdit::AddViewItem(TMenuItem* parent, const std::string& caption,
                                     std::function<void(THexEditor&)> apply) {
    return AddItem(parent, caption, 0, [this, apply = std::move(apply)](TObject*) {
        apply(*HexEditor1);
        UpdateMenus();
        UpdateStatus();
    });
}

void TFormHexEdit::BuildMenus() {
    MainMenu1 = new TMainMenu(this);
    TMenuItem* bar = MainMenu1->Items();

    File1 = AddItem(bar, "&File", 0, nullptr);
    Open1 = AddItem(File1, "&Open...", scCtrl | 'O', Method(this, &TFormHexEdit::Open1Click));
    Save1 = AddItem(File1, "&Save", scCtrl | 'S', Method(this, &TFormHexEdit::Save1Click));
    SaveAs1 = AddItem(File1, "Save &As...", 0, Method(this, &TFormHexEdit::SaveAs1Click));
    AddItem(File1, "-", 0, nullptr);
    Exit1 = AddItem(File1, "E&xit", scCtrl | 'Q', Method(this, &TFormHexEdit::Exit1Click));

    Edit1 = AddItem(bar, "&Edit", 0, nullptr);
    Undo1 = AddItem(Edit1, "&Undo", scCtrl | 'Z', Method(this, &TFormHexEdit::Undo1Click));
    Redo1 = AddItem(Edit1, "&Redo", scCtrl | 'Y', Method(this, &TFormHexEdit::Redo1Click));

    Search1 = AddItem(bar, "&Search", 0, nullptr);
    Find1 = AddItem(Search1, "&Find...", scCtrl | 'F', Method(this, &TFormHexEdit::Find1Click));
    FindNext1 =
        AddItem(Search1, "Find &Next", VK_F1 + 2, Method(this, &TFormHexEdit::FindNext1Click));

    View1 = AddItem(bar, "&View", 0, nullptr);
    HexBytes1 = AddViewItem(View1, "Hex bytes", [](THexEditor& e) { e.SetBaseBytes(16); });
    DecimalBytes1 = AddViewItem(View1, "Decimal bytes", [](THexEditor& e) { e.SetBaseBytes(10); });
    AddItem(View1, "-", 0, nullptr);
    HexOffsets1 = AddViewItem(View1, "Hex offsets", [](THexEditor& e) { e.SetBaseOffset(16); });
    DecimalOffsets1 =
        AddViewItem(View1, "Decimal offsets", [](THexEditor& e) { e.SetBaseOffset(10); });
    AddItem(View1, "-", 0, nullptr);
    for (int i = 0; i < 3; ++i) {
        int count = kBytesPerLine[i];
        BytesPerLine[i] = AddViewItem(View1, std::to_string(count) + " bytes per line",
                                      [count](THexEditor& e) { e.SetBytesPerLine(count); });
    }
    AddItem(View1, "-", 0, nullptr);
    for (int i = 0; i < 4; ++i) {
        int count = kBytesPerGroup[i];
        BytesPerGroup[i] = AddViewItem(
            View1, std::to_string(count) + (count == 1 ? " byte per group" : " bytes per group"),
            [count](THexEditor& e) { e.SetBytesPerGroup(count); });
    }
    AddItem(View1, "-", 0, nullptr);
    Latin11 =
        AddViewItem(View1, "Characters: Latin-1", [](THexEditor& e) { e.SetLatin1(!e.Latin1()); });
    ChangeLog1 = AddItem(View1, "Change log", 0, Method(this, &TFormHexEdit::ChangeLog1Click));
}

void TFormHexEdit::BuildControls() {
    // Aligned controls are laid out in the order they are added: the status line at the
    // bottom, the list at the far right, the scroll bar left of it, the editor in the rest.
    PanelStatus = new TPanel(this);
    PanelStatus->SetParent(this);
    PanelStatus->SetHeight(20);
    PanelStatus->SetAlign(alBottom);
    PanelStatus->SetBevelOuter(bvLowered);

    LabelStatus = new TLabel(this);
    LabelStatus->SetParent(PanelStatus);
    LabelStatus->SetBounds(6, 3, 10, 13);

    // The gauge of a long operation, at the right end of the status line.
    Gauge1 = new TAGauge(this);
    Gauge1->SetParent(PanelStatus);
    Gauge1->SetBounds(PanelStatus->Width() - 156, 3, 150, 14);
    Gauge1->SetAnchors(akTop | akRight);
    Gauge1->SetForeColor(clHighlight);
    Gauge1->SetBackColor(clWindow);
    Gauge1->SetShowText(true);
    Gauge1->SetVisible(false);

    ListViewLog = new TListView(this);
    ListViewLog->SetParent(this);
    ListViewLog->SetWidth(290);
    ListViewLog->SetAlign(alRight);
    ListViewLog->SetVisible(false);
    ListViewLog->AddColumn("Offset", 80);
    ListViewLog->AddColumn("Edit", 44);
    ListViewLog->AddColumn("Old", 72);
    ListViewLog->AddColumn("New", 72);
    ListViewLog->OnDblClick = Method(this, &TFormHexEdit::ListViewLogDblClick);

    ScrollBar1 = new TScrollBar(this);
    ScrollBar1->SetParent(this);
    ScrollBar1->SetKind(sbVertical);
    ScrollBar1->SetWidth(16);
    ScrollBar1->SetAlign(alRight);
    // The keys belong to the editor: the bar is worked with the mouse.
    ScrollBar1->SetTabStop(false);
    ScrollBar1->OnChange = Method(this, &TFormHexEdit::ScrollBar1Change);

    // Below the editor only (the vertical bar took its place at the right first).
    ScrollBar2 = new TScrollBar(this);
    ScrollBar2->SetParent(this);
    ScrollBar2->SetKind(sbHorizontal);
    ScrollBar2->SetHeight(16);
    ScrollBar2->SetAlign(alBottom);
    ScrollBar2->SetTabStop(false);
    ScrollBar2->SetVisible(false);
    ScrollBar2->OnChange = Method(this, &TFormHexEdit::ScrollBar1Change);

    HexEditor1 = new THexEditor(this);
    HexEditor1->SetParent(this);
    HexEditor1->SetAlign(alClient);
    HexEditor1->SetColor(clWindow);
    HexEditor1->Font().SetName("monospace");
    HexEditor1->Font().SetHeight(-13);
    HexEditor1->SetColorCursor(clBlue);
    HexEditor1->SetColorChange(clRed);
    HexEditor1->SetScrollBar(ScrollBar1);
    HexEditor1->SetHorzScrollBar(ScrollBar2);
    HexEditor1->OnProgress = Method(this, &TFormHexEdit::HexEditor1Progress);
    HexEditor1->OnRowWidthChange = Method(this, &TFormHexEdit::HexEditor1RowWidthChange);
    HexEditor1->OnChangeLogUpdate = Method(this, &TFormHexEdit::HexEditor1ChangeLogUpdate);
    HexEditor1->OnDirtyChange = Method(this, &TFormHexEdit::HexEditor1DirtyChange);
    HexEditor1->OnCursorChange = [this](TObject*, int64_t) { UpdateStatus(); };
    HexEditor1->OnCursorByteChange = [this](TObject*) { UpdateStatus(); };
    HexEditor1->OnSizeChange = [this](TObject*, int64_t) { UpdateStatus(); };
    SetActiveControl(HexEditor1);
}

// Files ---------------------------------------------------------------------------------------

void TFormHexEdit::ShowError(const std::string& text) {
    MessageBoxA(HandleAllocated() ? Handle() : nullptr, text, kHexEditName, MB_OK | MB_ICONERROR);
}

void TFormHexEdit::OpenArgument(const std::string& fileName) {
    if (OpenFile(fileName)) return;
    // Whatever part arrived is kept; after a load that read nothing the editor starts empty.
    if (path_.empty() && !hasData_) {
        HexEditor1->SetNotLoaded();
        HexEditor1->SetReadOnly(true);
        UpdateTitle();
        UpdateMenus();
        UpdateStatus();
    }
}

bool TFormHexEdit::OpenFile(const std::string& fileName) {
    busy_.Begin("Opening " + NameOfPath(fileName));
    int result = HexEditor1->LoadFromFile(fileName);
    busy_.End();
    if (result == hfDone || result == hfShortRead) {
        path_ = result == hfDone ? fileName : std::string();
        hasData_ = true;
        cutShortTold_ = false;
        HexEditor1->SetReadOnly(false);
        searched_ = false;
    }
    UpdateTitle();
    UpdateMenus();
    UpdateStatus();
    switch (result) {
        case hfDone:
            if (HexEditor1->Document().RolledBackSave())
                MessageBoxA(Handle(),
                            "A save of " + fileName +
                                " was interrupted; the file was put back as it was before it.",
                            kHexEditName, MB_OK | MB_ICONINFORMATION);
            OfferRecovery();
            return true;
        case hfShortRead:
            ShowError("Only part of " + fileName + " could be read.");
            return false;
        case hfNoMemory:
            ShowError(fileName + " is too large to load.");
            return false;
        case hfCancelled:
            return false;
        default:
            ShowError(DescribeFileError(HexEditor1->FileError(), "Cannot open", fileName) + ".");
            return false;
    }
}

void TFormHexEdit::OfferRecovery() {
    THexDocument& document = HexEditor1->Document();
    const std::string recovery = document.RecoveryPathFor(document.FilePath());
    if (!THexDocument::RecoveryMatches(recovery, document.FilePath())) return;
    int answer = MessageBoxA(Handle(),
                             DisplayName() +
                                 " has unsaved changes from a session that ended before they "
                                 "were saved. Restore them?",
                             kHexEditName, MB_YESNO | MB_ICONQUESTION);
    if (answer == IDYES && document.ReadRecovery(recovery)) {
        ShowError("The changes kept for " + DisplayName() + " cannot be read.");
        return;
    }
    // Restored into the editor, or not wanted: the file has done its work.
    RemoveFile(recovery);
    HexEditor1->Repaint();
    UpdateTitle();
    UpdateMenus();
    UpdateStatus();
}

bool TFormHexEdit::SaveFile() {
    if (!hasData_) return false;
    return path_.empty() ? SaveFileAs() : SaveTo(path_);
}

bool TFormHexEdit::SaveFileAs() {
    if (!hasData_) return false;
    SaveDialog1->SetFileName(path_);
    if (!SaveDialog1->Execute() || SaveDialog1->FileName().empty()) return false;
    return SaveTo(SaveDialog1->FileName());
}

bool TFormHexEdit::SaveTo(const std::string& fileName) {
    const THexDocument& document = HexEditor1->Document();
    TFileIdentity target;
    if (!document.FilePath().empty() && !IdentityOfPath(fileName, target) &&
        target.SameFile(document.FileIdentity()) && document.ChangedOnDisk()) {
        int answer = MessageBoxA(Handle(),
                                 fileName +
                                     " was changed by another program since it was opened. "
                                     "Save over it?",
                                 kHexEditName, MB_YESNO | MB_ICONWARNING);
        if (answer != IDYES) return false;
    }
    busy_.Begin("Saving " + NameOfPath(fileName));
    int result = HexEditor1->SaveToFile(fileName);
    busy_.End();
    if (result == hfDone) path_ = fileName;
    UpdateTitle();
    UpdateStatus();
    switch (result) {
        case hfDone:
            cutShortTold_ = false;
            return true;
        case hfCancelled:
            return false;
        case hfShortWrite:
            ShowError(DescribeFileError(HexEditor1->FileError(), "Cannot save", fileName) +
                      ". The file on disk is unchanged.");
            return false;
        default:
            ShowError(DescribeFileError(HexEditor1->FileError(), "Cannot save", fileName) + ".");
            return false;
    }
}

bool TFormHexEdit::QuerySave() {
    if (!HexEditor1->Dirty()) return true;
    int answer = MessageBoxA(Handle(), "Save changes to " + DisplayName() + "?", kHexEditName,
                             MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES) return SaveFile();
    return answer == IDNO;
}

int TFormHexEdit::EndNow(const std::string& why, bool terminate) {
    if (terminate) Application->Terminate();
    THexDocument& document = HexEditor1->Document();
    if (!HexEditor1->Dirty()) {
        std::fprintf(stderr, "%s: %s\n", kHexEditName, why.c_str());
        return 0;
    }
    if (path_.empty() || document.FilePath().empty()) {
        std::fprintf(stderr, "%s: %s; the unsaved changes belong to no file and are lost\n",
                     kHexEditName, why.c_str());
        return 1;
    }
    const std::string recovery = document.RecoveryPathFor(document.FilePath());
    if (TFileError e = document.WriteRecovery(recovery)) {
        std::fprintf(stderr, "%s: %s; the unsaved changes to %s could not be kept: %s\n",
                     kHexEditName, why.c_str(), path_.c_str(), FileErrorText(e).c_str());
        return 1;
    }
    std::fprintf(stderr,
                 "%s: %s; the unsaved changes to %s are kept in %s and offered when it is "
                 "opened again\n",
                 kHexEditName, why.c_str(), path_.c_str(), recovery.c_str());
    return 1;
}

void TFormHexEdit::CheckFileOnDisk() {
    if (cutShortTold_ || busy_.Active() || !hasData_ || !HexEditor1->Document().ReadPastEnd())
        return;
    cutShortTold_ = true;
    MessageBoxA(Handle(),
                DisplayName() +
                    " was cut short by another program while open: the bytes past its new end "
                    "show as zeros. Your changes are kept; Save As keeps them in another file.",
                kHexEditName, MB_OK | MB_ICONWARNING);
}

// Texts ---------------------------------------------------------------------------------------

std::string TFormHexEdit::DisplayName() const {
    return path_.empty() ? "untitled" : NameOfPath(path_);
}

std::string TFormHexEdit::TitleText() const {
    return (HexEditor1->Dirty() ? "*" : "") + DisplayName() + " - " + kHexEditName;
}

std::string TFormHexEdit::StatusText() const {
    if (!hasData_) return "No file";
    int64_t size = HexEditor1->Size();
    std::string text = "Offset: " + HexEditor1->FormatOffset(HexEditor1->CursorOffset()) +
                       "    Size: " + std::to_string(size) + (size == 1 ? " byte" : " bytes");
    if (size <= 0) return text;
    uint8_t byte = HexEditor1->GetCursorByte();
    char value[64];
    if (byte >= 32 && byte < 127) {
        std::snprintf(value, sizeof value, "    Byte: %02X hex, %u dec, '%c'", byte, unsigned(byte),
                      char(byte));
    } else {
        std::snprintf(value, sizeof value, "    Byte: %02X hex, %u dec, no character", byte,
                      unsigned(byte));
    }
    return text + value;
}

void TFormHexEdit::UpdateTitle() {
    SetText(TitleText());
}

void TFormHexEdit::UpdateMenus() {
    for (TMenuItem* item : {Save1, SaveAs1, Find1, FindNext1})
        item->SetEnabled(hasData_);
    HexEditor1->ChangeLogToMenuItem(Undo1, Redo1);
    HexBytes1->SetChecked(HexEditor1->BaseBytes() != 10);
    DecimalBytes1->SetChecked(HexEditor1->BaseBytes() == 10);
    HexOffsets1->SetChecked(HexEditor1->BaseOffset() == 16);
    DecimalOffsets1->SetChecked(HexEditor1->BaseOffset() != 16);
    for (int i = 0; i < 3; ++i)
        BytesPerLine[i]->SetChecked(HexEditor1->BytesPerLine() == kBytesPerLine[i]);
    for (int i = 0; i < 4; ++i)
        BytesPerGroup[i]->SetChecked(HexEditor1->BytesPerGroup() == kBytesPerGroup[i]);
    Latin11->SetChecked(HexEditor1->Latin1());
    ChangeLog1->SetChecked(ListViewLog->Visible());
    // The list shows the log in the present bases.
    if (ListViewLog->Visible()) HexEditor1->ChangeLogToListView(ListViewLog);
}

void TFormHexEdit::UpdateStatus() {
    LabelStatus->SetText(StatusText());
}

// Handlers ------------------------------------------------------------------------------------

void TFormHexEdit::Open1Click(TObject*) {
    if (!QuerySave()) return;
    if (!path_.empty()) OpenDialog1->SetFileName(path_);
    if (OpenDialog1->Execute()) OpenFile(OpenDialog1->FileName());
    HexEditor1->SetFocus();
}

void TFormHexEdit::Save1Click(TObject*) {
    SaveFile();
}

void TFormHexEdit::SaveAs1Click(TObject*) {
    SaveFileAs();
}

void TFormHexEdit::Exit1Click(TObject*) {
    Close();
}

void TFormHexEdit::Undo1Click(TObject*) {
    HexEditor1->Undo();
}

void TFormHexEdit::Redo1Click(TObject*) {
    HexEditor1->Redo();
}

void TFormHexEdit::Find1Click(TObject*) {
    if (!hasData_) return;
    bool confirmed;
    {
        TScopedObject<TFormFind> dialog(New<TFormFind>(this));
        dialog->SetSearch(searchText_, searchMode_, searchFlags_);
        confirmed = dialog->ShowModal() == mrOk;
        if (confirmed) {
            searchText_ = dialog->SearchText();
            searchMode_ = dialog->SearchMode();
            searchFlags_ = dialog->SearchFlags();
        }
    }
    if (confirmed) Search(true);
}

void TFormHexEdit::FindNext1Click(TObject* sender) {
    if (!searched_) {
        Find1Click(sender);
        return;
    }
    Search(false);
}

void TFormHexEdit::Search(bool first) {
    if (!hasData_) return;
    std::string refused;
    if (SearchPatternOf(searchText_, searchMode_, &refused).empty() && !refused.empty()) {
        ShowError(refused);
        return;
    }
    busy_.Begin("Searching for " + searchText_);
    int64_t hit = -1;
    if (first) {
        hit = HexEditor1->FindFirst(searchText_, searchMode_, searchFlags_);
    } else if (HexEditor1->CursorOffset() == HexEditor1->SearchPosition()) {
        hit = HexEditor1->FindNext();
    } else {
        // The cursor was moved since the last match: go on from where it is now.
        hit = HexEditor1->FindFirst(searchText_, searchMode_, searchFlags_ | sfFromCursor);
    }
    busy_.End();
    UpdateStatus();
    searched_ = true;
    if (HexEditor1->SearchCancelled()) return;
    if (hit < 0) {
        MessageBoxA(Handle(), "Cannot find " + searchText_ + ".", kHexEditName,
                    MB_OK | MB_ICONINFORMATION);
        return;
    }
    HexEditor1->MoveCursor(hit);
    HexEditor1->SetFocus();
}

void TFormHexEdit::ChangeLog1Click(TObject*) {
    ListViewLog->SetVisible(!ListViewLog->Visible());
    UpdateMenus();
}

void TFormHexEdit::HexEditor1ChangeLogUpdate(TObject*) {
    HexEditor1->ChangeLogToMenuItem(Undo1, Redo1);
    if (ListViewLog->Visible()) HexEditor1->ChangeLogToListView(ListViewLog);
    UpdateStatus();
}

void TFormHexEdit::HexEditor1DirtyChange(TObject*, bool) {
    UpdateTitle();
}

void TFormHexEdit::ScrollBar1Change(TObject*) {
    HexEditor1->Invalidate();
}

bool TFormHexEdit::HexEditor1Progress(TObject*, int64_t done, int64_t total) {
    return busy_.Step(done, total);
}

// The editor tells of a new row width while it paints, and of a new size while it is laid
// out: the window is fitted to the rows once that is over.
void TFormHexEdit::HexEditor1RowWidthChange(TObject*) {
    widen_ = true;
    FitRowsLater();
}

void TFormHexEdit::FormResize(TObject*) {
    FitRowsLater();
}

void TFormHexEdit::FitRowsLater() {
    if (fitPending_ || !HandleAllocated()) return;
    fitPending_ = true;
    PostMessage(Handle(), kFitRowsMessage, 0, 0);
}

void TFormHexEdit::FitRows() {
    fitPending_ = false;
    // Wider rows widen the window, as far as the screen allows.
    int missing = HexEditor1->RowWidth() - HexEditor1->ClientWidth();
    if (widen_ && missing > 0) {
        int width = std::min(Width() + missing, std::max(Screen->Width(), Width()));
        int left = std::max(0, std::min(Left(), Screen->Width() - width));
        if (width > Width()) SetBounds(left, Top(), width, Height());
    }
    widen_ = false;
    // The horizontal bar while the rows are still wider than the editor.
    bool wanted = HexEditor1->RowWidth() > HexEditor1->ClientWidth();
    if (wanted != ScrollBar2->Visible()) ScrollBar2->SetVisible(wanted);
}

void TFormHexEdit::Dispatch(TMessage& message) {
    if (message.Msg == kFitRowsMessage) {
        FitRows();
        return;
    }
    TForm::Dispatch(message);
}

void TFormHexEdit::ListViewLogDblClick(TObject*) {
    int index = ListViewLog->ItemIndex();
    if (index < 0) return;
    HexEditor1->MoveCursor(int64_t(ListViewLog->Item(index).Data));
    HexEditor1->SetFocus();
}

void TFormHexEdit::TimerCursorTimer(TObject*) {
    HexEditor1->AnimateCursor();
    CheckFileOnDisk();
}

void TFormHexEdit::FormCloseQuery(TObject*, bool& canClose) {
    canClose = QuerySave();
}
