#pragma once

#include "base/paths.h"
#include "settings/ini_store.h"

#include <QDir>
#include <QString>

#include <memory>
#include <optional>

class QWidget;

namespace tarn {

// Where the program lives, and its settings. main() fills it from the
// executable; tests point it at a temporary folder. Copies share one settings
// store, so reads are cached across the whole window.
class AppContext {
  public:
    AppContext() = default;
    AppContext(QString programFolder, QString executableBaseName)
        : programFolder(std::move(programFolder)),
          executableBaseName(std::move(executableBaseName)) {}

    QString programFolder;      // no trailing "/"
    QString executableBaseName; // e.g. "tarn"

    // The folder that holds MySystem: the program folder when it is the user's
    // own (see keepsFilesBeside), else userConfigFolder().
    QString workingFolder() const;
    // Whether settings and working files live in the program folder: only when
    // it is writable, owned by the user, and neither under /usr nor an
    // installed program's parts folder; so never for an installed program, even
    // when root runs it. Decided at the first use, for the life of the context.
    bool keepsFilesBeside() const;
    QString mySystemFolder() const {
        return QString::fromStdString(joinPath(workingFolder().toStdString(), "MySystem"));
    }
    // $XDG_CONFIG_HOME/tarn, else ~/.config/tarn: where the settings live when
    // the program folder cannot be written (an installed program).
    static QString userConfigFolder();

    // Made at the first use: beside the executable, or in userConfigFolder().
    const IniStore& ini() const;
    // Stores a setting. A failure is shown in words, once until a write
    // succeeds again, so a run of clicks does not bring a run of boxes.
    void putSetting(QWidget* parent, const char* section, const char* key,
                    const QString& value) const;
    // Says once that a settings file is there but cannot be read (a pipe, a
    // folder, far too large ...); its defaults are used meanwhile.
    void reportUnreadableSettings(QWidget* parent) const;
    // Removes the temporary files a killed run left in the folders the program
    // writes on its own: the program folder, MySystem and the settings' folder.
    void removeLeftovers() const;

  private:
    struct Shared {
        std::optional<IniStore> store;
        std::optional<bool> beside;
        bool failureShown = false;
        bool unreadableShown = false;
    };
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};

// The program folder for an executable in `executableFolder`: that folder, or
// for an installed program (<prefix>/bin/tarn) the folder of its sample parts,
// <prefix>/share/tarn/parts, which it then shows at start as it would its own.
inline constexpr char kInstalledPartsFolder[] = "/share/tarn/parts";
inline QString programFolderFor(const QString& executableFolder) {
    const QDir installed(executableFolder + QStringLiteral("/..") +
                         QLatin1StringView(kInstalledPartsFolder));
    if (QDir(executableFolder).dirName() == QStringLiteral("bin") && installed.exists())
        return QDir::cleanPath(installed.absolutePath());
    return executableFolder;
}

} // namespace tarn
