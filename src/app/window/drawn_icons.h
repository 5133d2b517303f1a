#pragma once

#include <QIcon>
#include <QString>

class QRect;
class QToolButton;
class QWidget;

namespace tarn {

enum class Glyph { Insert, Delete, MirrorLeftRight, MirrorUpDown };

// The object buttons' icons, drawn here so that no picture files are needed.
QIcon drawnIcon(Glyph glyph);

// A tool button showing a drawn icon, with its objectName, tooltip and place.
QToolButton* makeIconButton(QWidget* parent, const QString& name, Glyph glyph, const QString& tip,
                            const QRect& place);

} // namespace tarn
