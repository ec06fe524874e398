#include "gui/ProgressDialog.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/AddingDialog.h"
#include "gui/QtUserPrompts.h"

namespace sgry {

namespace {

// The window is 187 x 85 dialog units: a unit is a quarter of the average
// letter width across and an eighth of the font height down.
QSize DialogUnitsToPixels(const QFontMetrics& metrics, int across, int down) {
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int average = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    return QSize(across * average / 4, down * metrics.height() / 8);
}

}  // namespace

ProgressDialog::ProgressDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr(kProgressTitle));
    setWindowModality(Qt::ApplicationModal);
    count_ = new QLabel(QStringLiteral(" 1 / 1"), this);
    count_->setObjectName(QString::number(kIdProgressCount));
    path_ = new QLabel(this);
    path_->setObjectName(QString::number(kIdProgressPath));
    path_->setWordWrap(true);
    path_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    path_->setFixedHeight(path_->fontMetrics().lineSpacing() * 2 + 2);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QString::number(kIdProgressBar));
    bar_->setTextVisible(false);
    cancel_ = new QPushButton(tr(kProgressCancel), this);
    cancel_->setObjectName(QString::number(kIdProgressCancel));
    connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::RequestCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(count_);
    layout->addWidget(path_);
    layout->addWidget(bar_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addStretch();
    layout->addLayout(buttons);
    setFixedSize(DialogUnitsToPixels(fontMetrics(), 187, 85).expandedTo(minimumSizeHint()));
}

void ProgressDialog::ShowCentred() {
    show();
    if (QWidget* owner = parentWidget()) move(CentredOn(owner->frameGeometry(), frameGeometry().size()));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
}

void ProgressDialog::SetTotal(int total) {
    bar_->setRange(0, total);
    bar_->setValue(0);
}

void ProgressDialog::ShowFile(const QString& countText, const QString& path) {
    count_->setText(countText);
    path_->setText(path);
    repaint();
    emit fileShown(countText, path);
}

void ProgressDialog::Step() {
    if (bar_->value() < bar_->maximum()) bar_->setValue(bar_->value() + 1);
    bar_->repaint();
}

QString ProgressDialog::CountText() const { return count_->text(); }
QString ProgressDialog::PathText() const { return path_->text(); }
int ProgressDialog::BarValue() const { return bar_->value(); }
int ProgressDialog::BarMaximum() const { return bar_->maximum(); }

ProgressWindow::ProgressWindow(QWidget* parent, std::function<void(ProgressDialog&)> onCreated)
    : parent_(parent), onCreated_(std::move(onCreated)) {}

ProgressWindow::~ProgressWindow() { Finish(); }

void ProgressWindow::Start(int32_t total) {
    dialog_ = std::make_unique<ProgressDialog>(parent_);
    dialog_->SetTotal(total);
    if (onCreated_) onCreated_(*dialog_);
    dialog_->ShowCentred();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    waitCursor_ = true;
}

void ProgressWindow::Show(const std::string& countText, const std::string& path) {
    if (dialog_) dialog_->ShowFile(QString::fromUtf8(countText), PathToQt(path));
}

void ProgressWindow::Step() {
    if (dialog_) dialog_->Step();
}

void ProgressWindow::Cancel() {
    if (dialog_) dialog_->RequestCancel();
}

bool ProgressWindow::Cancelled() {
    if (!dialog_) return false;
    QCoreApplication::processEvents();
    return dialog_ && dialog_->CancelRequested();
}

void ProgressWindow::Finish() {
    if (waitCursor_) QApplication::restoreOverrideCursor();
    waitCursor_ = false;
    dialog_.reset();
}

}  // namespace sgry
