#include "app/boot.h"

#include "app/cli/command_line.h"
#include "app/common/app_context.h"
#include "app/common/recovered_scenes.h"
#include "app/common/user_action.h"
#include "app/dialogs/frm_boot.h"
#include "app/window/frm_main.h"

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

int BOOT(QApplication& app, const CommandLine& command) {
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
        main.offerRecoveredScenes();
        // A scene that cannot be opened leaves its message and an empty scene.
        if (!command.scene.empty())
            main.openScene(command.scene);
    });
    loaded = true;
    if (tickSeen)
        showMain();
    // Worded now: when memory has run out there may be none for translating.
    const QByteArray keptText =
        QCoreApplication::translate(
            "tarn::Boot", "tarn: メモリが足りないため終了します。シーンを %1 に残しました。")
            .toLocal8Bit();
    const QByteArray lostText =
        QCoreApplication::translate("tarn::Boot",
                                    "tarn: メモリが足りないため終了します。"
                                    "保存していないシーンはどこにも残せませんでした。")
            .toLocal8Bit();
    const std::vector<std::string> folders = recoveryFolders(context);
    try {
        return app.exec();
    } catch (const std::bad_alloc&) {
        // Past every action's own handler, so Qt's state is not to be trusted:
        // the unsaved scene is kept, and nothing shown.
        try {
            if (main.document().isModified()) {
                const std::string kept = keepRecoveredScene(main.document().fileData(), folders);
                const std::string text =
                    kept.empty() ? lostText.toStdString()
                                 : keptText.toStdString().replace(keptText.indexOf("%1"), 2, kept);
                std::fprintf(stderr, "%s\n", text.c_str());
            }
        } catch (const std::bad_alloc&) {
        }
        return EXIT_FAILURE;
    }
}

} // namespace tarn
