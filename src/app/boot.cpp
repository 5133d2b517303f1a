#include "app/boot.h"

#include "app/app_context.h"
#include "app/command_line.h"
#include "app/frm_boot.h"
#include "app/frm_main.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QScreen>

namespace tarn {

int BOOT(QApplication& app) {
    const CommandLine command = parseCommandLine(QCoreApplication::arguments());
    const AppContext context(
        programFolderFor(QCoreApplication::applicationDirPath()),
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toLower());

    QPointer<FrmBoot> boot = new FrmBoot(FrmBoot::Mode::Startup);
    boot->setAttribute(Qt::WA_DeleteOnClose);
    if (const QScreen* screen = app.primaryScreen())
        boot->move(screen->availableGeometry().center() - boot->rect().center());
    boot->show();
    QCoreApplication::processEvents();

    FrmMain main(context);
    bool loaded = false;
    bool tickSeen = false;
    auto showMain = [&] {
        if (boot)
            boot->close();
        main.show();
        main.activateWindow();
    };
    // A tick that comes while the load still waits on a message box is held
    // until the load is over.
    QObject::connect(boot, &FrmBoot::dismissed, &main, [&] {
        if (loaded)
            showMain();
        else
            tickSeen = true;
    });
    main.load();
    // A scene that cannot be opened leaves its message and an empty scene.
    if (!command.scene.isEmpty())
        main.openScene(command.scene);
    loaded = true;
    if (tickSeen)
        showMain();
    return app.exec();
}

} // namespace tarn
