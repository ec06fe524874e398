#include "gui/LockIndicators.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QStatusBar>

namespace sgry {

namespace {

const char* const kPaneTexts[] = {QT_TRANSLATE_NOOP("sgry::LockIndicators", "KANA"), "CAP", "NUM", "SCRL"};

bool IsLockKey(int key) {
    return key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock ||
           key == Qt::Key_Kana_Lock || key == Qt::Key_Kana_Shift || key == Qt::Key_Hiragana_Katakana;
}

}  // namespace

LockIndicators::LockIndicators(QStatusBar& bar) : QObject(&bar) {
    for (std::size_t i = 0; i < panes_.size(); ++i) {
        auto* pane = new QLabel(&bar);
        // Wide enough for its text, so the panes do not move as locks change.
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(tr(kPaneTexts[i])) + 8);
        pane->setAlignment(Qt::AlignCenter);
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        bar.addPermanentWidget(pane);
        panes_[i] = pane;
    }
    if (qApp) qApp->installEventFilter(this);
    Refresh();
}

void LockIndicators::Show(const LockKeyStates& states) {
    const bool on[] = {states.kana, states.caps, states.num, states.scroll};
    for (std::size_t i = 0; i < panes_.size(); ++i)
        panes_[i]->setText(on[i] ? tr(kPaneTexts[i]) : QString());
}

bool LockIndicators::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyRelease:
            if (IsLockKey(static_cast<QKeyEvent*>(event)->key())) Refresh();
            break;
        case QEvent::ApplicationActivate:
            Refresh();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace sgry
