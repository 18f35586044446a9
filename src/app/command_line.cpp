#include "app/command_line.h"

namespace app {

namespace {
const QString kUsage = QStringLiteral("使い方: ugoki [ビデオファイル]");
}

CommandLine readCommandLine(const QStringList& arguments) {
    CommandLine line;
    bool options = true;
    for (const QString& argument : arguments) {
        if (options && argument == QLatin1String("--")) {
            options = false;
        } else if (options &&
                   (argument == QLatin1String("--help") || argument == QLatin1String("-h"))) {
            return {CommandLine::Action::Help,
                    {},
                    kUsage + QStringLiteral("  ビデオに撮った物体の動きを測ります。")};
        } else if (options && argument == QLatin1String("--version")) {
            return {CommandLine::Action::Version, {}, QStringLiteral("Ugoki " UGOKI_VERSION)};
        } else if (options && argument.startsWith(u'-') && argument.size() > 1) {
            return {
                CommandLine::Action::Refuse,
                {},
                QStringLiteral("ugoki: %1 というオプションはありません。%2").arg(argument, kUsage)};
        } else if (!line.file.isEmpty()) {
            return {CommandLine::Action::Refuse,
                    {},
                    QStringLiteral("ugoki: 開けるビデオは一度に一つです。%1").arg(kUsage)};
        } else {
            line.file = argument;
        }
    }
    return line;
}

} // namespace app
