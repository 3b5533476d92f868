#include "platform/Application.h"
#include "platform/Form.h"
#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool setUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("Norvik"));
    QApplication::setWindowIcon(mainWindowIcon());
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));

    // "qt_it" loads the catalogues of every Qt module the program uses.
    static QTranslator *qtTexts = nullptr;
    if (qtTexts)
        return true;
    auto *translator = new QTranslator(qApp);
    if (!translator->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    qtTexts = translator;
    return true;
}
