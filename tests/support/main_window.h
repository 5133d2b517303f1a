#pragma once

// A main window on a throw-away program folder, driven as a user drives it:
// clicks on list rows and buttons, drags on the canvas, and what the canvas shows.
// A test class derives from it and makes `folder` in init(), drops `w` in cleanup().

#include "app/common/picture_io.h"
#include "app/window/canvas_view.h"
#include "app/window/frm_main.h"
#include "app/window/list_box.h"
#include "support/modal_script.h"
#include "support/program_folder.h"

#include <QAbstractButton>
#include <QAction>
#include <QMimeData>
#include <QtTest>

#include <functional>

#include <memory>

namespace tarn::test {

// Files dropped on a window from a file manager; `beforeDrop` runs once the drag is
// in. Whether the window took the drag.
inline bool dropOn(QWidget* window, const QList<QUrl>& urls,
                   const std::function<void()>& beforeDrop = {}) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(window, &enter);
    if (beforeDrop)
        beforeDrop();
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(window, &drop);
    return enter.isAccepted();
}

class MainWindowTest {
  protected:
    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<FrmMain> w;

    void open() {
        w = std::make_unique<FrmMain>(folder->context());
        w->load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    // Quits from the menu: how many times the program was told to exit.
    int quit() const {
        int exits = 0;
        w->setExitHandler([&exits] { ++exits; });
        action("mnuEnd")->trigger();
        w->setExitHandler([] {});
        return exits;
    }
    void activate() const {
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    template <typename T> T* get(const QString& name) const { return w->findChild<T*>(name); }
    QAction* action(const QString& name) const { return get<QAction>(name); }
    const QImage& canvas() const { return w->canvasView()->shownImage(); }
    Rgb shown(int x, int y) const { return fromQImage(canvas().copy(x, y, 1, 1)).pixel(0, 0); }

    void mouse(QTest::MouseAction action, int list, int row) const {
        const QRect place = w->lst(list)->visualItemRect(w->lst(list)->item(row));
        QTest::mouseEvent(action, w->lst(list)->viewport(), Qt::LeftButton, {}, place.center());
    }
    void click(int list, int row) const { mouse(QTest::MouseClick, list, row); }
    // An object row dragged onto another in the name column.
    void exchange(int from, int to) const {
        mouse(QTest::MousePress, 6, from);
        mouse(QTest::MouseMove, 6, to);
        mouse(QTest::MouseRelease, 6, to);
    }
    void button(const QString& name) const {
        QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton);
    }
    void insert(int partRow) const {
        click(0, partRow);
        button("cmd_ob(0)");
    }
    // Runs a menu command, answering its dialogs in turn; the dialogs it met.
    QStringList run(const QString& command, std::vector<ModalScript::Step> steps) const {
        ModalScript script(std::move(steps));
        action(command)->trigger();
        return boxes(script);
    }
    // One gesture in canvas pixels, sent to the window so that Qt's pointer grab
    // routes the moves: pressed at the first point, released at the last.
    void drag(const QList<QPoint>& path,
              const QList<Qt::MouseButton>& held = {Qt::LeftButton}) const {
        const auto at = [this](QPoint p) {
            return w->canvasView()->mapTo(w.get(),
                                          p + QPoint(CanvasView::kBorder, CanvasView::kBorder));
        };
        for (Qt::MouseButton b : held)
            QTest::mousePress(w->windowHandle(), b, {}, at(path.first()));
        for (const QPoint p : path)
            QTest::mouseMove(w->windowHandle(), at(p));
        for (Qt::MouseButton b : held)
            QTest::mouseRelease(w->windowHandle(), b, {}, at(path.last()));
    }
};

} // namespace tarn::test
