#include "app/common/dungeon_messages.h"

#include "app/common/messages.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

namespace tarn {

namespace {

QString nativeText(const std::string& text) {
    return QFile::decodeName(QByteArray::fromStdString(text));
}

// "file, line 2, column 3", "file, at layers[0].data" or the file alone.
QString placeOf(const std::string& file, int line, int column, const std::string& jsonPath) {
    const QString name = nativeText(file);
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

QString ioText(const Status& io) {
    return QCoreApplication::translate("Dungeon", "%1（エラー番号 %2）")
        .arg(statusDescription(io), QString::number(io.error));
}

QString badJsonText(const QString& place, const std::string& detail) {
    return QCoreApplication::translate("Dungeon", "%1：JSON として読めません。\n%2")
        .arg(place, QString::fromStdString(detail));
}

} // namespace

QString mapProblemText(const MapResult& r) {
    const QString place = placeOf(r.file, r.line, r.column, r.jsonPath);
    const QString detail = QString::fromStdString(r.detail);
    switch (r.problem) {
    case MapProblem::None:
        break;
    case MapProblem::Unreadable:
        return QCoreApplication::translate("Dungeon",
                                           "地図ファイル「%1」を読み込めませんでした。\n%2")
            .arg(nativeText(r.file), ioText(r.io));
    case MapProblem::UnknownFormat:
        return QCoreApplication::translate("Dungeon", "「%1」は地図ファイルではありません。.txt、."
                                                      "tmj、.json のいずれかを選んでください。")
            .arg(nativeText(r.file));
    case MapProblem::EvenLineCount:
        return QCoreApplication::translate(
                   "Dungeon", "%1：行の数が偶数です。地図は枠の線で始まり、枠の線で終わります。")
            .arg(place);
    case MapProblem::Tab:
        return QCoreApplication::translate("Dungeon",
                                           "%1：タブは使えません。空白を使ってください。")
            .arg(place);
    case MapProblem::UnknownCharacter:
        return QCoreApplication::translate("Dungeon", "%1：この位置に「%2」は使えません。")
            .arg(place, detail);
    case MapProblem::NoStart:
        return QCoreApplication::translate("Dungeon",
                                           "%1：開始位置がありません（テキストの地図では ^ > v <、"
                                           "Tiled の地図では名前が start のオブジェクト）。")
            .arg(place);
    case MapProblem::TwoStarts:
        return QCoreApplication::translate("Dungeon",
                                           "%1：開始位置が二つ目です。開始位置は一つだけです。")
            .arg(place);
    case MapProblem::StartOnRock:
        return QCoreApplication::translate("Dungeon", "%1：開始位置が岩のマスにあります。")
            .arg(place);
    case MapProblem::TooLarge:
        return QCoreApplication::translate("Dungeon",
                                           "%1：地図が大きすぎます（縦横とも %2 マスまで）。")
            .arg(place, QString::number(kMaxMapSide));
    case MapProblem::Empty:
        return QCoreApplication::translate("Dungeon", "%1：地図にマスがありません。").arg(place);
    case MapProblem::BadJson:
        return badJsonText(place, r.detail);
    case MapProblem::NotOrthogonal:
        return QCoreApplication::translate("Dungeon",
                                           "%1：直交（orthogonal）のマップではありません（%2）。")
            .arg(place, detail);
    case MapProblem::NoTileLayer:
        return QCoreApplication::translate("Dungeon", "%1：タイルレイヤーがありません。")
            .arg(place);
    case MapProblem::BadLayerData:
        return QCoreApplication::translate(
                   "Dungeon",
                   "%1：タイルレイヤーのデータが壊れているか、マップの大きさと合いません。")
            .arg(place);
    case MapProblem::UnsupportedCompression:
        return QCoreApplication::translate(
                   "Dungeon", "%1：圧縮形式「%2」には対応していません。Tiled で圧縮なし、zlib、"
                              "gzip のいずれかにして保存してください。")
            .arg(place, detail);
    case MapProblem::XmlTileset:
        return QCoreApplication::translate(
                   "Dungeon", "%1：XML のタイルセット「%2」は読めません。Tiled でタイルセットを"
                              "マップに埋め込むか、JSON（.tsj）で保存してください。")
            .arg(place, detail);
    case MapProblem::TilesetUnreadable:
        return QCoreApplication::translate("Dungeon",
                                           "%1：タイルセット「%2」を読み込めませんでした。\n%3")
            .arg(place, nativeText(r.detail), ioText(r.io));
    case MapProblem::BadStart:
        return QCoreApplication::translate("Dungeon", "%1：開始位置が地図の外にあります。")
            .arg(place);
    case MapProblem::BadFacing:
        return QCoreApplication::translate(
                   "Dungeon",
                   "%1：開始位置の向き（facing）を N、E、S、W のいずれかにしてください。")
            .arg(place);
    case MapProblem::BadField:
        return QCoreApplication::translate("Dungeon", "%1：値がないか、値の種類が違います。")
            .arg(place);
    }
    return {};
}

QString packProblemText(const PackResult& r) {
    const QString place = placeOf(r.file, r.line, r.column, r.jsonPath);
    switch (r.problem) {
    case PackProblem::None:
        break;
    case PackProblem::Unreadable:
        return QCoreApplication::translate("Dungeon",
                                           "パーツパック「%1」を読み込めませんでした。\n%2")
            .arg(nativeText(r.file), ioText(r.io));
    case PackProblem::BadJson:
        return badJsonText(place, r.detail);
    case PackProblem::NotAPack:
        return QCoreApplication::translate("Dungeon", "「%1」はダンジョンのパーツパック（format が "
                                                      "tarn-dungeon-pack）ではありません。")
            .arg(nativeText(r.file));
    case PackProblem::NewerVersion:
        return QCoreApplication::translate("Dungeon",
                                           "パーツパック「%1」は新しいバージョンの Tarn 用です。")
            .arg(nativeText(r.file));
    case PackProblem::BadEntry:
        return QCoreApplication::translate(
                   "Dungeon", "%1：パーツの指定が正しくありません。パーツはファイル名の文字列で、"
                              "near_front と far_front は part、x、y を持つオブジェクトです。")
            .arg(place);
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
        .arg(nativeText(file));
}

} // namespace tarn
