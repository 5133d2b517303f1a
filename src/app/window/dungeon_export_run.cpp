#include "app/window/dungeon_export_run.h"

#include "app/cli/batch_render.h"
#include "app/common/messages.h"
#include "app/common/named_widgets.h"
#include "app/common/native_path.h"
#include "app/common/user_action.h"
#include "dungeon/dungeon_export.h"
#include "export/export_procedure.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressBar>

#include <utility>

namespace tarn {

DungeonExportRun::DungeonExportRun(QWidget* window, std::function<void(bool exporting)> exporting)
    : window_(window), exporting_(std::move(exporting)) {
    cmdCancel_ = makeButton("cmdCancel", tr("中止"));
    cmdCancel_->setEnabled(false);
    prgExport_ = named(new QProgressBar, "prgExport");
    prgExport_->setValue(0);
    prgExport_->setTextVisible(false);
    QObject::connect(cmdCancel_, &QPushButton::clicked, window, [this] { cancelled_ = true; });
}

void DungeonExportRun::setRunning(bool running) {
    running_ = running;
    exporting_(running);
    cmdCancel_->setEnabled(running);
}

DungeonExportRun::Outcome DungeonExportRun::run(const DungeonExportInput& input,
                                                const std::function<bool()>& windowEnding) {
    const auto tell = [this](QMessageBox::Icon icon, const QString& text) {
        showMessage(window_, icon, text);
    };
    bool whole = false;
    const int first = input.firstArea.trimmed().toInt(&whole);
    if (!whole || first < kFirstAreaNumber || first > kLastAreaNumber) {
        tell(QMessageBox::Warning, tr("最初のエリア番号は %1 から %2 までの整数にしてください。")
                                       .arg(kFirstAreaNumber)
                                       .arg(kLastAreaNumber));
        return Outcome::NotWritten;
    }
    const QString folder = QDir::cleanPath(input.folder.trimmed());
    if (input.folder.trimmed().isEmpty()) {
        tell(QMessageBox::Warning, tr("シナリオフォルダを選んでください。"));
        return Outcome::NotWritten;
    }

    DungeonRequest request;
    request.folder = toNative(folder);
    request.mapFile = toNative(QFileInfo(input.mapFile).fileName());
    request.packFile = toNative(QFileInfo(input.packFile).fileName());
    request.firstArea = first;
    request.flatten = input.flatten;
    // Exported here before: its areas are usually what the author means to
    // renew, keeping the numbers other events lead to.
    const std::string index = dungeonIndexName(input.map.name);
    if (QFileInfo(folder + QLatin1Char('/') + fromNative(index)).isFile()) {
        QMessageBox ask(QMessageBox::Question, QStringLiteral("Tarn"),
                        tr("このフォルダには「%1」を前に書き出してあります。\n"
                           "そのエリアを置き換えますか？"
                           "「いいえ」なら最初のエリア番号から新しく書き出します。")
                            .arg(fromNative(index)),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, window_);
        ask.setDefaultButton(QMessageBox::Yes);
        ask.setEscapeButton(QMessageBox::Cancel);
        const int answer = ask.exec();
        if (answer == QMessageBox::Cancel)
            return Outcome::NotWritten;
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
    setRunning(true);
    runUserAction(window_, [&] {
        PartCache& parts = input.parts;
        result = exportDungeon(
            input.map, input.pack,
            [&parts](const std::string& path, PartKind kind) { return parts.image(path, kind); },
            request);
        cancelled = result.code == StatusCode::Stopped;
    });
    setRunning(false);
    prgExport_->reset();
    if (windowEnding())
        return Outcome::WindowEnding;

    if (cancelled) {
        tell(QMessageBox::Information, tr("書き出しを中止しました。フォルダは元のままです。"));
        return Outcome::NotWritten;
    }
    if (!result.ok()) {
        tell(QMessageBox::Warning, dungeonProblemText(result, false) + QLatin1Char('\n') +
                                       tr("何も書き出していません。"));
        return Outcome::NotWritten;
    }
    QString text = tr("%1 エリア（%2〜%3）を書き出しました。開始エリアは %4 です。")
                       .arg(result.views)
                       .arg(result.firstArea)
                       .arg(result.lastArea)
                       .arg(result.startArea);
    text += QLatin1Char('\n') + (result.summaryWritten ? tr("Summary.wsm を書き出しました。")
                                                       : tr("Summary.wsm はそのままです。"));
    tell(QMessageBox::Information, text);
    return Outcome::Written;
}

} // namespace tarn
