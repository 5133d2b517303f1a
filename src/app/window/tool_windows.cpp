#include "app/window/tool_windows.h"

#include "app/dialogs/frm_boot.h"
#include "app/dialogs/frm_write.h"
#include "app/window/frm_dungeon.h"
#include "app/window/frm_main.h"

#include <QApplication>
#include <QDialog>
#include <QWindow>

namespace tarn {

namespace {

// A closed window may linger hidden until its deferred deletion, so only a
// visible one counts.
template <class Window> Window* shownChild(const QWidget& parent) {
    Window* shown = nullptr;
    for (Window* open : parent.findChildren<Window*>(QString(), Qt::FindDirectChildrenOnly))
        if (open->isVisible())
            shown = open;
    return shown;
}

void bringForward(QWidget* window) {
    window->raise();
    window->activateWindow();
}

} // namespace

ToolWindows::ToolWindows(FrmMain& window, SceneDocument& document, AppContext& context,
                         ActionRunner run)
    : window_(window), document_(document), context_(context), run_(std::move(run)) {}

ToolWindows::~ToolWindows() {
    if (versionScreen_)
        delete versionScreen_.data();
    qDeleteAll(window_.findChildren<FrmWrite*>(Qt::FindDirectChildrenOnly));
}

void ToolWindows::showExport() {
    FrmWrite* dialog = shownChild<FrmWrite>(window_);
    if (dialog == nullptr) {
        dialog = new FrmWrite(document_, context_, &window_);
        dialog->show();
    }
    bringForward(dialog);
}

void ToolWindows::showDungeon() {
    FrmDungeon* dungeon = shownChild<FrmDungeon>(window_);
    if (dungeon == nullptr) {
        run_([&] { dungeon = new FrmDungeon(window_, context_); });
        if (dungeon == nullptr)
            return;
        dungeon->show();
    }
    bringForward(dungeon);
}

void ToolWindows::showVersion() {
    if (!versionScreen_) {
        auto* screen = new FrmBoot(FrmBoot::Mode::Version);
        screen->setAttribute(Qt::WA_DeleteOnClose);
        screen->setWindowModality(Qt::NonModal);
        QObject::connect(screen, &FrmBoot::dismissed, &window_, [this] {
            if (versionScreen_)
                versionScreen_->close();
            window_.setEnabled(true);
            window_.activateWindow();
            window_.setFocus();
        });
        versionScreen_ = screen;
        screen->winId();
        if (QWindow* own = window_.windowHandle())
            screen->windowHandle()->setTransientParent(own);
        screen->move(window_.geometry().center() - screen->rect().center());
    }
    versionScreen_->show();
    versionScreen_->raise();
    versionScreen_->activateWindow();
    window_.setEnabled(false);
}

void ToolWindows::closeAll() {
    if (versionScreen_)
        versionScreen_->close();
    for (QWidget* window : QApplication::topLevelWidgets())
        if (qobject_cast<QDialog*>(window) != nullptr && window->isVisible())
            window->close();
}

} // namespace tarn
