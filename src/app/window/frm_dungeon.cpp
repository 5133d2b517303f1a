#include "app/window/frm_dungeon.h"

#include "app/cli/batch_render.h"
#include "app/common/messages.h"
#include "app/common/named_widgets.h"
#include "app/common/native_path.h"
#include "app/common/picture_io.h"
#include "app/common/user_action.h"
#include "app/window/dungeon_export_run.h"
#include "app/window/dungeon_files.h"
#include "app/window/frm_main.h"
#include "app/window/map_view.h"
#include "dungeon/dungeon_export.h"
#include "dungeon/dungeon_view.h"
#include "export/export_procedure.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace tarn {

namespace {

QString facingName(Facing d) {
    static const char* const names[] = {
        QT_TRANSLATE_NOOP("tarn::FrmDungeon", "北"), QT_TRANSLATE_NOOP("tarn::FrmDungeon", "東"),
        QT_TRANSLATE_NOOP("tarn::FrmDungeon", "南"), QT_TRANSLATE_NOOP("tarn::FrmDungeon", "西")};
    return FrmDungeon::tr(names[int(d)]);
}

} // namespace

FrmDungeon::FrmDungeon(FrmMain& main, const AppContext& context)
    : QDialog(&main), main_(main), context_(context), parts_(std::make_unique<PartCache>()) {
    setObjectName(QStringLiteral("frmDungeon"));
    setWindowTitle(tr("ダンジョン"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    buildControls();
    proposeFirstArea();
    loadDungeon();
    // The arrow keys walk from the first moment.
    mapView_->setFocus();
    // Beside the main window rather than over it, as far as the screen allows.
    adjustSize();
    const QRect screen = main.screen()->availableGeometry();
    const QPoint beside = main.frameGeometry().topRight() + QPoint(8, 0);
    move(std::max(screen.left(), std::min(beside.x(), screen.right() - frameGeometry().width())),
         std::max(screen.top(), beside.y()));
}

FrmDungeon::~FrmDungeon() = default;

void FrmDungeon::buildControls() {
    auto* fields = new QGridLayout;
    files_ = std::make_unique<DungeonFiles>(context_, this, fields, [this](bool folder) {
        if (folder)
            proposeFirstArea();
        else
            loadDungeon();
    });

    auto* options = new QHBoxLayout;
    options->addWidget(new QLabel(tr("最初のエリア番号")));
    txtFirstArea_ = named(new QLineEdit, "txtFirstArea");
    txtFirstArea_->setMaximumWidth(80);
    options->addWidget(txtFirstArea_);
    chkFlatten_ = named(new QCheckBox(tr("ビューごとに一枚の画像にする")), "chkFlatten");
    options->addWidget(chkFlatten_);
    options->addStretch();
    fields->addLayout(options, 3, 1, 1, 2);

    lblProblem_ = named(new QLabel, "lblProblem");
    lblProblem_->setWordWrap(true);
    lblProblem_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblProblem_->setStyleSheet(QStringLiteral("color: #b00000;"));

    mapView_ = new MapView;
    mapView_->setMinimumSize(kCanvasHeight, kCanvasHeight);
    lblWhere_ = named(new QLabel, "lblWhere");
    auto* left = new QVBoxLayout;
    left->addWidget(mapView_, 1);
    left->addWidget(lblWhere_);

    pctView_ = named(new QLabel, "pctView");
    pctView_->setFixedSize(kCanvasWidth, kCanvasHeight);
    pctView_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* right = new QVBoxLayout;
    right->addWidget(pctView_);
    right->addStretch();
    auto* views = new QHBoxLayout;
    views->addLayout(left, 1);
    views->addLayout(right);

    cmdOpenView_ = makeButton("cmdOpenView", tr("このビューをシーンとして開く"));
    cmdExport_ = makeButton("cmdExport", tr("書き出し"));
    export_ = std::make_unique<DungeonExportRun>(this, [this](bool on) { setExporting(on); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdOpenView_);
    buttons->addStretch();
    buttons->addWidget(export_->bar(), 1);
    buttons->addWidget(export_->cancelButton());
    buttons->addWidget(cmdExport_);

    auto* all = new QVBoxLayout(this);
    all->addLayout(fields);
    all->addWidget(lblProblem_);
    all->addLayout(views, 1);
    all->addLayout(buttons);

    connect(txtFirstArea_, &QLineEdit::textChanged, this, &FrmDungeon::showWhere);
    connect(mapView_, &MapView::moved, this, [this] {
        showView();
        showWhere();
    });
    connect(cmdOpenView_, &QPushButton::clicked, this, &FrmDungeon::openView);
    connect(cmdExport_, &QPushButton::clicked, this, &FrmDungeon::runExport);
}

void FrmDungeon::loadDungeon() {
    runUserAction(this, [this] {
        mapProblem_.clear();
        packProblem_.clear();
        DungeonMap map;
        mapRead_ = false;
        if (!files_->map().isEmpty()) {
            const MapResult read = readDungeonMap(toNative(files_->map()), map);
            mapRead_ = read.ok();
            if (!mapRead_) {
                map = {};
                mapProblem_ = dungeonFileText(read);
            }
        }
        pack_ = {};
        packRead_ = false;
        // A fresh cache: parts may have been redrawn since the last read.
        parts_ = std::make_unique<PartCache>();
        if (!files_->pack().isEmpty()) {
            const PackResult read = readDungeonPack(toNative(files_->pack()), pack_);
            packRead_ = read.ok();
            if (!packRead_)
                packProblem_ = dungeonFileText(read);
        }
        if (mapRead_ && packRead_) {
            const std::vector<PartRole> missing = missingRoles(map, pack_);
            if (!missing.empty()) {
                packRead_ = false;
                packProblem_ = missingRolesText(missing);
            }
        }
        // Shows the start, which shows its view.
        mapView_->setMap(map);
    });
}

void FrmDungeon::proposeFirstArea() {
    // As the command line proposes it.
    const QString folder = files_->folder();
    txtFirstArea_->setText(QString::number(firstAreaAbove(
        folder.isEmpty() ? std::vector<AreaFile>{} : listAreaFiles(toNative(folder)))));
}

void FrmDungeon::showView() {
    viewShown_ = false;
    viewProblem_.clear();
    if (mapRead_ && packRead_) {
        const ViewRoles roles = viewAt(mapView_->map(), mapView_->square(), mapView_->facing());
        std::string unreadable;
        PartCache& parts = *parts_;
        viewShown_ = sceneOfView(
            roles, pack_,
            [&parts](const std::string& path, PartKind kind) { return parts.image(path, kind); },
            view_, unreadable);
        if (!viewShown_)
            viewProblem_ = unreadablePartText(unreadable);
    }
    if (viewShown_) {
        pctView_->setPixmap(QPixmap::fromImage(toQImage(view_.canvas)));
    } else {
        view_ = Scene();
        pctView_->clear();
    }
    cmdOpenView_->setEnabled(viewShown_ && !export_->running());
    cmdExport_->setEnabled(mapRead_ && packRead_ && !export_->running());
    showProblems();
}

void FrmDungeon::showProblems() {
    QStringList problems;
    for (const QString& p : {mapProblem_, packProblem_, viewProblem_})
        if (!p.isEmpty())
            problems << p;
    lblProblem_->setText(problems.join(QLatin1Char('\n')));
}

void FrmDungeon::showWhere() {
    if (!mapView_->hasMap()) {
        lblWhere_->clear();
        return;
    }
    const Square s = mapView_->square();
    QString where = tr("(%1, %2) %3向き").arg(s.x).arg(s.y).arg(facingName(mapView_->facing()));
    bool numberRead = false;
    const int first = txtFirstArea_->text().trimmed().toInt(&numberRead);
    if (numberRead) {
        const std::vector<Square> floor = mapView_->map().floorSquares();
        const auto index = std::find(floor.begin(), floor.end(), s) - floor.begin();
        where += QStringLiteral("  ") +
                 tr("エリア %1").arg(dungeonAreaNumber(first, int(index), mapView_->facing()));
    }
    lblWhere_->setText(where);
}

void FrmDungeon::openView() {
    if (viewShown_)
        main_.openViewAsScene(view_);
}

void FrmDungeon::runExport() {
    const DungeonExportRun::Outcome outcome =
        export_->run({mapView_->map(), pack_, *parts_, files_->map(), files_->pack(),
                      files_->folder(), txtFirstArea_->text(), chkFlatten_->isChecked()},
                     [this] { return !main_.isVisible(); });
    // The main window closed meanwhile: the program is ending.
    if (outcome == DungeonExportRun::Outcome::WindowEnding)
        close();
    // The next export goes above these areas.
    else if (outcome == DungeonExportRun::Outcome::Written)
        proposeFirstArea();
}

void FrmDungeon::setExporting(bool exporting) {
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (child != export_->cancelButton() && child != export_->bar() && !child->isWindow())
            child->setEnabled(!exporting);
    if (!exporting)
        showView();
}

void FrmDungeon::closeEvent(QCloseEvent* event) {
    // The export stops first; its own clean-up leaves the folder as it was.
    if (export_->running()) {
        export_->cancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace tarn
