#include "graphs/form2.h"

Form2::Form2(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("v-tグラフ"));
    setAttribute(Qt::WA_DeleteOnClose);
}
