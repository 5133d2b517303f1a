#include "app/window/edit_names.h"

#include <QCoreApplication>

namespace tarn {

QString editName(EditKind kind) {
    const char* source = "";
    switch (kind) {
    case EditKind::ChoosePart:
        source = QT_TRANSLATE_NOOP("EditNames", "パーツの選択");
        break;
    case EditKind::ClearSlot:
        source = QT_TRANSLATE_NOOP("EditNames", "クリア");
        break;
    case EditKind::ClearAll:
        source = QT_TRANSLATE_NOOP("EditNames", "オールクリア");
        break;
    case EditKind::InsertObject:
        source = QT_TRANSLATE_NOOP("EditNames", "挿入");
        break;
    case EditKind::DeleteObject:
        source = QT_TRANSLATE_NOOP("EditNames", "削除");
        break;
    case EditKind::MirrorObject:
        source = QT_TRANSLATE_NOOP("EditNames", "反転");
        break;
    case EditKind::ToggleLayer:
        source = QT_TRANSLATE_NOOP("EditNames", "F/T の切り替え");
        break;
    case EditKind::MoveObject:
        source = QT_TRANSLATE_NOOP("EditNames", "移動");
        break;
    case EditKind::ExchangeRows:
        source = QT_TRANSLATE_NOOP("EditNames", "入れ替え");
        break;
    case EditKind::Gray:
        source = QT_TRANSLATE_NOOP("EditNames", "グレースケール");
        break;
    case EditKind::Sepia:
        source = QT_TRANSLATE_NOOP("EditNames", "セピア");
        break;
    case EditKind::Recompose:
        source = QT_TRANSLATE_NOOP("EditNames", "再描画");
        break;
    case EditKind::Replace:
        source = QT_TRANSLATE_NOOP("EditNames", "置き換え");
        break;
    }
    return QCoreApplication::translate("EditNames", source);
}

} // namespace tarn
