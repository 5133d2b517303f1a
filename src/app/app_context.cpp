#include "app/app_context.h"
#include "app/messages.h"
#include "base/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>

#include <cerrno>

#include <unistd.h>

namespace tarn {

namespace {

QString fromNative(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

void warn(QWidget* parent, const QString& message) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarn"), message, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

QString AppContext::userConfigFolder() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(base)) // relative values are to be ignored
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/tarn");
}

QString AppContext::workingFolder() const {
    if (::access(QFile::encodeName(programFolder).constData(), W_OK) == 0)
        return programFolder;
    QDir().mkpath(userConfigFolder());
    return userConfigFolder();
}

const IniStore& AppContext::ini() const {
    if (!shared_->store)
        shared_->store = IniStore::forProgram(QFile::encodeName(programFolder).toStdString(),
                                              executableBaseName.toStdString(),
                                              QFile::encodeName(userConfigFolder()).toStdString());
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
    warn(parent,
         QCoreApplication::translate(
             "AppContext", "設定を設定ファイル「%1」に保存できませんでした。\n%2（エラー番号 %3）")
             .arg(fromNative(ini().path()), statusDescription(status),
                  QString::number(status.error)));
}

void AppContext::reportUnreadableSettings(QWidget* parent) const {
    const Status status = ini().readStatus();
    if (status.ok() || status.error == ENOENT || shared_->unreadableShown)
        return;
    shared_->unreadableShown = true;
    warn(parent, QCoreApplication::translate(
                     "AppContext", "設定ファイル「%1」を読み込めません。\n%2（エラー番号 %3）\n"
                                   "記憶したフォルダは使えません。")
                     .arg(fromNative(ini().path()), statusDescription(status),
                          QString::number(status.error)));
}

void AppContext::removeLeftovers() const {
    for (const QString& folder : {programFolder, mySystemFolder()})
        removeStaleTemporaries(QFile::encodeName(folder).toStdString());
    removeStaleTemporaries(folderOf(ini().path()));
}

} // namespace tarn
