#include "gui/PreviewPane.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

// The example page lives in the static GUI library's resources, which the
// linker keeps only when something names them.
static void InitPreviewResources() { Q_INIT_RESOURCE(preview); }

namespace sgry {

namespace {

constexpr const char* kExampleResource = ":/sigilry/example.pdf";
constexpr QSize kSmallestPage(240, 320);

QPushButton* SelectorButton(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setAutoDefault(false);
    return button;
}

QString FolderTemplate(const QString& tempParent) {
    const QString parent = tempParent.isEmpty() ? QDir::tempPath() : tempParent;
    return QDir(parent).filePath(QStringLiteral("sigilry-preview-XXXXXX"));
}

}  // namespace

PreviewPane::PreviewPane(PreviewSettingsSource settings, AppSettings app, std::string sourcePath,
                         const QString& tempParent, QWidget* parent)
    : QWidget(parent),
      settings_(std::move(settings)),
      app_(app),
      sourcePath_(std::move(sourcePath)),
      folder_(FolderTemplate(tempParent)) {
    setObjectName(QStringLiteral("preview"));
    const QString name = sourcePath_.empty() ? tr("Sample page")
                                             : QFileInfo(QFile::decodeName(sourcePath_.c_str())).fileName();
    auto* title = new QLabel(name, this);
    page_ = new QLabel(this);
    page_->setAlignment(Qt::AlignCenter);
    page_->setWordWrap(true);
    page_->setMinimumSize(kSmallestPage);
    page_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);  // the picture never sizes the pane
    page_->setFrameShape(QFrame::StyledPanel);
    note_ = new QLabel(this);
    note_->setWordWrap(true);
    note_->setObjectName(QStringLiteral("previewNote"));
    note_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    layout->addWidget(page_, 1);
    layout->addWidget(note_);
    layout->addWidget(BuildPageSelector());

    pause_.setSingleShot(true);
    pause_.setInterval(kPreviewPauseMs);
    connect(&pause_, &QTimer::timeout, this, &PreviewPane::StartFrame);
    connect(&worker_, &QFutureWatcher<PreviewFrame>::finished, this, &PreviewPane::OnFrameDone);
    UpdateSelector();
}

PreviewPane::~PreviewPane() {
    pause_.stop();
    worker_.waitForFinished();
}

QWidget* PreviewPane::BuildPageSelector() {
    auto* selector = new QWidget(this);
    first_ = SelectorButton(tr("First"), "previewFirst", selector);
    previous_ = SelectorButton(tr("Previous"), "previewPrevious", selector);
    position_ = new QLabel(selector);
    position_->setAlignment(Qt::AlignCenter);
    position_->setObjectName(QStringLiteral("previewPosition"));
    next_ = SelectorButton(tr("Next"), "previewNext", selector);
    last_ = SelectorButton(tr("Last"), "previewLast", selector);
    auto* row = new QHBoxLayout(selector);
    row->setContentsMargins(0, 0, 0, 0);
    for (QWidget* widget : {static_cast<QWidget*>(first_), static_cast<QWidget*>(previous_),
                            static_cast<QWidget*>(position_), static_cast<QWidget*>(next_),
                            static_cast<QWidget*>(last_)})
        row->addWidget(widget, widget == position_ ? 1 : 0);
    connect(first_, &QPushButton::clicked, this, [this] { ShowPage(0); });
    connect(previous_, &QPushButton::clicked, this, [this] { ShowPage(pageIndex_ - 1); });
    connect(next_, &QPushButton::clicked, this, [this] { ShowPage(pageIndex_ + 1); });
    connect(last_, &QPushButton::clicked, this, [this] { ShowPage(shown_.pageCount - 1); });
    return selector;
}

void PreviewPane::ScheduleRender() { pause_.start(); }

void PreviewPane::ShowPage(int pageIndex) {
    pageIndex_ = std::max(0, pageIndex);
    pause_.stop();
    StartFrame();
}

// A hidden pane makes no frames; showing it asks for one.
void PreviewPane::StartFrame() {
    if (!isVisible()) return;
    if (worker_.isRunning()) {
        again_ = true;
        return;
    }
    if (!folder_.isValid()) {
        PreviewFrame failed;
        failed.generation = generation_;
        failed.message = tr("Cannot create a temporary folder\n") + folder_.errorString();
        Show(failed);
        return;
    }
    PreviewRequest request;
    request.generation = ++generation_;
    request.sourcePath = sourcePath_.empty() ? ExampleCopy() : sourcePath_;
    request.copyPath = QFile::encodeName(folder_.filePath(QStringLiteral("stamped-%1.pdf").arg(generation_)))
                           .toStdString();
    request.stamp = settings_();
    request.app = app_;
    request.pageIndex = pageIndex_;
    request.area = page_->contentsRect().size().expandedTo(kSmallestPage);
    ++started_;
    worker_.setFuture(QtConcurrent::run(&RenderPreview, request));
}

void PreviewPane::OnFrameDone() {
    const PreviewFrame frame = worker_.result();
    if (again_ || frame.generation != generation_) {
        again_ = false;
        StartFrame();
        return;
    }
    Show(frame);
}

void PreviewPane::Show(const PreviewFrame& frame) {
    shown_ = frame;
    pageIndex_ = frame.pageIndex;
    if (frame.image.isNull()) {
        page_->setPixmap(QPixmap());
        page_->setText(frame.message);
    } else {
        page_->setPixmap(QPixmap::fromImage(frame.image));
    }
    note_->setText(frame.note);
    note_->setVisible(!frame.note.isEmpty());
    UpdateSelector();
    emit frameShown();
}

void PreviewPane::UpdateSelector() {
    const int count = shown_.pageCount;
    position_->setText(count > 0 ? QStringLiteral("%1 / %2").arg(pageIndex_ + 1).arg(count) : QStringLiteral("- / -"));
    first_->setEnabled(count > 0 && pageIndex_ > 0);
    previous_->setEnabled(count > 0 && pageIndex_ > 0);
    next_->setEnabled(pageIndex_ + 1 < count);
    last_->setEnabled(pageIndex_ + 1 < count);
}

// The example page is built into the program; the pass reads it from a
// file, so it is written once into the pane's folder.
std::string PreviewPane::ExampleCopy() {
    const QString path = folder_.filePath(QStringLiteral("example.pdf"));
    InitPreviewResources();
    if (!QFile::exists(path)) QFile::copy(QString::fromUtf8(kExampleResource), path);
    return QFile::encodeName(path).toStdString();
}

void PreviewPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ScheduleRender();
}

void PreviewPane::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ScheduleRender();
}

}  // namespace sgry
