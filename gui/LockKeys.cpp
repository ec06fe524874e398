// The lock-key states from the X keyboard extension. Kept apart from the
// widgets because the X headers define macros (KeyRelease, None, ...) that
// clash with Qt's names.
#include "gui/LockIndicators.h"

#include <QGuiApplication>

#ifdef SIGILRY_HAVE_X11
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#endif

namespace sgry {

#ifdef SIGILRY_HAVE_X11
namespace {

bool IndicatorOn(Display* display, const char* name) {
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None) return false;
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) return false;
    return on == True;
}

}  // namespace
#endif

LockKeyStates QueryLockKeys() {
    LockKeyStates states;
#ifdef SIGILRY_HAVE_X11
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return states;
    states.kana = IndicatorOn(display, "Kana");
    states.caps = IndicatorOn(display, "Caps Lock");
    states.num = IndicatorOn(display, "Num Lock");
    states.scroll = IndicatorOn(display, "Scroll Lock");
#endif
    return states;
}

}  // namespace sgry
