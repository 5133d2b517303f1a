#include "app/window/path_panel.h"

#include "app/common/messages.h"
#include "app/window/folder_list.h"
#include "app/window/folder_listing.h"
#include "app/window/list_box.h"
#include "base/paths.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

namespace tarn {

namespace {

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

PathPanel::PathPanel(AppContext context, const QRect& place, ActionRunner run, FilesListed listed,
                     QWidget* parent)
    : QFrame(parent), context_(std::move(context)), run_(std::move(run)),
      listed_(std::move(listed)),
      driveProbe_([](const QString& drive) { return canEnterFolder(drive); }) {
    setObjectName(QStringLiteral("Frame"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAutoFillBackground(true);
    setGeometry(place);

    auto* memoryHead = new QLabel(tr("記憶"), this);
    memoryHead->setObjectName(QStringLiteral("lblMemory"));
    memoryHead->setGeometry(26, 10, 60, 18);
    auto* readHead = new QLabel(tr("呼び出し"), this);
    readHead->setObjectName(QStringLiteral("lblRead"));
    readHead->setGeometry(88, 10, 70, 18);

    // Slot buttons in two columns of three each, as M1-M3 | M4-M6 and R1-R3 | R4-R6.
    for (int i = 0; i < 6; ++i) {
        const int top = 30 + (i % 3) * 18;
        const int column = i / 3;
        QPushButton* memory =
            makeSlotButton(this, QStringLiteral("cmdMemory(%1)").arg(i),
                           QStringLiteral("M%1").arg(i + 1), QRect(26 + column * 26, top, 27, 19));
        QPushButton* read =
            makeSlotButton(this, QStringLiteral("cmdRead(%1)").arg(i),
                           QStringLiteral("R%1").arg(i + 1), QRect(88 + column * 26, top, 27, 19));
        for (QPushButton* button : {memory, read}) {
            button->setMouseTracking(true);
            button->installEventFilter(this);
        }
        connect(memory, &QPushButton::clicked, this, [this, i] { remember(i); });
        connect(read, &QPushButton::clicked, this, [this, i] { recall(i); });
        cmdMemory_[static_cast<std::size_t>(i)] = memory;
        cmdRead_[static_cast<std::size_t>(i)] = read;
    }
    QPushButton* cmdBack = makeSlotButton(this, QStringLiteral("cmdBack"), QStringLiteral("Back"),
                                          QRect(148, 64, 45, 21));
    connect(cmdBack, &QPushButton::clicked, this, [this] { back(); });

    drv_ = new QComboBox(this);
    drv_->setObjectName(QStringLiteral("drv"));
    drv_->setGeometry(8, 100, 188, 24);
    connect(drv_, &QComboBox::activated, this, [this](int index) {
        run_([&] {
            const QString drive = drv_->itemText(index);
            if (drive != shownDrive_)
                driveChange(drive);
        });
    });

    lblFolder_ = new QLabel(this);
    lblFolder_->setObjectName(QStringLiteral("lblFolder"));
    lblFolder_->setWordWrap(true);
    lblFolder_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblFolder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblFolder_->setGeometry(8, 132, 188, 140);

    dir_ = new FolderList(this);
    dir_->setObjectName(QStringLiteral("dir"));
    dir_->setGeometry(202, 6, 150, height() - 12);
    connect(dir_, &FolderList::pathChanged, this, [this] { run_([this] { listFolder(); }); });

    flb_ = new QListWidget(this);
    flb_->setObjectName(QStringLiteral("flb"));
    showWholeTextOnHover(flb_);
    flb_->setGeometry(356, 6, width() - 362, height() - 12);
    // One line of text each: laid out without measuring every entry.
    flb_->setUniformItemSizes(true);
}

void PathPanel::setOpenChanged(std::function<void(bool)> handler) {
    openChanged_ = std::move(handler);
}

void PathPanel::setDriveProbe(std::function<bool(const QString&)> probe) {
    driveProbe_ = std::move(probe);
}

QString PathPanel::currentFolder() const {
    return dir_->path();
}

bool PathPanel::start(const std::optional<QString>& remembered) {
    fillDriveList();
    const QString program = cleanFolderPath(context_.programFolder);
    // The drive as listing the program folder shows it, without listing it
    // when the remembered folder is to be shown.
    if (canEnterFolder(program))
        selectDrive(driveOf(program));
    pathBuff_ = drv_->currentText();
    if (remembered && changeFolder(*remembered))
        return true;
    changeFolder(program);
    return !remembered;
}

bool PathPanel::changeFolder(const QString& folder) {
    // The folder list checks the folder; its pathChanged selects the drive.
    return dir_->setPath(folder);
}

void PathPanel::reread() {
    dir_->reread();
    listFolder();
}

void PathPanel::listFolder() {
    const QString folder = currentFolder();
    selectDrive(driveOf(folder));
    lblFolder_->setText(folder);
    flb_->clear();
    // The folder list's own reading of the folder: one pass serves both.
    const QStringList& files = dir_->files();
    flb_->addItems(files);
    listed_(files);
}

void PathPanel::fillDriveList() {
    const QString shown = shownDrive_;
    drv_->clear();
    drv_->addItems(listDrives());
    if (!shown.isEmpty())
        selectDrive(shown);
}

void PathPanel::selectDrive(const QString& drive) {
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

void PathPanel::driveChange(const QString& drive) {
    QString target = drive;
    for (;;) {
        if (driveProbe_(target) && changeFolder(target))
            return;
        // Paths are case-sensitive here, so the drive text is shown as it is.
        if (showMessage(window(), QMessageBox::Critical,
                        QString::fromStdString(trimpath(target.toStdString())) +
                            tr("/ にアクセスできません。\n"
                               "デバイスの準備ができていません。"),
                        QStringLiteral("Tarn"),
                        QMessageBox::Retry | QMessageBox::Cancel) != QMessageBox::Retry) {
            target = pathBuff_;
            selectDrive(pathBuff_);
        }
    }
}

void PathPanel::showPathNotFound() {
    showMessage(window(), QMessageBox::Warning,
                tr("指定したパスが見つかりません。\n"
                   "記憶された後に何らかの変更があったと思われます。\n"));
}

void PathPanel::toggle() {
    if (!open_) {
        setOpen(true);
        fillDriveList();
        show();
        raise();
    } else {
        setOpen(false);
        hide();
    }
}

void PathPanel::closePanel() {
    if (!isVisible())
        return;
    hide();
    setOpen(false);
}

void PathPanel::setOpen(bool open) {
    open_ = open;
    if (openChanged_)
        openChanged_(open);
}

void PathPanel::remember(int index) {
    run_(
        [&] { context_.putSetting(window(), "MemData", slotKey(index).c_str(), currentFolder()); });
}

void PathPanel::recall(int index) {
    run_([&] {
        const std::string stored = context_.ini().getini("MemData", slotKey(index), kNothingStored);
        if (stored != kNothingStored && !changeFolder(QString::fromStdString(stored)))
            showPathNotFound();
    });
}

void PathPanel::showSlotPath(QPushButton* button, int index) {
    const std::string stored = context_.ini().getini("MemData", slotKey(index), kNothingStored);
    if (stored != kNothingStored)
        button->setToolTip(QString::fromStdString(stored));
}

void PathPanel::back() {
    run_([this] {
        const QString folder = currentFolder();
        const int last = folder.lastIndexOf(QLatin1Char('/'));
        if (last >= 0)
            changeFolder(folder.left(last + 1));
    });
}

bool PathPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        for (int i = 0; i < 6; ++i) {
            if (watched == cmdMemory_[static_cast<std::size_t>(i)])
                showSlotPath(cmdMemory_[static_cast<std::size_t>(i)], i);
            else if (watched == cmdRead_[static_cast<std::size_t>(i)])
                showSlotPath(cmdRead_[static_cast<std::size_t>(i)], i);
        }
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace tarn
