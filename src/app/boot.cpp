#include "app/boot.h"

#include "app/app_context.h"
#include "app/command_line.h"
#include "app/frm_boot.h"
#include "app/frm_main.h"
#include "app/user_action.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <new>

namespace tarn {

void setPlatformOptions() {
    // On X, Qt waits for the server to finish with a shared-memory image
    // before it paints over the same place again: a round trip at every frame
    // of a drag. A drag's frames are a few thousand pixels, cheaper sent in
    // the request itself.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
}

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
    runUserAction(&main, [&] {
        main.load();
        // A scene that cannot be opened leaves its message and an empty scene.
        if (!command.scene.isEmpty())
            main.openScene(command.scene);
    });
    loaded = true;
    if (tickSeen)
        showMain();
    try {
        return app.exec();
    } catch (const std::bad_alloc&) {
        // Past every action's own handler, so Qt's state is not to be trusted:
        // the unsaved scene is written beside the settings, and nothing shown.
        try {
            if (main.document().isModified()) {
                const QByteArray path =
                    QFile::encodeName(context.workingFolder() + QStringLiteral("/recovered.tarn"));
                if (writeSceneFile(path.toStdString(), main.document().fileData()).ok())
                    std::fprintf(stderr, "tarn: out of memory; the scene was kept in %s\n",
                                 path.constData());
            }
        } catch (const std::bad_alloc&) {
        }
        return EXIT_FAILURE;
    }
}

} // namespace tarn
