#pragma once

#include <QWidget>

#include <new>
#include <utility>

namespace tarn {

// Tells the user that an action was dropped for want of memory.
void reportOutOfMemory(QWidget* parent);

// Runs one action a user started. Qt's own frames are not exception safe, so a
// failed allocation is caught here, before it could unwind into the event
// loop, and reported in a box over `parent`. False when that happened.
template <typename Action> bool runUserAction(QWidget* parent, Action&& action) {
    try {
        std::forward<Action>(action)();
        return true;
    } catch (const std::bad_alloc&) {
        reportOutOfMemory(parent);
        return false;
    }
}

} // namespace tarn
