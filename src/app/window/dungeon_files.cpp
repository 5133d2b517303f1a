#include "app/window/dungeon_files.h"

#include "app/common/named_widgets.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>

#include <tuple>
#include <utility>

namespace tarn {

namespace {

const char* const kSection = "Dungeon";

} // namespace

DungeonFiles::DungeonFiles(AppContext context, QWidget* window, QGridLayout* grid, Changed changed)
    : context_(std::move(context)), window_(window), changed_(std::move(changed)) {
    const auto addField = [&](int row, const QString& caption, const char* edit,
                              const char* button) {
        grid->addWidget(new QLabel(caption), row, 0);
        auto* text = named(new QLineEdit, edit);
        grid->addWidget(text, row, 1);
        auto* browse = makeButton(button, tr("参照..."));
        grid->addWidget(browse, row, 2);
        return std::pair{text, browse};
    };
    const auto [map, cmdMap] = addField(0, tr("マップ"), "txtMap", "cmdMap");
    const auto [pack, cmdPack] = addField(1, tr("パーツパック"), "txtPack", "cmdPack");
    const auto [folder, cmdFolder] = addField(2, tr("シナリオフォルダ"), "txtFolder", "cmdFolder");
    txtMap_ = map;
    txtPack_ = pack;
    txtFolder_ = folder;

    const std::tuple<QLineEdit*, QPushButton*, const char*, QString, QString> files[] = {
        {txtMap_, cmdMap, "Map", tr("マップを開く"), tr("マップ (*.txt *.tmj *.json)")},
        {txtPack_, cmdPack, "Pack", tr("パーツパックを開く"), tr("パーツパック (*.json)")},
        {txtFolder_, cmdFolder, "Folder", tr("シナリオフォルダの選択"), QString()}};
    for (const auto& file : files) {
        // Copies: lambdas cannot capture structured bindings everywhere (clang 14).
        QLineEdit* const field = std::get<0>(file);
        QPushButton* const button = std::get<1>(file);
        const char* const key = std::get<2>(file);
        const QString title = std::get<3>(file);
        const QString filter = std::get<4>(file);
        field->setText(QString::fromStdString(context_.ini().getini(kSection, key, "")));
        QObject::connect(field, &QLineEdit::editingFinished, window,
                         [this, field, key] { fieldChanged(field, key); });
        QObject::connect(button, &QPushButton::clicked, window, [this, field, key, title, filter] {
            const QString path = browse(title, field->text(), filter);
            if (path.isEmpty())
                return;
            field->setText(path);
            fieldChanged(field, key);
        });
    }
}

QString DungeonFiles::map() const {
    return txtMap_->text();
}

QString DungeonFiles::pack() const {
    return txtPack_->text();
}

QString DungeonFiles::folder() const {
    return txtFolder_->text();
}

QString DungeonFiles::browse(const QString& title, const QString& current, const QString& filter) {
    QFileDialog dialog(window_, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (filter.isEmpty()) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(filter);
    }
    const QFileInfo at(current);
    if (!current.isEmpty())
        dialog.setDirectory(at.isDir() ? at.absoluteFilePath() : at.absolutePath());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

void DungeonFiles::fieldChanged(QLineEdit* field, const char* key) {
    context_.putSetting(window_, kSection, key, field->text());
    changed_(field == txtFolder_);
}

} // namespace tarn
