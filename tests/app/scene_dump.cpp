// A second process for the window tests. Starts a main window on a program
// folder, hands it the command line as the program does, and tells what it
// shows: the canvas as a BMP file, the other controls and every message box on
// standard output.
//
//   scene_dump PROGRAM_FOLDER CANVAS.bmp [ARGUMENTS...]
#include "app/cli/command_line.h"
#include "app/window/canvas_view.h"
#include "app/window/frm_main.h"
#include "support/modal_script.h"
#include "support/shown_scene.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3)
        return 2;
    // Answers nothing: records each box and dismisses it.
    tarn::test::ModalScript boxes({});
    tarn::FrmMain window({arguments[1], QStringLiteral("tarn")});
    window.load();
    const tarn::CommandLine command =
        tarn::parseCommandLine(QStringList{arguments[0]} + arguments.mid(3));
    if (!command.scene.isEmpty())
        window.openScene(command.scene);
    if (!window.canvasView()->shownImage().save(arguments[2], "BMP"))
        return 3;
    QStringList lines = tarn::test::shownScene(window);
    for (const tarn::test::SeenDialog& box : boxes.seen())
        lines << QStringLiteral("message: ") + QString(box.text).replace(QLatin1Char('\n'), "\\n");
    std::fputs(qPrintable(lines.join(QLatin1Char('\n')) + QLatin1Char('\n')), stdout);
    return 0;
}
