#include "app/boot.h"
#include "app/command_line.h"
#include "app/geometry_dump.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    if (const int status = tarn::runCommand(argc, argv); status >= 0)
        return status;
    QApplication app(argc, argv);
    tarn::installGeometryDump();
    return tarn::BOOT(app);
}
