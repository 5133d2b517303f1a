// The dungeon window's export: every view into the scenario folder, with a
// progress bar and a cancel button, and one message at the end.
#include "app/window/frm_dungeon.h"

#include "app/window/frm_main.h"

#include "app/cli/batch_render.h"
#include "app/common/messages.h"
#include "app/common/native_path.h"
#include "app/common/user_action.h"
#include "app/window/map_view.h"
#include "dungeon/dungeon_export.h"
#include "export/export_procedure.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>

namespace tarn {

void FrmDungeon::runExport() {
    const auto tell = [this](QMessageBox::Icon icon, const QString& text) {
        showMessage(this, icon, text);
    };
    bool whole = false;
    const int first = txtFirstArea_->text().trimmed().toInt(&whole);
    if (!whole || first < kFirstAreaNumber || first > kLastAreaNumber) {
        tell(QMessageBox::Warning, tr("最初のエリア番号は %1 から %2 までの整数にしてください。")
                                       .arg(kFirstAreaNumber)
                                       .arg(kLastAreaNumber));
        return;
    }
    const QString folder = QDir::cleanPath(txtFolder_->text().trimmed());
    if (txtFolder_->text().trimmed().isEmpty()) {
        tell(QMessageBox::Warning, tr("シナリオフォルダを選んでください。"));
        return;
    }

    DungeonRequest request;
    request.folder = toNative(folder);
    request.mapFile = toNative(QFileInfo(txtMap_->text()).fileName());
    request.packFile = toNative(QFileInfo(txtPack_->text()).fileName());
    request.firstArea = first;
    request.flatten = chkFlatten_->isChecked();
    // Exported here before: its areas are usually what the author means to
    // renew, keeping the numbers other events lead to.
    const std::string index = dungeonIndexName(mapView_->map().name);
    if (QFileInfo(folder + QLatin1Char('/') + fromNative(index)).isFile()) {
        QMessageBox ask(QMessageBox::Question, QStringLiteral("Tarn"),
                        tr("このフォルダには「%1」を前に書き出してあります。\n"
                           "そのエリアを置き換えますか？"
                           "「いいえ」なら最初のエリア番号から新しく書き出します。")
                            .arg(fromNative(index)),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
        ask.setDefaultButton(QMessageBox::Yes);
        ask.setEscapeButton(QMessageBox::Cancel);
        const int answer = ask.exec();
        if (answer == QMessageBox::Cancel)
            return;
        if (answer == QMessageBox::Yes) {
            request.replace = true;
            request.firstArea.reset(); // the index's
        }
    }
    // The reports come on this thread, where the bar and the cancel button live.
    request.threads = 1;
    request.progress = [this](int done, int total) {
        prgExport_->setMaximum(total);
        prgExport_->setValue(done);
        QCoreApplication::processEvents();
        return !cancelled_;
    };

    DungeonResult result;
    bool cancelled = false;
    cancelled_ = false;
    setExporting(true);
    runUserAction(this, [&] {
        PartCache& parts = *parts_;
        result = exportDungeon(
            mapView_->map(), pack_,
            [&parts](const std::string& path, PartKind kind) { return parts.image(path, kind); },
            request);
        cancelled = result.code == StatusCode::Stopped;
    });
    setExporting(false);
    prgExport_->reset();
    // The main window closed meanwhile: the program is ending.
    if (!main_.isVisible()) {
        close();
        return;
    }

    if (cancelled) {
        tell(QMessageBox::Information, tr("書き出しを中止しました。フォルダは元のままです。"));
        return;
    }
    if (!result.ok()) {
        tell(QMessageBox::Warning, dungeonProblemText(result, false) + QLatin1Char('\n') +
                                       tr("何も書き出していません。"));
        return;
    }
    QString text = tr("%1 エリア（%2〜%3）を書き出しました。開始エリアは %4 です。")
                       .arg(result.views)
                       .arg(result.firstArea)
                       .arg(result.lastArea)
                       .arg(result.startArea);
    text += QLatin1Char('\n') + (result.summaryWritten ? tr("Summary.wsm を書き出しました。")
                                                       : tr("Summary.wsm はそのままです。"));
    tell(QMessageBox::Information, text);
    // The next export goes above these areas.
    proposeFirstArea();
}

} // namespace tarn
