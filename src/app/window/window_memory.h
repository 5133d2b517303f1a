#pragma once

#include <QSize>
#include <QString>

#include <optional>

class QWidget;

namespace tarn {

class AppContext;

// What the main window keeps in the settings from one run to the next: its
// size and the folder it showed when it closed.
class WindowMemory {
  public:
    explicit WindowMemory(AppContext& context);

    // At least `least`: anything unreadable reads as 0, and a huge size is cut down.
    QSize size(const QSize& least) const;
    // None when the program folder is to be shown.
    std::optional<QString> folder() const;
    // Failures are told over `window`.
    void keep(QWidget* window, const QString& folder) const;

  private:
    AppContext& context_;
};

} // namespace tarn
