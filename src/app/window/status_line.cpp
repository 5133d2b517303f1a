#include "app/window/status_line.h"

#include "app/common/shown_scene_name.h"
#include "app/window/canvas_view.h"
#include "document/scene_document.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>

namespace tarn {

namespace {

// In painting order, as PaintLayer numbers them.
const char* const kLayerCaptions[kPaintLayerCount] = {
    QT_TRANSLATE_NOOP("tarn::FrmMain", "地面"),
    QT_TRANSLATE_NOOP("tarn::FrmMain", "奥の左側"),
    QT_TRANSLATE_NOOP("tarn::FrmMain", "奥の右側"),
    QT_TRANSLATE_NOOP("tarn::FrmMain", "オブジェクト (F)"),
    QT_TRANSLATE_NOOP("tarn::FrmMain", "手前の左側"),
    QT_TRANSLATE_NOOP("tarn::FrmMain", "手前の右側"),
    QT_TRANSLATE_NOOP("tarn::FrmMain", "オブジェクト (T)")};

QLabel* addLabel(QStatusBar* bar, const char* name, int stretch) {
    auto* label = new QLabel(bar);
    label->setObjectName(QString::fromLatin1(name));
    bar->addWidget(label, stretch);
    return label;
}

} // namespace

StatusLine::StatusLine(QMainWindow& window, const CanvasView& canvas, SceneDocument& document,
                       ActionRunner run)
    : QObject(&window), canvas_(canvas), document_(document), run_(std::move(run)) {
    QStatusBar* bar = window.statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setSizeGripEnabled(false);
    lblPointer_ = addLabel(bar, "lblPointer", 0);
    // A fixed size: the text changes at every move of a drag, and a label whose
    // size cannot change does not make the status bar lay itself out again.
    lblPointer_->setFixedSize(
        lblPointer_->fontMetrics().horizontalAdvance(QStringLiteral("000, 000")) + 8,
        lblPointer_->sizeHint().height());
    lblZoom_ = addLabel(bar, "lblZoom", 0);
    lblScene_ = addLabel(bar, "lblScene", 1);
    lblLayers_ = addLabel(bar, "lblLayers", 0);
    bar->setFixedHeight(bar->sizeHint().height());
    connect(&canvas, &CanvasView::mouseMoved, this,
            [this](QPoint position, Qt::MouseButtons) { showPointer(position); });
    connect(&canvas, &CanvasView::pointerLeft, this, [this] { showPointer({-1, -1}); });
}

void StatusLine::showPointer(QPoint position) {
    const bool on = QRect(0, 0, kCanvasWidth, kCanvasHeight).contains(position);
    lblPointer_->setText(on ? QStringLiteral("%1, %2").arg(position.x()).arg(position.y())
                            : QString());
}

void StatusLine::show() {
    lblZoom_->setText(tr("拡大率 %1倍").arg(canvas_.zoom()));
    lblScene_->setText(shownSceneName(document_));
    lblLayers_->setText(document_.shownLayers() == kAllLayers ? QString()
                                                              : tr("一部のレイヤーを隠しています"));
}

void StatusLine::buildLayerMenu(QMenu* menu) {
    for (int i = 0; i < kPaintLayerCount; ++i) {
        QAction* item = menu->addAction(tr(kLayerCaptions[i]));
        item->setObjectName(QStringLiteral("mnuLayer(%1)").arg(i + 1));
        item->setCheckable(true);
        item->setChecked(true);
        mnuLayers_[static_cast<std::size_t>(i)] = item;
        connect(item, &QAction::toggled, this, [this] {
            LayerSet shown = 0;
            for (int l = 0; l < kPaintLayerCount; ++l)
                if (mnuLayers_[static_cast<std::size_t>(l)]->isChecked())
                    shown |= layerBit(static_cast<PaintLayer>(l));
            run_([&] { document_.setShownLayers(shown); });
            show();
        });
    }
}

} // namespace tarn
