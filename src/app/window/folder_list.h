#pragma once

#include <QTreeWidget>

namespace tarn {

// The folder list: the current folder's ancestors from "/" down, each opened
// under the one before, and its subfolders below it. A double click (or Enter)
// on an entry moves there.
class FolderList : public QTreeWidget {
    Q_OBJECT

  public:
    explicit FolderList(QWidget* parent = nullptr);

    // Absolute, no trailing "/" except for "/" itself; empty before the first setPath.
    QString path() const { return path_; }

    // Moves to a folder. False, with nothing changed, when it cannot be entered.
    // pathChanged follows only when the folder differs from the one shown.
    bool setPath(const QString& folder);

    // Reads the current folder again.
    void reread();
    // The current folder's files as the last reading found them, by name.
    const QStringList& files() const { return files_; }

  signals:
    void pathChanged(const QString& path);

  private:
    void enterItem(QTreeWidgetItem* item);

    QString path_;
    QStringList files_;
};

} // namespace tarn
