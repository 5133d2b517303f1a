#pragma once

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QString>

namespace tarn {

// Controls under the names the tests and the scripts find them by.

template <typename T> T* named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// Focus does not make it the default button.
inline QPushButton* makeButton(const char* name, const QString& caption) {
    auto* button = named(new QPushButton(caption), name);
    button->setAutoDefault(false);
    return button;
}

inline QLabel* makeLabel(const char* name, const QString& caption) {
    return named(new QLabel(caption), name);
}

inline QRadioButton* makeOption(const char* name, const QString& caption, QButtonGroup* group,
                                int id) {
    auto* option = named(new QRadioButton(caption), name);
    group->addButton(option, id);
    return option;
}

} // namespace tarn
