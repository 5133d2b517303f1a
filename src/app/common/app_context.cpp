#include "app/common/app_context.h"
#include "app/common/messages.h"
#include "app/common/native_path.h"
#include "base/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace tarn {

QString AppContext::userConfigFolder() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(base)) // relative values are to be ignored
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/tarn");
}

bool AppContext::keepsFilesBeside() const {
    if (!shared_->beside) {
        const QByteArray native = QFile::encodeName(programFolder);
        struct stat st {};
        const QString path = QFileInfo(programFolder).canonicalFilePath();
        shared_->beside = ::stat(native.constData(), &st) == 0 && st.st_uid == ::geteuid() &&
                          ::access(native.constData(), W_OK) == 0 &&
                          !(path + QLatin1Char('/')).startsWith(QStringLiteral("/usr/")) &&
                          !path.endsWith(QLatin1StringView(kInstalledPartsFolder));
    }
    return *shared_->beside;
}

QString AppContext::workingFolder() const {
    if (keepsFilesBeside())
        return programFolder;
    QDir().mkpath(userConfigFolder());
    return userConfigFolder();
}

const IniStore& AppContext::ini() const {
    if (!shared_->store) {
        const std::string folder = toNative(programFolder);
        const std::string config = toNative(userConfigFolder());
        if (keepsFilesBeside()) {
            shared_->store = IniStore::forProgram(folder, executableBaseName.toStdString(), config);
        } else {
            // The file beside the program, if any, still seeds the user's first one.
            const IniStore beside(folder, executableBaseName.toStdString());
            const std::string name = beside.path().substr(beside.path().rfind('/') + 1);
            shared_->store = IniStore::at(joinPath(config, name), beside.path());
        }
    }
    return *shared_->store;
}

void AppContext::putSetting(QWidget* parent, const char* section, const char* key,
                            const QString& value) const {
    const Status status = ini().store(section, key, value.toStdString());
    if (status.ok()) {
        shared_->failureShown = false;
        return;
    }
    if (shared_->failureShown)
        return;
    shared_->failureShown = true;
    showMessage(parent, QMessageBox::Warning,
                QCoreApplication::translate("AppContext",
                                            "設定を設定ファイル「%1」に保存できませんでした。\n%2")
                    .arg(fromNative(ini().path()), errorText(status)));
}

void AppContext::reportUnreadableSettings(QWidget* parent) const {
    const Status status = ini().readStatus();
    if (status.ok() || status.error == ENOENT || shared_->unreadableShown)
        return;
    shared_->unreadableShown = true;
    showMessage(parent, QMessageBox::Warning,
                QCoreApplication::translate("AppContext",
                                            "設定ファイル「%1」を読み込めません。\n%2\n"
                                            "記憶したフォルダは使えません。")
                    .arg(fromNative(ini().path()), errorText(status)));
}

void AppContext::removeLeftovers() const {
    for (const QString& folder : {workingFolder(), mySystemFolder()})
        removeStaleTemporaries(toNative(folder));
    removeStaleTemporaries(folderOf(ini().path()));
}

} // namespace tarn
