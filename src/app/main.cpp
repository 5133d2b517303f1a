#include "app/boot.h"
#include "app/geometry_dump.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tarn::installGeometryDump();
    return tarn::BOOT(app);
}
