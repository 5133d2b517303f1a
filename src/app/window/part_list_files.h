#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace tarn {

class ListBox;

// The part lists lst(0) .. lst(5) filled from a folder's file names: each list
// shows its parts' entries and keeps each entry's real file name under
// `fileNameRole` (so "X.BMP" is opened as it is).
class PartListFiles {
  public:
    PartListFiles(std::function<ListBox*(int)> list, int fileNameRole);

    void fill(const QStringList& files) const;
    // The file behind an entry in `folder`; "" for no such row.
    QString path(const QString& folder, int list, int row) const;

  private:
    std::function<ListBox*(int)> list_;
    int fileNameRole_;
};

} // namespace tarn
