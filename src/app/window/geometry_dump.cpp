// Exists for the end-to-end test: it tells where each control is on the
// screen, so the test can click it without guessing. Lines read
//   <window>/<control> x y width height
//   <window>/<list>[<row text>] x y width height
// and the window itself as "<window> x y width height" (its client area).
#include "app/window/geometry_dump.h"

#include "base/file_write.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace tarn {

namespace {

QString line(const QString& name, const QWidget* widget, const QRect& local) {
    const QPoint at = widget->mapToGlobal(local.topLeft());
    return QStringLiteral("%1 %2 %3 %4 %5\n")
        .arg(name)
        .arg(at.x())
        .arg(at.y())
        .arg(local.width())
        .arg(local.height());
}

QString describeScreen() {
    QString text;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        const QString windowName = window->objectName().isEmpty()
                                       ? QString::fromLatin1(window->metaObject()->className())
                                       : window->objectName();
        text += line(windowName, window, window->rect());
        for (QWidget* child : window->findChildren<QWidget*>()) {
            if (child->objectName().isEmpty() || !child->isVisible())
                continue;
            const QString name = windowName + QLatin1Char('/') + child->objectName();
            text += line(name, child, child->rect());
            if (auto* list = qobject_cast<QListWidget*>(child)) {
                for (int r = 0; r < list->count(); ++r) {
                    const QRect row =
                        list->visualItemRect(list->item(r)).intersected(list->viewport()->rect());
                    if (!row.isEmpty())
                        text +=
                            line(name + QLatin1Char('[') + list->item(r)->text() + QLatin1Char(']'),
                                 list->viewport(), row);
                }
            }
        }
    }
    return text;
}

} // namespace

void installGeometryDump() {
    const QByteArray target = qgetenv("TARN_GEOMETRY_DUMP");
    if (target.isEmpty())
        return;
    auto* timer = new QTimer(qApp);
    auto written = std::make_shared<QByteArray>();
    QObject::connect(timer, &QTimer::timeout, [target, written] {
        const QByteArray text = describeScreen().toUtf8();
        if (text == *written)
            return;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.constData());
        if (writeFileAtomically(target.toStdString(),
                                {bytes, static_cast<std::size_t>(text.size())}, Durability::Scratch)
                .ok())
            *written = text;
    });
    timer->start(50);
}

} // namespace tarn
