#include "app/application.h"
#include "main_window/form1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    app::setUpApplication();

    Form1 form;
    form.show();
    return app.exec();
}
