#pragma once
// The status-bar indicators for kana lock ("ｶﾅ"), caps lock ("CAP"), num lock
// ("NUM") and scroll lock ("SCRL"): each shows its text while its lock is on
// and stays blank otherwise. The states are read from the X keyboard
// extension when the program runs on X11 and refreshed after every key and
// whenever the window is activated; elsewhere the panes stay blank.
#include <QLabel>
#include <QObject>
#include <array>

class QStatusBar;

namespace sgry {

struct LockKeyStates {
    bool kana = false;
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

// The current states; all off when they cannot be read.
LockKeyStates QueryLockKeys();

class LockIndicators : public QObject {
    Q_OBJECT
public:
    // Adds the four panes to the right end of the status bar.
    explicit LockIndicators(QStatusBar& bar);
    void Show(const LockKeyStates& states);
    void Refresh() { Show(QueryLockKeys()); }
    const QLabel& Pane(int index) const { return *panes_.at(static_cast<std::size_t>(index)); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<QLabel*, 4> panes_{};
};

}  // namespace sgry
