#include "app/application.h"
#include "app/command_line.h"
#include "main_window/form1.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

namespace {

// Usage and version are answered before a window system is needed.
bool asksOnlyForText(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QLatin1String("--"))
            return false;
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h") ||
            argument == QLatin1String("--version"))
            return true;
    }
    return false;
}

int answer(const app::CommandLine& line) {
    std::fprintf(line.exitCode() == 0 ? stdout : stderr, "%s\n", qPrintable(line.message));
    return line.exitCode();
}

} // namespace

int main(int argc, char* argv[]) {
    if (asksOnlyForText(argc, argv)) {
        QStringList arguments;
        for (int i = 1; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        return answer(app::readCommandLine(arguments));
    }
    QApplication app(argc, argv); // takes Qt's own options
    const app::CommandLine line = app::readCommandLine(QApplication::arguments().mid(1));
    if (line.action != app::CommandLine::Action::Run)
        return answer(line);
    app::setUpApplication();

    Form1 form;
    form.show();
    // Opened once the window is up, as if chosen in the file dialog.
    if (!line.file.isEmpty())
        QTimer::singleShot(0, &form, [&form, file = line.file] { form.openFile(file); });
    return app.exec();
}
