#include "toolkit/fonts.h"

#include <QApplication>
#include <QFont>

namespace toolkit {

void installFontSubstitutions() {
    const QString proportional = QStringLiteral("IPAPGothic");
    const QString fixed = QStringLiteral("IPAGothic");
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), proportional);
    QFont::insertSubstitution(QStringLiteral("MS PGothic"), proportional);
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), fixed);
    QFont::insertSubstitution(QStringLiteral("MS Gothic"), fixed);
}

void setApplicationFont() {
    installFontSubstitutions();
    QApplication::setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
}

} // namespace toolkit
