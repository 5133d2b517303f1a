// The path panel and the drive, folder and file lists on it: browsing, the
// remembered folders M1..M6 / R1..R6 and "Back".
#include "app/window/frm_main.h"

#include "app/window/canvas_view.h"
#include "app/window/folder_list.h"
#include "app/window/folder_listing.h"
#include "app/window/list_box.h"
#include "base/paths.h"
#include "scene/part_names.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>

#include <array>

namespace tarn {

namespace {

QString openCaption() {
    return QCoreApplication::translate("tarn::FrmMain", "パスの指定(&P)");
}
QString closeCaption() {
    return QCoreApplication::translate("tarn::FrmMain", "閉じる(&C)      ");
}
constexpr const char* kNothingStored = "App.Path";

std::string slotKey(int index) {
    return "Mof" + std::to_string(index);
}

QPushButton* makeSlotButton(QWidget* parent, const QString& name, const QString& caption,
                            const QRect& place) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(place);
    return button;
}

} // namespace

void FrmMain::buildPathPanel(QWidget* area) {
    frame_ = new QFrame(area);
    frame_->setObjectName(QStringLiteral("Frame"));
    frame_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame_->setAutoFillBackground(true);
    frame_->setGeometry(canvas_->geometry());

    auto* memoryHead = new QLabel(tr("記憶"), frame_);
    memoryHead->setObjectName(QStringLiteral("lblMemory"));
    memoryHead->setGeometry(26, 10, 60, 18);
    auto* readHead = new QLabel(tr("呼び出し"), frame_);
    readHead->setObjectName(QStringLiteral("lblRead"));
    readHead->setGeometry(88, 10, 70, 18);

    // Slot buttons in two columns of three each, as M1-M3 | M4-M6 and R1-R3 | R4-R6.
    for (int i = 0; i < 6; ++i) {
        const int top = 30 + (i % 3) * 18;
        const int column = i / 3;
        QPushButton* memory =
            makeSlotButton(frame_, QStringLiteral("cmdMemory(%1)").arg(i),
                           QStringLiteral("M%1").arg(i + 1), QRect(26 + column * 26, top, 27, 19));
        QPushButton* read =
            makeSlotButton(frame_, QStringLiteral("cmdRead(%1)").arg(i),
                           QStringLiteral("R%1").arg(i + 1), QRect(88 + column * 26, top, 27, 19));
        for (QPushButton* button : {memory, read}) {
            button->setMouseTracking(true);
            button->installEventFilter(this);
        }
        connect(memory, &QPushButton::clicked, this, [this, i] { onMemory(i); });
        connect(read, &QPushButton::clicked, this, [this, i] { onRead(i); });
        cmdMemory_[static_cast<std::size_t>(i)] = memory;
        cmdRead_[static_cast<std::size_t>(i)] = read;
    }
    QPushButton* back = makeSlotButton(frame_, QStringLiteral("cmdBack"), QStringLiteral("Back"),
                                       QRect(148, 64, 45, 21));
    connect(back, &QPushButton::clicked, this, &FrmMain::onBack);

    drv_ = new QComboBox(frame_);
    drv_->setObjectName(QStringLiteral("drv"));
    drv_->setGeometry(8, 100, 188, 24);
    connect(drv_, &QComboBox::activated, this, &FrmMain::onDriveChosen);

    lblFolder_ = new QLabel(frame_);
    lblFolder_->setObjectName(QStringLiteral("lblFolder"));
    lblFolder_->setWordWrap(true);
    lblFolder_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblFolder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblFolder_->setGeometry(8, 132, 188, 140);

    dir_ = new FolderList(frame_);
    dir_->setObjectName(QStringLiteral("dir"));
    dir_->setGeometry(202, 6, 150, frame_->height() - 12);
    connect(dir_, &FolderList::pathChanged, this, &FrmMain::folderChanged);

    flb_ = new QListWidget(frame_);
    flb_->setObjectName(QStringLiteral("flb"));
    showWholeTextOnHover(flb_);
    flb_->setGeometry(356, 6, frame_->width() - 362, frame_->height() - 12);
    // One line of text each: laid out without measuring every entry.
    flb_->setUniformItemSizes(true);
}

QString FrmMain::currentFolder() const {
    return dir_->path();
}

QString FrmMain::partPath(int list, int row) const {
    const ListBox* box = list >= 0 && list <= kSlotCount ? lst(list) : nullptr;
    const QListWidgetItem* item = box != nullptr ? box->item(row) : nullptr;
    if (item == nullptr)
        return {};
    return QString::fromStdString(joinPath(currentFolder().toStdString(),
                                           item->data(kFileNameRole).toString().toStdString()));
}

void FrmMain::setDriveProbe(std::function<bool(const QString&)> probe) {
    driveProbe_ = std::move(probe);
}

void FrmMain::setapppath() {
    fillDriveList();
    const QString program = cleanFolderPath(context_.programFolder);
    changeFolder(program);
    pathBuff_ = drv_->currentText();
}

bool FrmMain::changeFolder(const QString& folder) {
    const QString clean = cleanFolderPath(folder);
    if (!canEnterFolder(clean))
        return false;
    selectDrive(driveOf(clean));
    return dir_->setPath(clean);
}

void FrmMain::folderChanged() {
    act([this] { listFolder(); });
}

void FrmMain::listFolder() {
    const QString folder = currentFolder();
    selectDrive(driveOf(folder));
    lblFolder_->setText(folder);
    flb_->clear();
    // The folder list's own reading of the folder: one pass serves both.
    const QStringList& files = dir_->files();
    flb_->addItems(files);
    makelist(files);
}

void FrmMain::makelist(const QStringList& files) {
    std::array<QList<qsizetype>, kSlotCount + 1> rows;
    for (qsizetype f = 0; f < files.size(); ++f)
        if (const int list = partListOf(files[f].toStdString()); list >= 0)
            rows[static_cast<std::size_t>(list)].append(f);
    for (int i = 0; i <= kSlotCount; ++i) {
        const QList<qsizetype>& chosen = rows[static_cast<std::size_t>(i)];
        QStringList entries;
        entries.reserve(chosen.size());
        for (qsizetype f : chosen)
            entries.append(files[f].chopped(4)); // a part's name ends in ".bmp" in some case
        ListBox* list = lst(i);
        list->clear();
        // One insertion for all rows: a row at a time costs the view a pass each.
        list->addItems(entries);
        // The file names change no row's look, so the views need not hear of them.
        const QSignalBlocker quiet(list->model());
        for (qsizetype r = 0; r < chosen.size(); ++r)
            list->item(static_cast<int>(r))->setData(kFileNameRole, files[chosen[r]]);
    }
}

void FrmMain::fillDriveList() {
    const QString shown = shownDrive_;
    drv_->clear();
    drv_->addItems(listDrives());
    if (!shown.isEmpty())
        selectDrive(shown);
}

void FrmMain::selectDrive(const QString& drive) {
    if (drive.isEmpty())
        return;
    int index = drv_->findText(drive);
    if (index < 0) {
        // Mounted since the list was filled.
        drv_->addItem(drive);
        index = drv_->count() - 1;
    }
    drv_->setCurrentIndex(index);
    shownDrive_ = drive;
}

void FrmMain::onDriveChosen(int index) {
    act([&] {
        const QString drive = drv_->itemText(index);
        if (drive != shownDrive_)
            driveChange(drive);
    });
}

void FrmMain::driveChange(const QString& drive) {
    QString target = drive;
    for (;;) {
        if (driveProbe_(target) && changeFolder(target))
            return;
        // Paths are case-sensitive here, so the drive text is shown as it is.
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Tarn"),
                        QString::fromStdString(trimpath(target.toStdString())) +
                            tr("/ にアクセスできません。\n"
                               "デバイスの準備ができていません。"),
                        QMessageBox::Retry | QMessageBox::Cancel, this);
        if (box.exec() != QMessageBox::Retry) {
            target = pathBuff_;
            selectDrive(pathBuff_);
        }
    }
}

void FrmMain::showPathNotFound() {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarn"),
                    tr("指定したパスが見つかりません。\n"
                       "記憶された後に何らかの変更があったと思われます。\n"),
                    QMessageBox::Ok, this);
    box.exec();
}

void FrmMain::onTogglePath() {
    if (mnuPath_->text() == openCaption()) {
        mnuPath_->setText(closeCaption());
        fillDriveList();
        frame_->show();
        frame_->raise();
    } else if (mnuPath_->text() == closeCaption()) {
        mnuPath_->setText(openCaption());
        frame_->hide();
    }
}

void FrmMain::hidePathPanel() {
    if (!frame_->isVisible())
        return;
    frame_->hide();
    mnuPath_->setText(openCaption());
}

void FrmMain::onMemory(int index) {
    act([&] { context_.putSetting(this, "MemData", slotKey(index).c_str(), currentFolder()); });
}

void FrmMain::onRead(int index) {
    act([&] {
        const std::string stored = context_.ini().getini("MemData", slotKey(index), kNothingStored);
        if (stored != kNothingStored && !changeFolder(QString::fromStdString(stored)))
            showPathNotFound();
    });
}

void FrmMain::showSlotPath(QPushButton* button, int index) {
    const std::string stored = context_.ini().getini("MemData", slotKey(index), kNothingStored);
    if (stored != kNothingStored)
        button->setToolTip(QString::fromStdString(stored));
}

void FrmMain::onBack() {
    act([this] {
        const QString folder = currentFolder();
        const int last = folder.lastIndexOf(QLatin1Char('/'));
        if (last >= 0)
            changeFolder(folder.left(last + 1));
    });
}

} // namespace tarn
