#include "app/boot.h"
#include "app/cli/command_line.h"
#include "app/common/language.h"
#include "app/window/geometry_dump.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    tarn::CommandLine window;
    if (const int status = tarn::runCommand(argc, argv, window); status >= 0)
        return status;
    tarn::setPlatformOptions();
    // The arguments are the program's own: Qt is given none of them.
    int noArguments = 1;
    QApplication app(noArguments, argv);
    tarn::installTranslations(app, window.language);
    tarn::installGeometryDump();
    return tarn::BOOT(app, window);
}
