#include "app/boot.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return tarn::BOOT(app);
}
