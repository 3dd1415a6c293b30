// TFormHexEdit: the main window of zentick-hexedit, a desktop host for the hex editor
// component.
//
// The window is titled "<file name> - zentick-hexedit", with "*" before the name while
// the data has unsaved changes ("untitled" when the data belongs to no file). From top to
// bottom: the menu bar, the editor with its vertical scroll bar at its right and, while
// its rows are wider than it, a horizontal one below (the change-log list beside them
// when View > Change log is on), and a status line with the cursor's offset, the size,
// and the byte at the cursor in hexadecimal, decimal and as a character. When the rows
// grow wider (more bytes a line, longer offsets) the window widens to show them whole, as
// far as the screen allows. A timer blinks the cursor every 100 ms.
//
// Menus: File (Open... Ctrl+O, Save Ctrl+S, Save As..., Exit Ctrl+Q), Edit (Undo Ctrl+Z,
// Redo Ctrl+Y, captioned after the edit they would undo or redo), Search (Find... Ctrl+F,
// Find Next F3) and View (hexadecimal or decimal bytes and offsets, 8, 16 or 32 bytes a
// line, groups of 1, 2, 4 or 8 bytes, "Characters: Latin-1", and the change-log list).
//
// Files. Files of any size open at once (they are mapped, not read). OpenArgument loads
// the file named on the command line; when it cannot be loaded, a message says why and
// the editor starts empty with its "open a file" message. Open and Save As ask for a name
// with the file dialogs. Every failure of a load or save is told in a message box that
// says why: "Cannot open <file>: No such file.", "<file> is a folder.", "<file> is not a
// regular file.", "Cannot open <file>: Permission denied.", "Only part of <file> could be
// read." (the part is shown, belonging to no file), "<file> is too large to load.",
// "Cannot save <file>: No space left on device. The file on disk is unchanged.". Saving
// over a file that another program changed since it was opened asks first; a file cut
// short by another program while open is told once, and the edits stay. While the data
// has unsaved changes, opening another file and closing the window (Exit, Ctrl+Q, the
// window manager's close box) first ask "Save changes to <name>?": Yes saves (and a save
// that fails or is cancelled keeps the window and the data), No discards, Cancel does
// nothing.
//
// Long operations. A load, save or search that runs longer than a third of a second shows
// a gauge in the status line (TBusyIndicator); Esc cancels it: a cancelled save leaves
// the file as it was, a cancelled search the cursor where it was.
//
// Ending at once. EndNow (for SIGTERM, SIGHUP, SIGINT or the loss of the display) keeps
// unsaved edits of a file in its recovery file in the user's state folder and says so
// on standard error; opening the same file again, unchanged on disk, offers to restore
// them.
//
// Search. Find looks from the start of the data; Find Next goes on after the last match,
// or after the cursor once it has moved away from it. A match puts the cursor on it; no
// match says "Cannot find <text>."; a number beyond 64 bits is refused with a message.
#pragma once

#include <functional>
#include <string>

#include "hexedit/busy.h"
#include "hexedit/ffind.h"
#include "platform/ui/filedialog.h"
#include "platform/ui/form.h"
#include "platform/ui/label.h"
#include "platform/ui/listview.h"
#include "platform/ui/menubar.h"
#include "platform/ui/panel.h"
#include "platform/ui/scrollbar.h"
#include "platform/ui/timer.h"
#include "widgets/hex/hexcontrol.h"

// The program's name, as its window titles and messages show it.
inline constexpr const char* kHexEditName = "zentick-hexedit";

class TFormHexEdit : public TForm {
public:
    explicit TFormHexEdit(TComponent* owner);

    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* File1 = nullptr;
    TMenuItem* Open1 = nullptr;
    TMenuItem* Save1 = nullptr;
    TMenuItem* SaveAs1 = nullptr;
    TMenuItem* Exit1 = nullptr;
    TMenuItem* Edit1 = nullptr;
    TMenuItem* Undo1 = nullptr;
    TMenuItem* Redo1 = nullptr;
    TMenuItem* Search1 = nullptr;
    TMenuItem* Find1 = nullptr;
    TMenuItem* FindNext1 = nullptr;
    TMenuItem* View1 = nullptr;
    TMenuItem* HexBytes1 = nullptr;
    TMenuItem* DecimalBytes1 = nullptr;
    TMenuItem* HexOffsets1 = nullptr;
    TMenuItem* DecimalOffsets1 = nullptr;
    TMenuItem* BytesPerLine[3] = {};   // 8, 16, 32
    TMenuItem* BytesPerGroup[4] = {};  // 1, 2, 4, 8
    TMenuItem* Latin11 = nullptr;
    TMenuItem* ChangeLog1 = nullptr;

    THexEditor* HexEditor1 = nullptr;
    TScrollBar* ScrollBar1 = nullptr;
    TScrollBar* ScrollBar2 = nullptr;  // horizontal
    TListView* ListViewLog = nullptr;
    TPanel* PanelStatus = nullptr;
    TLabel* LabelStatus = nullptr;
    TAGauge* Gauge1 = nullptr;
    TTimer* TimerCursor = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    TSaveDialog* SaveDialog1 = nullptr;

    // Loads the file named on the command line (see above).
    void OpenArgument(const std::string& fileName);
    // Loads a file; false (after saying why) when it could not be loaded whole.
    bool OpenFile(const std::string& fileName);
    // Saves to the data's file (Save As when it has none), or to a name the user picks;
    // false when nothing was saved.
    bool SaveFile();
    bool SaveFileAs();
    // With unsaved changes, asks whether to save them: true when the caller may go on
    // (saved, or the user chose to discard them).
    bool QuerySave();
    // Ends the program at once (see above): why, for the message. Returns the exit status:
    // 0 when nothing was unsaved, 1 when the edits went into the recovery file (or could
    // not be kept at all). With terminate the message loop is asked to end.
    int EndNow(const std::string& why, bool terminate = true);
    // The operation running now, shown in the status line.
    TBusyIndicator& Busy() { return busy_; }

    // The file the data belongs to (empty: none), the name the title shows, and the texts
    // of the title and the status line for the present state.
    const std::string& FilePath() const { return path_; }
    std::string DisplayName() const;
    std::string TitleText() const;
    std::string StatusText() const;

    // Handlers.
    void Open1Click(TObject* sender);
    void Save1Click(TObject* sender);
    void SaveAs1Click(TObject* sender);
    void Exit1Click(TObject* sender);
    void Undo1Click(TObject* sender);
    void Redo1Click(TObject* sender);
    void Find1Click(TObject* sender);
    void FindNext1Click(TObject* sender);
    void ChangeLog1Click(TObject* sender);
    void HexEditor1ChangeLogUpdate(TObject* sender);
    void HexEditor1DirtyChange(TObject* sender, bool dirty);
    void ScrollBar1Change(TObject* sender);
    bool HexEditor1Progress(TObject* sender, int64_t done, int64_t total);
    void HexEditor1RowWidthChange(TObject* sender);
    void FormResize(TObject* sender);
    void ListViewLogDblClick(TObject* sender);
    void TimerCursorTimer(TObject* sender);
    void FormCloseQuery(TObject* sender, bool& canClose);

    void Dispatch(TMessage& message) override;

private:
    TMenuItem* AddItem(TMenuItem* parent, const std::string& caption, TShortCut shortCut,
                       TNotifyEvent onClick);
    // A View item that changes the editor.
    TMenuItem* AddViewItem(TMenuItem* parent, const std::string& caption,
                           std::function<void(THexEditor&)> apply);
    void BuildMenus();
    void BuildControls();
    // Saves to a file, which the data then belongs to; false (after saying why) when the
    // save failed.
    bool SaveTo(const std::string& fileName);
    // Shows a failure in a message box.
    void ShowError(const std::string& text);
    // Runs the search set last: the first match from the start, or the next one.
    void Search(bool first);
    // After a file was opened: offers the edits kept in its recovery file.
    void OfferRecovery();
    // Whether the file's pages past a new end were read (once for each file).
    void CheckFileOnDisk();
    // Widens the window for wider rows (after a change of their width) and shows the
    // horizontal scroll bar while they are still wider than the editor; FitRowsLater
    // does it once the paint or layout under way is over.
    void FitRowsLater();
    void FitRows();
    static constexpr UINT kFitRowsMessage = WM_USER + 1;
    // Brings the title, the menus' states and the status line up to date.
    void UpdateTitle();
    void UpdateMenus();
    void UpdateStatus();

    std::string path_;      // the file the data belongs to; empty for none
    bool hasData_ = false;  // false while the editor shows its "open a file" message
    std::string searchText_;
    int searchMode_ = smText;
    int searchFlags_ = 0;
    bool searched_ = false;
    bool cutShortTold_ = false;
    bool widen_ = false;
    bool fitPending_ = false;
    TBusyIndicator busy_{nullptr, nullptr};
};
