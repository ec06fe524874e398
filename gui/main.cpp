// The desktop program: settings loaded before the window is made, the
// window shown, the files named on the command line added to the list, and
// the settings saved when the window closes (MainWindow::closeEvent).
#include <QApplication>
#include <clocale>

#include "gui/MainWindow.h"
#include "gui/QtUserPrompts.h"
#include "gui/ProgramSettings.h"
#include "gui/Translations.h"
#include "settings/IniPath.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Qt takes the locale from the environment; numbers in files never follow it.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("sigilry"));

    sgry::ProgramSettings settings(sgry::IniPath());
    settings.LoadSettings();
    // The language of every text, the standard dialogs' included.
    sgry::UseProgramLanguage(sgry::LanguageOf(settings.App().Language));

    sgry::QtUserPrompts prompts;
    sgry::MainWindowServices services;
    services.prompts = &prompts;
    services.dialogs = &prompts;
    sgry::MainWindow window(settings, services);
    prompts.SetParent(&window);
    window.show();

    // Qt has taken its own options out of the arguments; the rest are files.
    // One that cannot be added is reported and the program goes on.
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) window.Controller().AddFile(sgry::PathFromQt(arguments[i]));

    return QApplication::exec();
}
