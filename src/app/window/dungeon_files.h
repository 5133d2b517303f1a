#pragma once

#include "app/common/app_context.h"

#include <QCoreApplication>
#include <QString>

#include <functional>

class QGridLayout;
class QLineEdit;
class QWidget;

namespace tarn {

// The dungeon window's map, pack and scenario folder fields, each with its
// browse button, remembered in the settings as typed or browsed to.
class DungeonFiles {
    // Its words stay with the dungeon window's, where translators know them.
    Q_DECLARE_TR_FUNCTIONS(tarn::FrmDungeon)

  public:
    // Told after a field changed; folder says it was the scenario folder.
    using Changed = std::function<void(bool folder)>;

    // Fills the first three rows of the grid, with the values last remembered.
    DungeonFiles(AppContext context, QWidget* window, QGridLayout* grid, Changed changed);

    QString map() const;
    QString pack() const;
    QString folder() const;

  private:
    void fieldChanged(QLineEdit* field, const char* key);
    QString browse(const QString& title, const QString& current, const QString& filter);

    AppContext context_;
    QWidget* window_;
    Changed changed_;
    QLineEdit* txtMap_ = nullptr;
    QLineEdit* txtPack_ = nullptr;
    QLineEdit* txtFolder_ = nullptr;
};

} // namespace tarn
