#pragma once
// The file list as the main window shows it: a report list with a check box
// per row and the columns "ﾌｧｲﾙ名", "ﾍﾟｰｼﾞ数" and "ﾊﾟｽ". The rows live in a
// FileList (app/FileList.h), which this view owns and mirrors item for item:
// a row is inserted on top when the list adds one, ticks made with the mouse
// are written back, and removals delete the same rows in both.
//
// Keys and mouse: Delete removes the selected rows; a double-click opens the
// row under the pointer, Enter the current row, in the system's PDF viewer.
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/BatchRun.h"
#include "app/FileList.h"
#include "gui/AddingDialog.h"

namespace sgry {

inline constexpr int kColumnName = 0;
inline constexpr int kColumnPages = 1;
inline constexpr int kColumnSigning = 2;
inline constexpr int kColumnPath = 3;

// Hands a path to the desktop's "open" action.
using ShellOpener = std::function<void(const std::string& path)>;
void OpenWithDesktop(const std::string& path);

class FileListView : public QTreeWidget {
    Q_OBJECT
public:
    FileListView(UserPrompts& prompts, ShellOpener opener, QWidget* parent = nullptr);

    // Columns at 28, 14, 14 and 44 % of the client width, none narrower than
    // NarrowestWidth (done once, when the view is first shown, or earlier by a call).
    void InitColumnWidths();
    // The width that shows a column's header, and the signing column's words, whole.
    int NarrowestWidth(int column) const;
    // Widens the path column when the three columns leave room at the right;
    // never narrows a column.
    void FillColumns();

    // The one way rows are made: reads the file with the notice shown, reports
    // a failure, or puts a checked row on top.
    bool AddFileToList(const std::string& path);
    // Deletes every selected row; nothing happens without a selection.
    void RemoveSelectedRows();
    void ClearRows();
    bool WriteListFile(const std::string& path);
    bool ReadListFile(const std::string& path);
    // Opens the row's path with the desktop; rows outside the list do nothing.
    void OpenListRow(int row);
    // Opens a file with the desktop, as a row is opened.
    void OpenPath(const std::string& path) const;

    const FileList& List() const { return list_; }
    std::vector<BatchRow> BatchRows() const;
    // The file a preview shows: the selected row when there is one (the
    // current one of several), else the first checked row; "" for none.
    std::string PreviewSourcePath() const;
    const AddingDialogNotice& Notice() const { return notice_; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void InsertTopItem();
    void OnItemChanged(QTreeWidgetItem* item, int column);
    void OnItemDoubleClicked(QTreeWidgetItem* item);

    UserPrompts& prompts_;
    AddingDialogNotice notice_;
    FileList list_;
    ShellOpener opener_;
    bool columnsReady_ = false;
};

}  // namespace sgry
