#include "app/Windows.h"
#include "platform/Application.h"
#include "platform/DrawnMark.h"
#include "platform/Form.h"
#include "shell/frmMain.h"
#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    setUpApplication();

    // Before the main window loads: it greys the buttons of the registers not built.
    registerWindows();
    frmMain *main = FormInstance<frmMain>::get();
    main->Load();
    if (!main->isLoaded())
        return 1; // the database could not be opened; the message has been shown
    // Unloading the main window ends the program.
    QObject::connect(main, &QObject::destroyed, &app, &QCoreApplication::quit);
    // The start-up benchmark's finish line: the main window's first frame.
    DrawnMark::watch(main, qEnvironmentVariable("NORVIK_SHOWN_MARK"));
    main->Show(false);
    return app.exec();
}
