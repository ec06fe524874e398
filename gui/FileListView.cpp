#include "gui/FileListView.h"

#include <QDesktopServices>
#include <QHeaderView>
#include <QKeyEvent>
#include <QUrl>
#include <algorithm>

#include "gui/QtUserPrompts.h"
#include "platform/Format.h"

namespace sgry {

namespace {
constexpr int kColumnPercent[] = {28, 14, 14, 44};
const char* const kColumnHeaders[] = {QT_TRANSLATE_NOOP("sgry::FileListView", "File Name"), QT_TRANSLATE_NOOP("sgry::FileListView", "Pages"), QT_TRANSLATE_NOOP("sgry::FileListView", "Signature"), QT_TRANSLATE_NOOP("sgry::FileListView", "Path")};
constexpr int kColumnCount = 4;

// A certified file is refused unless allowed, so the list says so before the run.
QString SigningText(Signing signing) {
    switch (signing) {
        case Signing::Signed: return FileListView::tr("Signed");
        case Signing::Certified: return FileListView::tr("Certified");
        case Signing::None: break;
    }
    return QString();
}
}  // namespace

void OpenWithDesktop(const std::string& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(PathToQt(path))); }

FileListView::FileListView(UserPrompts& prompts, ShellOpener opener, QWidget* parent)
    : QTreeWidget(parent), prompts_(prompts), notice_(this), list_(prompts, &notice_), opener_(std::move(opener)) {
    setColumnCount(kColumnCount);
    QStringList headers;
    for (const char* header : kColumnHeaders) headers << tr(header);
    setHeaderLabels(headers);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    connect(this, &QTreeWidget::itemChanged, this, &FileListView::OnItemChanged);
    connect(this, &QTreeWidget::itemDoubleClicked, this, &FileListView::OnItemDoubleClicked);
}

void FileListView::InitColumnWidths() {
    if (columnsReady_) return;
    columnsReady_ = true;
    const int client = viewport()->width();
    for (int column = 0; column < kColumnCount; ++column)
        setColumnWidth(column, std::max(client * kColumnPercent[column] / 100, NarrowestWidth(column)));
}

// A column's share of a small window can be narrower than its header or the
// words it shows, which are longer in English than in Japanese.
int FileListView::NarrowestWidth(int column) const {
    int width = header()->sectionSizeHint(column);
    if (column == kColumnSigning) {
        const int padding = 2 * fontMetrics().averageCharWidth();
        for (const Signing signing : {Signing::Signed, Signing::Certified})
            width = std::max(width, fontMetrics().horizontalAdvance(SigningText(signing)) + padding);
    }
    return width;
}

void FileListView::FillColumns() {
    const int client = viewport()->width();
    const int others = columnWidth(kColumnName) + columnWidth(kColumnPages) + columnWidth(kColumnSigning);
    if (others + columnWidth(kColumnPath) < client) setColumnWidth(kColumnPath, client - others);
}

void FileListView::showEvent(QShowEvent* event) {
    QTreeWidget::showEvent(event);
    InitColumnWidths();
}

bool FileListView::AddFileToList(const std::string& path) {
    if (!list_.AddFileToList(path)) return false;
    InsertTopItem();
    return true;
}

void FileListView::InsertTopItem() {
    const FileListRow& row = list_.Row(0);
    auto* item = new QTreeWidgetItem;
    item->setText(kColumnName, PathToQt(row.fileName));
    item->setText(kColumnPages, QString::fromStdString(Format("%d", row.pageCount)));
    item->setText(kColumnSigning, SigningText(row.signing));
    item->setText(kColumnPath, PathToQt(row.path));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(kColumnName, row.checked ? Qt::Checked : Qt::Unchecked);
    const QSignalBlocker quiet(this);
    insertTopLevelItem(0, item);
}

void FileListView::RemoveSelectedRows() {
    std::vector<int32_t> doomed;
    for (QTreeWidgetItem* item : selectedItems()) doomed.push_back(indexOfTopLevelItem(item));
    if (doomed.empty()) return;
    list_.RemoveRows(doomed);
    std::sort(doomed.rbegin(), doomed.rend());
    const QSignalBlocker quiet(this);
    for (int32_t index : doomed) delete takeTopLevelItem(index);
}

void FileListView::ClearRows() {
    list_.Clear();
    const QSignalBlocker quiet(this);
    clear();
}

bool FileListView::WriteListFile(const std::string& path) { return list_.WriteListFile(path); }

// The list adds every path on top, so the items are made the same way.
bool FileListView::ReadListFile(const std::string& path) {
    std::vector<std::string> paths;
    if (!FileList::ReadListPaths(path, paths)) {
        prompts_.ShowMessage(Format(list_message::kCannotOpen, path));
        return false;
    }
    for (const std::string& listed : paths) AddFileToList(listed);
    return true;
}

void FileListView::OpenListRow(int row) {
    if (row >= 0 && row < list_.Count()) OpenPath(list_.Row(row).path);
}

void FileListView::OpenPath(const std::string& path) const {
    if (opener_) opener_(path);
}

std::vector<BatchRow> FileListView::BatchRows() const {
    std::vector<BatchRow> rows;
    for (const FileListRow& row : list_.Rows()) rows.push_back(BatchRow{row.path, row.checked});
    return rows;
}

void FileListView::OnItemChanged(QTreeWidgetItem* item, int column) {
    if (column != kColumnName) return;
    const int index = indexOfTopLevelItem(item);
    if (index >= 0 && index < list_.Count()) list_.SetChecked(index, item->checkState(kColumnName) == Qt::Checked);
}

void FileListView::OnItemDoubleClicked(QTreeWidgetItem* item) { OpenListRow(indexOfTopLevelItem(item)); }

void FileListView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Delete:
            RemoveSelectedRows();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (QTreeWidgetItem* item = currentItem()) OpenListRow(indexOfTopLevelItem(item));
            return;
        default:
            QTreeWidget::keyPressEvent(event);
    }
}

std::string FileListView::PreviewSourcePath() const {
    const std::vector<BatchRow> rows = BatchRows();
    QTreeWidgetItem* chosen = currentItem();
    if (!chosen || !chosen->isSelected()) {
        const QList<QTreeWidgetItem*> selected = selectedItems();
        chosen = selected.isEmpty() ? nullptr : selected.front();
    }
    const int index = chosen ? indexOfTopLevelItem(chosen) : -1;
    if (index >= 0 && index < static_cast<int>(rows.size())) return rows[static_cast<std::size_t>(index)].path;
    for (const BatchRow& row : rows)
        if (row.checked) return row.path;
    return std::string();
}

}  // namespace sgry
