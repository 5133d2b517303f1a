#include "app/cli/usage_error.h"

#include "app/common/native_path.h"

#include <QCoreApplication>

#include <unistd.h>

#include <cstdio>

namespace tarn {

namespace {

class Words {
    Q_DECLARE_TR_FUNCTIONS(CommandLine)
};

} // namespace

void say(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fputc('\n', stderr);
}

int usageError(const QString& problem, const char* command) {
    say(QString::fromLatin1(command) + QStringLiteral(": ") + problem);
    say(Words::tr("詳しくは tarn --help を見てください。"));
    return kUsageError;
}

QString unknownOption(const QString& option) {
    return Words::tr("知らないオプションです: %1").arg(option);
}

QString unknownOption(const std::string& option) {
    return unknownOption(fromNative(option));
}

bool isTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

} // namespace tarn
