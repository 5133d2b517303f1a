#include "app/common/messages.h"

#include "app/common/native_path.h"
#include "export/cw_writers.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QStringList>

#include <cerrno>
#include <cstring>

namespace tarn {

namespace {
QString tr(const char* text) {
    // The context lupdate gives a free tr() call in namespace tarn.
    return QCoreApplication::translate("tarn", text);
}
} // namespace

QString errorDescription(int error) {
    switch (error) {
    case 0:
        return tr("正常に終了しました。");
    case ENOENT:
        return tr("ファイルまたはフォルダーが見つかりません。");
    case EACCES:
    case EPERM:
        return tr("アクセスが拒否されました。");
    case ENOSPC:
        return tr("ディスクの空き容量が不足しています。");
    case EDQUOT:
        return tr("ディスクの割り当て容量を超えました。");
    case EROFS:
        return tr("読み取り専用のファイルシステムです。");
    case EISDIR:
        return tr("同じ名前のフォルダーが存在します。");
    case ENOTDIR:
        return tr("パスの途中がフォルダーではありません。");
    case ENAMETOOLONG:
        return tr("ファイル名が長すぎます。");
    case EIO:
        return tr("入出力エラーが発生しました。");
    case EFBIG:
        return tr("ファイルが大きすぎます。");
    case ENODEV: // what the core reports for a pipe or a device in a file's place
        return tr("通常のファイルではありません。");
    case EWOULDBLOCK:
        return tr("ほかのプログラムが使用中です。");
    case ENOMEM:
        return tr("メモリが不足しています。");
    default:
        return QString::fromUtf8(std::strerror(error));
    }
}

QString statusDescription(const Status& status) {
    switch (status.code) {
    case StatusCode::NotRegularFile:
        return tr("「%1」は通常のファイルではないため、書き込めません。")
            .arg(fromNative(status.file));
    case StatusCode::BmpTruncated:
        return tr("ビットマップファイルが途中で切れています。");
    case StatusCode::NotBmp:
        return tr("ビットマップファイルではありません。");
    case StatusCode::BmpBadFileHeader:
        return tr("ビットマップファイルのヘッダーが壊れています。");
    case StatusCode::BmpUnsupportedHeader:
        return tr("対応していない形式のビットマップです。");
    case StatusCode::BmpUnsupportedFormat:
        return tr("24ビットの非圧縮ビットマップではありません。");
    case StatusCode::BmpBadSize:
        return tr("ビットマップの大きさが正しくありません。");
    default:
        break;
    }
    return errorDescription(status.error);
}

QString errorText(const Status& status) {
    return tr("%1（エラー番号 %2）").arg(statusDescription(status), QString::number(status.error));
}

QString sceneOpenFailure(const Status& status) {
    const QString file = fromNative(status.file);
    switch (status.code) {
    case StatusCode::SceneTooLarge:
        return tr("シーンファイル「%1」は大きすぎるため開けませんでした。").arg(file);
    case StatusCode::SceneDamaged:
        return tr("シーンファイル「%1」は壊れているため開けませんでした。").arg(file);
    case StatusCode::NotAScene:
        return tr("「%1」は Tarn のシーンファイルではありません。").arg(file);
    case StatusCode::SceneNewerVersion:
        return tr("シーンファイル「%1」は新しいバージョンの Tarn で保存されているため"
                  "開けませんでした。")
            .arg(file);
    case StatusCode::SceneUnreadable:
        if (status.error == EISDIR)
            return tr("「%1」はフォルダーです。シーンファイルを指定してください。").arg(file);
        break;
    default:
        break;
    }
    return tr("シーンファイル「%1」を開けませんでした。\n%2")
        .arg(file, errorDescription(status.error));
}

QString sceneSaveFailure(const Status& status) {
    return QCoreApplication::translate("tarn::FrmMain",
                                       "シーンファイル「%1」を保存できませんでした。\n%2")
        .arg(fromNative(status.file), statusDescription(status));
}

QString pictureWriteFailure(const Status& status) {
    return QCoreApplication::translate("SaveAs", "エラー番号 %1 %2")
        .arg(status.error)
        .arg(statusDescription(status));
}

QString exportProblemText(const ExportResult& result, bool commandLine) {
    const QString subject = fromNative(result.file);
    switch (result.code) {
    case StatusCode::NumberOutOfRange:
        return QCoreApplication::translate("tarn::FrmWrite",
                                           "エリア番号「%1」は使えません。\n"
                                           "%2 から %3 までの整数にしてください。")
            .arg(subject)
            .arg(kFirstAreaNumber)
            .arg(kLastAreaNumber);
    case StatusCode::BadPartName: {
        const QString character = QString::fromUtf8(result.character);
        // A control character shows as its code, as it has no picture.
        const bool visible = character.size() > 0 && character.at(0).isPrint();
        const QString shown =
            visible
                ? QStringLiteral("「%1」").arg(character)
                : QStringLiteral("U+%1").arg(character.isEmpty() ? 0 : character.at(0).unicode(), 4,
                                             16, QLatin1Char('0'));
        return QCoreApplication::translate(
                   "tarn::FrmWrite", "「%1」の文字 %2 は CardWirth のファイル名に使えません。\n"
                                     "部品の名前を変えてください。何も書き出していません。")
            .arg(subject, shown);
    }
    case StatusCode::AreaExists:
        // The window asks instead whether to replace it.
        if (commandLine)
            return QCoreApplication::translate(
                       "CommandLine",
                       "「%1」はすでにあります。置き換えるときは --replace を付けてください。")
                .arg(subject);
        break;
    case StatusCode::AreaNumberTaken:
        return QCoreApplication::translate(
                   "tarn::FrmWrite", "このエリア番号は「%1」がすでに使っています。\n"
                                     "別の番号にするか、既存ファイルとして上書きしてください。")
            .arg(subject);
    case StatusCode::FolderMissing:
        return QCoreApplication::translate("tarn::FrmWrite",
                                           "保存場所のフォルダ「%1」が見つかりません。\n"
                                           "存在するフォルダを指定してください。")
            .arg(subject);
    case StatusCode::FolderNotWritable:
        return QCoreApplication::translate("tarn::FrmWrite",
                                           "保存場所のフォルダ「%1」に書き込めません。\n"
                                           "書き込みのできるフォルダを指定してください。")
            .arg(subject);
    case StatusCode::SourceMissing:
        return QCoreApplication::translate("tarn::FrmWrite",
                                           "部品のビットマップ「%1」が見つかりません。\n"
                                           "何も書き出していません。")
            .arg(subject);
    case StatusCode::BadNumber:
        return QCoreApplication::translate("tarn::FrmWrite",
                                           "エリア番号「%1」は整数ではありません。\n"
                                           "整数を入力してください。")
            .arg(subject);
    case StatusCode::ExportWriteFailed:
        return QCoreApplication::translate("tarn::FrmWrite",
                                           "エラー発生！\n「%1」を書き込めませんでした。\n%2\n"
                                           "エリアファイルは書き出していません。")
            .arg(subject, errorText(result));
    default:
        break;
    }
    return {};
}

QString exportWrittenText(const ExportResult& result) {
    QStringList files;
    for (const std::string& file : result.written)
        files << QStringLiteral("  ") + fromNative(file);
    return QCoreApplication::translate(
               "tarn::FrmWrite", "エリア %1「%2」を書き出しました。\n\n書き出したファイル:\n%3")
        .arg(result.area)
        .arg(QString::fromStdString(areaName(result.area)), files.join('\n'));
}

namespace {

// "file, line 2, column 3", "file, at layers[0].data" or the file alone.
QString placeOf(const std::string& file, int line, int column, const std::string& jsonPath) {
    const QString name = fromNative(file);
    if (line > 0 && column > 0)
        return QCoreApplication::translate("Dungeon", "「%1」の %2 行 %3 列目")
            .arg(name, QString::number(line), QString::number(column));
    if (line > 0)
        return QCoreApplication::translate("Dungeon", "「%1」の %2 行目")
            .arg(name, QString::number(line));
    if (!jsonPath.empty())
        return QCoreApplication::translate("Dungeon", "「%1」の %2")
            .arg(name, QString::fromStdString(jsonPath));
    return QCoreApplication::translate("Dungeon", "「%1」").arg(name);
}

QString badJsonText(const QString& place, const std::string& detail) {
    return QCoreApplication::translate("Dungeon", "%1：JSON として読めません。\n%2")
        .arg(place, QString::fromStdString(detail));
}

} // namespace

QString dungeonFileText(const DungeonFileResult& r) {
    const QString place = placeOf(r.file, r.line, r.column, r.jsonPath);
    const QString detail = QString::fromStdString(r.detail);
    switch (r.code) {
    case StatusCode::MapUnreadable:
        return QCoreApplication::translate("Dungeon",
                                           "地図ファイル「%1」を読み込めませんでした。\n%2")
            .arg(fromNative(r.file), errorText(r));
    case StatusCode::MapUnknownFormat:
        return QCoreApplication::translate("Dungeon", "「%1」は地図ファイルではありません。.txt、."
                                                      "tmj、.json のいずれかを選んでください。")
            .arg(fromNative(r.file));
    case StatusCode::EvenLineCount:
        return QCoreApplication::translate(
                   "Dungeon", "%1：行の数が偶数です。地図は枠の線で始まり、枠の線で終わります。")
            .arg(place);
    case StatusCode::Tab:
        return QCoreApplication::translate("Dungeon",
                                           "%1：タブは使えません。空白を使ってください。")
            .arg(place);
    case StatusCode::UnknownCharacter:
        return QCoreApplication::translate("Dungeon", "%1：この位置に「%2」は使えません。")
            .arg(place, detail);
    case StatusCode::NoStart:
        return QCoreApplication::translate("Dungeon",
                                           "%1：開始位置がありません（テキストの地図では ^ > v <、"
                                           "Tiled の地図では名前が start のオブジェクト）。")
            .arg(place);
    case StatusCode::TwoStarts:
        return QCoreApplication::translate("Dungeon",
                                           "%1：開始位置が二つ目です。開始位置は一つだけです。")
            .arg(place);
    case StatusCode::StartOnRock:
        return QCoreApplication::translate("Dungeon", "%1：開始位置が岩のマスにあります。")
            .arg(place);
    case StatusCode::MapTooLarge:
        return QCoreApplication::translate("Dungeon",
                                           "%1：地図が大きすぎます（縦横とも %2 マスまで）。")
            .arg(place, QString::number(kMaxMapSide));
    case StatusCode::MapEmpty:
        return QCoreApplication::translate("Dungeon", "%1：地図にマスがありません。").arg(place);
    case StatusCode::MapBadJson:
    case StatusCode::PackBadJson:
        return badJsonText(place, r.detail);
    case StatusCode::NotOrthogonal:
        return QCoreApplication::translate("Dungeon",
                                           "%1：直交（orthogonal）のマップではありません（%2）。")
            .arg(place, detail);
    case StatusCode::NoTileLayer:
        return QCoreApplication::translate("Dungeon", "%1：タイルレイヤーがありません。")
            .arg(place);
    case StatusCode::BadLayerData:
        return QCoreApplication::translate(
                   "Dungeon",
                   "%1：タイルレイヤーのデータが壊れているか、マップの大きさと合いません。")
            .arg(place);
    case StatusCode::UnsupportedCompression:
        return QCoreApplication::translate(
                   "Dungeon", "%1：圧縮形式「%2」には対応していません。Tiled で圧縮なし、zlib、"
                              "gzip のいずれかにして保存してください。")
            .arg(place, detail);
    case StatusCode::XmlTileset:
        return QCoreApplication::translate(
                   "Dungeon", "%1：XML のタイルセット「%2」は読めません。Tiled でタイルセットを"
                              "マップに埋め込むか、JSON（.tsj）で保存してください。")
            .arg(place, detail);
    case StatusCode::TilesetUnreadable:
        return QCoreApplication::translate("Dungeon",
                                           "%1：タイルセット「%2」を読み込めませんでした。\n%3")
            .arg(place, fromNative(r.detail), errorText(r));
    case StatusCode::BadStart:
        return QCoreApplication::translate("Dungeon", "%1：開始位置が地図の外にあります。")
            .arg(place);
    case StatusCode::BadFacing:
        return QCoreApplication::translate(
                   "Dungeon",
                   "%1：開始位置の向き（facing）を N、E、S、W のいずれかにしてください。")
            .arg(place);
    case StatusCode::BadField:
        return QCoreApplication::translate("Dungeon", "%1：値がないか、値の種類が違います。")
            .arg(place);
    case StatusCode::PackUnreadable:
        return QCoreApplication::translate("Dungeon",
                                           "パーツパック「%1」を読み込めませんでした。\n%2")
            .arg(fromNative(r.file), errorText(r));
    case StatusCode::NotAPack:
        return QCoreApplication::translate("Dungeon", "「%1」はダンジョンのパーツパック（format が "
                                                      "tarn-dungeon-pack）ではありません。")
            .arg(fromNative(r.file));
    case StatusCode::PackNewerVersion:
        return QCoreApplication::translate("Dungeon",
                                           "パーツパック「%1」は新しいバージョンの Tarn 用です。")
            .arg(fromNative(r.file));
    case StatusCode::PackBadEntry:
        return QCoreApplication::translate(
                   "Dungeon", "%1：パーツの指定が正しくありません。パーツはファイル名の文字列で、"
                              "near_front と far_front は part、x、y を持つオブジェクトです。")
            .arg(place);
    default:
        break;
    }
    return {};
}

QString missingRolesText(const std::vector<PartRole>& roles) {
    QStringList keys;
    for (const PartRole role : roles)
        keys << QString::fromLatin1(partRoleKey(role));
    return QCoreApplication::translate("Dungeon", "地図が使うパーツがパーツパックにありません：%1")
        .arg(keys.join(QCoreApplication::translate("Dungeon", "、")));
}

QString unreadablePartText(const std::string& file) {
    return QCoreApplication::translate("Dungeon", "パーツ「%1」を読み込めませんでした。")
        .arg(fromNative(file));
}

QString dungeonProblemText(const DungeonResult& r, bool commandLine) {
    const QString subject = fromNative(r.file);
    switch (r.code) {
    case StatusCode::FolderUnusable:
        return QCoreApplication::translate("tarn::FrmDungeon", "フォルダ「%1」を使えません。\n%2")
            .arg(subject, errorText(r));
    case StatusCode::IndexUnreadable:
        return QCoreApplication::translate("tarn::FrmDungeon", "「%1」を読めません。")
                   .arg(subject) +
               (commandLine ? QLatin1Char('\n') + QCoreApplication::translate(
                                                      "DungeonCommand",
                                                      "--replace は前に書き出した迷宮の索引から"
                                                      "置き換えるエリアを知ります。")
                            : QString());
    case StatusCode::AreaTaken:
        return (commandLine
                    ? QCoreApplication::translate(
                          "DungeonCommand",
                          "エリア番号 %1 は「%2」がすでに使っています。--first-area で"
                          "空いている番号から始めてください。")
                    : QCoreApplication::translate(
                          "tarn::FrmDungeon", "エリア番号 %1 は「%2」がすでに使っています。\n"
                                              "最初のエリア番号を空いている番号にしてください。"))
            .arg(r.number)
            .arg(subject);
    case StatusCode::AreasOutOfRange:
        return QCoreApplication::translate("tarn::FrmDungeon",
                                           "エリア番号 %1〜%2 は %3〜%4 に収まりません。")
            .arg(r.number)
            .arg(r.lastNumber)
            .arg(kFirstAreaNumber)
            .arg(kLastAreaNumber);
    case StatusCode::DungeonBadName:
        return QCoreApplication::translate("tarn::FrmDungeon",
                                           "「%1」の文字「%2」は CardWirth で使えません。")
            .arg(subject, QString::fromStdString(r.character));
    case StatusCode::PartUnreadable:
        return unreadablePartText(r.file);
    case StatusCode::DungeonWriteFailed:
        return QCoreApplication::translate("tarn::FrmDungeon", "「%1」に書き込めません。\n%2")
                   .arg(subject, errorText(r)) +
               (commandLine ? QLatin1Char('\n') +
                                  QCoreApplication::translate(
                                      "DungeonCommand",
                                      "書き込んだファイルは取り除き、フォルダを元に戻しました。")
                            : QString());
    default:
        break;
    }
    return {};
}

QString renderFailure(const SceneOpenResult& result, const std::string& output) {
    switch (result.status.code) {
    case StatusCode::PartsMissing: {
        QStringList files;
        for (const std::string& path : result.missing)
            files << fromNative(path);
        return QCoreApplication::translate("CommandLine", "部品を読み込めません: %1")
            .arg(files.join(QStringLiteral(", ")));
    }
    case StatusCode::SceneUnreadable:
    case StatusCode::SceneTooLarge:
    case StatusCode::SceneDamaged:
    case StatusCode::NotAScene:
    case StatusCode::SceneNewerVersion:
        return sceneOpenFailure(result.status);
    default: // the picture's write
        return QCoreApplication::translate("CommandLine", "%1 に書き込めません（%2）")
            .arg(fromNative(output), errorDescription(result.status.error));
    }
}

QString outOfMemoryText() {
    return tr("メモリが足りないため、この操作を取り消しました。");
}

QMessageBox::StandardButton showMessage(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& text, const QString& title,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace tarn
