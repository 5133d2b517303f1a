#pragma once

#include <QString>
#include <QStringList>

#include <string>

class QCoreApplication;

namespace tarn {

// "ja" or "en". Japanese for a locale name starting with "ja" and when no
// language is named at all ("", "C", "POSIX"); English for any other language.
QString languageOfLocale(const QString& localeName);

// The language the environment asks for: the locale of LC_ALL, LC_MESSAGES or
// LANG, the first one set.
QString environmentLanguage();
// The languages `--lang` takes.
QStringList languages();
bool isLanguage(const std::string& name);

// Loads the program's and Qt's own translations for a language into the
// application; Japanese is the language the texts are written in. The
// program's own are compiled into it. False when a file could not be found.
bool installTranslations(QCoreApplication& app, const QString& language);

} // namespace tarn
