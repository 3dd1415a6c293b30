// TOpenDialog and TSaveDialog: the modal dialogs in which the user picks a file to open or
// a name to save under. The dialog lists the folders and files of one folder (folders
// first, then files, each sorted by name; ".." goes up), with a field for the file name
// and the folder's path above. A double click or Enter on a folder opens it; on a file, or
// Ok with a name typed, chooses it. A name typed with a "/" in it is taken relative to
// the folder shown (or as it is, when absolute). The save dialog asks before replacing an
// existing file ("<name> already exists. Do you want to replace it?", Yes/No); the open
// dialog only accepts an existing file. Execute returns true with FileName set to the
// chosen file's full path, false when cancelled. On Windows, "\" separates folders as well
// as "/", and the drives are listed above the folders (below).
//
// In detail:
// - The dialog is a fixed-size dialog box (client area 420 x 320 at 100 %) titled Title,
//   owned by the active form (the one holding the focus, else the application's main form
//   when it shows), centred over it and kept on its monitor, at that monitor's scale.
//   Other forms are disabled while it runs; timers go on.
// - The list has the columns "Name" and "Size": folders read "name/" ("name\" on
//   Windows), files show their size in bytes ("1,234,567"). Names sort without regard to
//   ASCII case (ties in byte order). Hidden (dot) entries are listed too. ".." heads the
//   list except at "/"; going up selects the folder just left.
// - Drives (Windows): at the root of a drive ".." leads to the list of the drives, one
//   folder row a drive ("C:\", "D:\", in the system's order) under the path label
//   "Drives"; going up there selects the drive just left, and opening a drive lists its
//   root. A name with a drive and no root ("D:data") is in that drive's current folder.
// - Selecting a file in the list puts its name in the field. The field starts with
//   FileName's name, selected, and has the focus.
// - Ok takes the field: empty, it opens the selected folder, if any; a name that is an
//   existing folder opens that folder (and empties the field); "~" and "~/..." start at
//   the home folder. Otherwise the name is the file: the open dialog refuses one that does
//   not exist ("<name>\nFile not found.\nCheck the file name and try again."); the save
//   dialog refuses one whose folder does not exist ("<folder>\nThe folder does not
//   exist.\nCheck the path and try again.") and asks before replacing. Cancel, Esc and the
//   close box return false and leave FileName as it was.
// - A folder that cannot be read is reported ("The folder \"<path>\" cannot be read:
//   <reason>.") and the dialog stays where it was. Messages are message boxes over the
//   dialog, titled Title.
// - The first folder shown is InitialDir when it is set, else FileName's folder when
//   FileName has one, else the current folder; one that cannot be read is passed over for
//   the next (and "/" last, or on Windows the list of drives).
// - The dialog's form is named "FileDialog"; its controls "PathLabel", "FileList",
//   "FileNameEdit", "OkButton" and "CancelButton".
#pragma once

#include <string>

#include "platform/ui/component.h"

class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner);

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }
    // The folder shown first (the current folder when empty, or FileName's folder when
    // FileName is set), and the chosen file.
    const std::string& InitialDir() const { return initialDir_; }
    void SetInitialDir(const std::string& dir) { initialDir_ = dir; }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& name) { fileName_ = name; }

    // Shows the dialog modally, over the active form.
    virtual bool Execute();

protected:
    // Whether the save dialog's rules apply (names of new files, replacing asked).
    virtual bool Saving() const { return false; }

private:
    std::string title_ = "Open";
    std::string initialDir_;
    std::string fileName_;
};

// The save dialog; its title starts as "Save As".
class TSaveDialog : public TOpenDialog {
public:
    explicit TSaveDialog(TComponent* owner);

protected:
    bool Saving() const override { return true; }
};
