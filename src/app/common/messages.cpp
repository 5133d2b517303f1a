#include "app/common/messages.h"

#include <QCoreApplication>
#include <QFile>

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
    case StatusCode::Ok:
    case StatusCode::System:
        return errorDescription(status.error);
    case StatusCode::NotRegularFile:
        return tr("「%1」は通常のファイルではないため、書き込めません。")
            .arg(QFile::decodeName(QByteArray::fromStdString(status.file)));
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
    }
    return {};
}

QString sceneOpenFailure(const SceneFileStatus& status) {
    const QString file = QString::fromStdString(status.file);
    switch (status.problem) {
    case SceneFileProblem::TooLarge:
        return tr("シーンファイル「%1」は大きすぎるため開けませんでした。").arg(file);
    case SceneFileProblem::Damaged:
        return tr("シーンファイル「%1」は壊れているため開けませんでした。").arg(file);
    case SceneFileProblem::NotAScene:
        return tr("「%1」は Tarn のシーンファイルではありません。").arg(file);
    case SceneFileProblem::NewerVersion:
        return tr("シーンファイル「%1」は新しいバージョンの Tarn で保存されているため"
                  "開けませんでした。")
            .arg(file);
    case SceneFileProblem::Unreadable:
        if (status.error == EISDIR)
            return tr("「%1」はフォルダーです。シーンファイルを指定してください。").arg(file);
        break;
    case SceneFileProblem::None:
    case SceneFileProblem::WriteFailed:
        break;
    }
    return tr("シーンファイル「%1」を開けませんでした。\n%2")
        .arg(file, errorDescription(status.error));
}

QString outOfMemoryText() {
    return tr("メモリが足りないため、この操作を取り消しました。");
}

} // namespace tarn
