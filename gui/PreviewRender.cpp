#include "gui/PreviewRender.h"

#include <poppler-qt6.h>

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "app/PreviewStamp.h"

namespace sgry {

namespace {

// Removes the private copy however the frame ends.
class CopyRemover {
public:
    explicit CopyRemover(std::string path) : path_(std::move(path)) {}
    ~CopyRemover() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    CopyRemover(const CopyRemover&) = delete;
    CopyRemover& operator=(const CopyRemover&) = delete;

private:
    std::string path_;
};

// The page's size as it is shown: its own /Rotate turns it on its side.
QSizeF ShownSize(const Poppler::Page& page) {
    const QSizeF size = page.pageSizeF();
    const auto turn = page.orientation();
    const bool sideways = turn == Poppler::Page::Landscape || turn == Poppler::Page::Seascape;
    return sideways ? size.transposed() : size;
}

constexpr const char* kCannotShow = QT_TRANSLATE_NOOP("sgry::PreviewRender", "Cannot show the stamped file");

}  // namespace

int FittingDpi(const QSizeF& pagePoints, const QSize& area) {
    if (pagePoints.width() <= 0 || pagePoints.height() <= 0) return 1;
    const double scale = std::min(area.width() / pagePoints.width(), area.height() / pagePoints.height());
    return std::max(1, static_cast<int>(std::floor(scale * 72.0)));
}

PreviewFrame RenderPreview(const PreviewRequest& request) {
    PreviewFrame frame;
    frame.generation = request.generation;
    frame.pageIndex = request.pageIndex;
    CopyRemover remover(request.copyPath);
    const PreviewStampResult stamped =
        StampPrivateCopy(request.sourcePath, request.copyPath, request.stamp, request.app);
    if (!stamped.stamped) {
        frame.message = QString::fromStdString(stamped.message);
        return frame;
    }
    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(QString::fromStdString(request.copyPath));
    if (!document || document->isLocked() || document->numPages() < 1) {
        frame.message = QCoreApplication::translate("sgry::PreviewRender", kCannotShow);
        return frame;
    }
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    frame.pageCount = document->numPages();
    frame.pageIndex = std::clamp(request.pageIndex, 0, frame.pageCount - 1);
    const std::unique_ptr<Poppler::Page> page = document->page(frame.pageIndex);
    if (!page) {
        frame.message = QCoreApplication::translate("sgry::PreviewRender", kCannotShow);
        return frame;
    }
    frame.dpi = FittingDpi(ShownSize(*page), request.area);
    frame.image = page->renderToImage(frame.dpi, frame.dpi);
    frame.note = QString::fromStdString(PageLeftOutReason(request.stamp, frame.pageIndex + 1));
    return frame;
}

}  // namespace sgry
