#include "app/window/window_memory.h"

#include "app/common/app_context.h"

#include <QWidget>

#include <algorithm>

namespace tarn {

namespace {

constexpr int kMaxRememberedSide = 8192;
constexpr const char* kProgramFolder = "App.Path";

} // namespace

WindowMemory::WindowMemory(AppContext& context) : context_(context) {}

QSize WindowMemory::size(const QSize& least) const {
    const auto remembered = [this](const char* key) {
        return std::min(QString::fromStdString(context_.ini().getini("Window", key, "0")).toInt(),
                        kMaxRememberedSide);
    };
    return QSize(remembered("Width"), remembered("Height")).expandedTo(least);
}

std::optional<QString> WindowMemory::folder() const {
    const std::string folder = context_.ini().getini("MemData", "MofFirst", kProgramFolder);
    if (folder == kProgramFolder)
        return std::nullopt;
    return QString::fromStdString(folder);
}

void WindowMemory::keep(QWidget* window, const QString& folder) const {
    context_.putSetting(window, "MemData", "MofFirst", folder);
    context_.putSetting(window, "Window", "Width", QString::number(window->width()));
    context_.putSetting(window, "Window", "Height", QString::number(window->height()));
}

} // namespace tarn
