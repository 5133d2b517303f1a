#include "app/common/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdlib>

namespace tarn {

QString languageOfLocale(const QString& localeName) {
    if (localeName.isEmpty() || localeName == QStringLiteral("C") ||
        localeName.startsWith(QStringLiteral("C.")) || localeName == QStringLiteral("POSIX") ||
        localeName.startsWith(QStringLiteral("ja")))
        return QStringLiteral("ja");
    return QStringLiteral("en");
}

QString environmentLanguage() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(variable); value != nullptr && *value != '\0')
            return languageOfLocale(QString::fromLocal8Bit(value));
    return languageOfLocale({});
}

QStringList languages() {
    return {QStringLiteral("ja"), QStringLiteral("en")};
}

bool isLanguage(const std::string& name) {
    return languages().contains(QString::fromStdString(name));
}

bool installTranslations(QCoreApplication& app, const QString& language) {
    if (language == QStringLiteral("ja")) {
        // The texts are Japanese already; Qt's own dialogs and buttons are not.
        auto* qt = new QTranslator(&app);
        const bool loaded = qt->load(QStringLiteral("qtbase_ja"),
                                     QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        if (loaded)
            QCoreApplication::installTranslator(qt);
        return loaded;
    }
    auto* own = new QTranslator(&app);
    if (!own->load(QStringLiteral(":/translations/tarn_") + language))
        return false;
    QCoreApplication::installTranslator(own);
    return true;
}

} // namespace tarn
