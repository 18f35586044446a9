#include "app/application.h"

#include "toolkit/fonts.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

namespace app {

bool loadQtJapanese() {
    auto* translator = new QTranslator(qApp);
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

void setUpApplication() {
    QApplication::setApplicationName(QStringLiteral("Ugoki"));
    // Lets the desktop match the windows with the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("ugoki"));
    QIcon icon;
    for (const char* size : {"48", "256"})
        icon.addFile(QStringLiteral(":/icons/ugoki-%1.png").arg(QLatin1String(size)));
    QApplication::setWindowIcon(icon);
    toolkit::setApplicationFont();
    // Ugoki keeps nothing between runs. Qt's file dialog would keep its history and folders in
    // the user's settings; they are sent where nothing can be written.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
    // The interface is Japanese whatever the user's locale, Qt's own texts included.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    loadQtJapanese();
}

} // namespace app
