#include "app/boot.h"
#include "app/command_line.h"
#include "app/geometry_dump.h"
#include "app/language.h"

#include <QApplication>

#include <vector>

int main(int argc, char* argv[]) {
    std::vector<char*> arguments(argv, argv + argc);
    const QString language = tarn::takeLanguage(arguments);
    arguments.push_back(nullptr);
    argc = static_cast<int>(arguments.size()) - 1;
    argv = arguments.data();
    if (const int status = tarn::runCommand(argc, argv, language); status >= 0)
        return status;
    tarn::setPlatformOptions();
    QApplication app(argc, argv);
    tarn::installTranslations(app, language);
    tarn::installGeometryDump();
    return tarn::BOOT(app);
}
