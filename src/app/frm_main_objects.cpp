// The object area: preview, insert, delete, the front-pass flag, mirroring,
// moving objects on the canvas and exchanging rows by dragging in lst(6).
#include "app/frm_main.h"

#include "app/list_box.h"

namespace tarn {

// Working state of the object area, kept for the life of the window.
struct ObjectArea {};

ObjectArea* newObjectArea() {
    return new ObjectArea;
}

void ObjectAreaDeleter::operator()(ObjectArea* area) const {
    delete area;
}

void FrmMain::onObjectPreview(int row) {
    // Object behaviour: to be filled in (preview of lst(0) row in pctOb).
    (void)row;
}

void FrmMain::onInsert() {
    // Object behaviour: to be filled in (insert).
}

void FrmMain::onDelete() {
    // Object behaviour: to be filled in (delete).
}

void FrmMain::onFlagChosen(int row) {
    // Object behaviour: to be filled in (toggle the front-pass flag).
    (void)row;
}

void FrmMain::onMirror(int direction) {
    // Object behaviour: to be filled in (mirror the current object).
    (void)direction;
}

void FrmMain::onCanvasMouseMove(QPoint position, Qt::MouseButtons buttons) {
    hidePathPanel();
    // Object behaviour: to be filled in (left-button drag moves the current object).
    (void)position;
    (void)buttons;
}

void FrmMain::onCanvasMousePress(QPoint position, Qt::MouseButton button,
                                 Qt::MouseButtons buttons) {
    (void)position;
    (void)button;
    (void)buttons;
}

void FrmMain::onCanvasMouseRelease(QPoint position, Qt::MouseButton button,
                                   Qt::MouseButtons buttons) {
    (void)position;
    (void)button;
    (void)buttons;
}

void FrmMain::onListMousePress(int index, Qt::MouseButton button, Qt::MouseButtons buttons) {
    // Object behaviour: to be filled in (left press on lst(6) records the drag origin).
    (void)index;
    (void)button;
    (void)buttons;
}

void FrmMain::onListMouseRelease(int index, Qt::MouseButton button, Qt::MouseButtons buttons) {
    // Object behaviour: to be filled in (release on lst(6) exchanges with the drag origin).
    (void)button;
    (void)buttons;
    // A release over any list brings its choice to the canvas.
    if (index >= 0 && index < kListCount)
        recompose();
}

} // namespace tarn
