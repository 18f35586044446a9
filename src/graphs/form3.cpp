#include "graphs/form3.h"

Form3::Form3(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("s-tグラフ"));
    setAttribute(Qt::WA_DeleteOnClose);
}
