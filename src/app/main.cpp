#include "main_window/form1.h"
#include "toolkit/fonts.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ugoki"));
    toolkit::setApplicationFont();

    Form1 form;
    form.show();
    return app.exec();
}
