// The desktop program: settings loaded before the window is made, the
// window shown, the files named on the command line added to the list, and
// the settings saved when the window closes (CMainFrame::closeEvent).
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <clocale>

#include "gui/CMainFrame.h"
#include "gui/QtUserPrompts.h"
#include "gui/SgryApp.h"
#include "settings/IniPath.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Qt takes the locale from the environment; numbers in files never follow it.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("sigilry"));
    // The standard buttons and file dialogs speak the user's language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    sgry::SgryApp app(sgry::IniPath());
    app.LoadSettings();

    sgry::QtUserPrompts prompts;
    sgry::FrameServices services;
    services.prompts = &prompts;
    services.dialogs = &prompts;
    sgry::CMainFrame frame(app, services);
    prompts.SetParent(&frame);
    frame.show();

    // Qt has taken its own options out of the arguments; the rest are files.
    // One that cannot be added is reported and the program goes on.
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) frame.Document().OpenDocument(sgry::PathFromQt(arguments[i]));

    return QApplication::exec();
}
