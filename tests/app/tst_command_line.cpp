// The program run from a shell without a display: pictures as the window shows the scene, failures
// that stay with their scene, usage errors, names that are no UTF-8, a batch stopped by a signal.
#include "app/window/canvas_view.h"
#include "app/window/frm_main.h"
#include "export/export_procedure.h"
#include "output/jpeg_writer.h"
#include "scene/bmp.h"
#include "support/program_folder.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>

using namespace tarn;
using namespace tarn::test;

namespace {

const QString kParts = QStringLiteral(TARN_SAMPLE_PARTS);

// A scene file: "%1" the sample parts' folder, "%2" the door's name.
const char* const kScene = R"({"format": "tarn-scene", "version": 1,
    "slots": {"ground": {"name": "stone_ug", "path": "%1/stone_ug.bmp"},
              "backLeft": {"name": "stone_bl", "path": "%1/stone_bl.bmp"},
              "backRight": {"name": "brick_br", "path": "%1/brick_br.bmp"},
              "frontLeft": {"name": "stone_fl", "path": "%1/stone_fl.bmp"},
              "frontRight": {"name": "brick_fr", "path": "%1/brick_fr.bmp"}},
    "objects": [{"name": "%2", "path": "%1/%2.bmp", "x": 190, "y": 70, "layer": "F",
                 "mirrorLeftRight": true, "mirrorUpDown": false},
                {"name": "ob_chest", "path": "%1/ob_chest.BMP", "x": 150, "y": 190,
                 "layer": "T", "mirrorLeftRight": false, "mirrorUpDown": false}]})";

struct Run {
    int exitCode = -1;
    QString err;
    QByteArray out;
};

QMap<QString, QByteArray> filesIn(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files[name] = fileBytes(folder + '/' + name);
    return files;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

    ProgramFolder folder;

    // The installed command as a user's shell starts it: no display of any kind.
    // With `script`, a shell runs it with the command as $0.
    Run runTarn(const QStringList& args, const QString& script = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(folder.path());
        if (script.isEmpty())
            process.start(QStringLiteral(TARN_EXECUTABLE), args);
        else
            process.start("/bin/sh", {"-c", script, TARN_EXECUTABLE});
        if (!process.waitForFinished(60000))
            return {};
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromLocal8Bit(process.readAllStandardError()),
                process.readAllStandardOutput()};
    }

    // Sample parts in every slot, a mirrored door behind the front walls, a chest in front.
    QString makeScene(const QString& name, const QString& door = QStringLiteral("ob_door")) {
        writeFile(folder.path(name), QString(kScene).arg(kParts, door).toUtf8());
        return folder.path(name);
    }

    Picture windowCanvas(const QString& scene, const QString& command = {}) {
        FrmMain window(folder.context());
        window.document().open(scene.toStdString(), PartLoader(loadPartFile));
        if (!command.isEmpty())
            window.findChild<QAction*>(command)->trigger();
        return fromQImage(window.canvasView()->shownImage());
    }

    void expectRun(const QStringList& args, int exitCode, const QStringList& says = {}) {
        const Run run = runTarn(args);
        const bool said = std::all_of(says.begin(), says.end(), [&](const QString& words) {
            return run.err.contains(words);
        });
        QVERIFY2(run.exitCode == exitCode && said, qPrintable(args.join(' ') + ": " + run.err));
    }

  private slots:
    void picturesMatchTheWindowInEveryFormat() {
        const QString scene = makeScene("view.tarn");
        const Picture canvas = windowCanvas(scene);
        const QString out = folder.makeFolder("out");
        for (const QStringList& args :
             {QStringList{"-o", "out/a.bmp"}, QStringList{"-o", "out/b.png"},
              QStringList{"-o", "out/c.jpg", "--quality", "30", "--progressive"},
              QStringList{"--out-dir", "out", "--format", "jpg"},
              // --format names the format whatever the name ends in.
              QStringList{"-o", "out/d.png", "--format", "jpg"},
              QStringList{"-o", "out/g.png", "--gray"}})
            expectRun(QStringList{"render", scene} + args, 0, {"1 件のシーンのうち 1 件"});
        // The save-as writers on the window's canvas give the same bytes.
        QCOMPARE(fileBytes(out + "/a.bmp"), qBytes(encodeBmp24(canvas)));
        QCOMPARE(runTarn({"render", scene, "-o", "-", "--format", "png"}).out,
                 fileBytes(out + "/b.png"));
        for (const auto& [file, quality, progressive] :
             {std::tuple("c.jpg", 30, true), std::tuple("view.jpg", 65, false),
              std::tuple("d.png", 65, false)}) {
            Bytes expected;
            QVERIFY(encodeJpeg(canvas, static_cast<std::uint8_t>(quality), progressive, expected));
            QCOMPARE(fileBytes(out + '/' + file), qBytes(expected));
        }
        // Toned as the menu tones it.
        QCOMPARE(fromQImage(QImage(out + "/g.png")), windowCanvas(scene, "mnuGray"));
    }

    // A scene that cannot be drawn fails alone; the others are written.
    void aFailedSceneDoesNotStopTheBatch() {
        makeScene("missing.tarn", "ob_gone");
        QFile::copy(makeScene("good.tarn"), folder.path("cut.tarn"));
        QFile::resize(folder.path("cut.tarn"), 40);
        folder.makeFolder("dir.tarn");
        expectRun({"render", "good.tarn", "missing.tarn", "cut.tarn", "dir.tarn", "--out-dir",
                   "batch", "--sepia"},
                  1,
                  {"missing.tarn: ", kParts + "/ob_gone.bmp", "壊れているため開けませんでした",
                   "「dir.tarn」はフォルダーです。", "4 件のシーンのうち 1 件を書き出しました。"});
        QCOMPARE(filesIn(folder.path("batch")).keys(), QStringList{"good.bmp"});
    }

    // The same files, byte for byte, as the core's export of the scene the window opens, with
    // the dialog's first choices (that the dialog makes that call: tst_output).
    void exportMatchesTheWindow() {
        const QString scene = makeScene("exp.tarn");
        const QString byWindow = folder.makeFolder("scenario_window");
        const QString byCommand = folder.path("scenario_command"); // made by the export
        FrmMain window(folder.context());
        window.document().open(scene.toStdString(), PartLoader(loadPartFile));
        const ExportRequest request{byWindow.toStdString(), AreaMode::NewFile, "7", "",
                                    Background::Black};
        QVERIFY(exportTemplate(window.scene(), request).ok());
        const QStringList args{"export", scene, "--into", byCommand, "--area", "7"};
        expectRun(args, 0, {"Area7.wid"});
        QVERIFY(filesIn(byCommand) == filesIn(byWindow));
        // Asked in the window, refused here unless the user says --replace.
        expectRun(args, 1, {"--replace"});
        expectRun(args + QStringList{"--replace"}, 0);
        expectRun({"export", scene, "--into", byCommand, "--area", "10000"}, 1,
                  {"1 から 9999 までの整数"});
    }

    // Refused before anything is made or written, wherever the fault stands.
    void usageErrors() {
        const QString scene = makeScene("u.tarn");
        // A scene whose floor is the part beside it.
        QFile::copy(kParts + "/stone_ug.bmp", folder.makeFolder("own") + "/stone_ug.bmp");
        writeFile(folder.path("own/stone_ug.tarn"),
                  R"({"format": "tarn-scene", "version": 1, "objects": [],
                      "slots": {"ground": {"name": "stone_ug", "path": "stone_ug.bmp"}}})");
        const auto before = filesIn(folder.path()), own = filesIn(folder.path("own"));
        const QStringList cases[] = {
            {"render"},
            {"render", scene},
            {"render", scene, "-o", "x.bmp", "--out-dir", "d"},
            {"render", scene, scene, "-o", "x.bmp"},
            {"render", scene, "-o", "x.bmp", "--format", "gif"},
            {"render", scene, "-o", "x.jpg", "--quality", "0"},
            {"render", scene, "-o", "x.jpg", "--quality", "101"},
            {"render", scene, "-o", "x.bmp", "--gray", "--sepia"},
            {"render", scene, "-o", "x.bmp", "-o", "y.bmp"},
            {"render", scene, "-o", "x.bmp", "--bogus"},
            {"render", scene, "-o"},
            {"render", scene, "-o", ""},
            {"render", scene, "-o", "x.gif"},
            {"render", scene, "u.tarn", "--out-dir", "d"}, // both would write d/u.bmp
            // Its own scene, or a part it reads, under any name.
            {"render", scene, "-o", scene, "--format", "bmp"},
            {"render", "own/stone_ug.tarn", "--out-dir", "own"},
            {"render", "own/stone_ug.tarn", "-o", "own/../own/stone_ug.bmp", "--format", "png"},
            {"export", scene, "--area", "1"},
            {"export", scene, "--into", "d"},
            {"export", scene, "--into", "d", "--area", "1", "--background", "red"},
            {"export", scene, scene, "--into", "d", "--area", "1"},
            {"export", scene, "--into", "d", "--area", "1", "--area", "2"},
            {"dungeon", kParts + "/crypt.txt", "--into", "d"},
            {"dungeon", kParts + "/crypt.txt", "--pack", kParts + "/crypt.pack.json", "--into", "d",
             "--first-area", "0"},
            // Unknown options and verbs, and languages, before any display.
            {"--bogus"},
            {scene, "--bogus"},
            {"rendr", scene, "-o", "x.png"},
            {"rendr"},
            {"--help", "--bogus"},
            {"--lang"},
            {"--lang", "fr"},
            {"--lang", "fr", "render", scene, "-o", "x.bmp"},
            {"render", scene, "-o", "x.bmp", "--lang", "de"},
        };
        for (const QStringList& args : cases)
            expectRun(args, 2, {"tarn --help", args.contains("--lang") ? "ja, en" : ""});
        QVERIFY(filesIn(folder.path()) == before && filesIn(folder.path("own")) == own);
        QVERIFY(!QFile::exists(folder.path("d")));
        // A language after the verb counts as much as one before it.
        expectRun({"render", scene, "-o", "out.bmp", "--lang", "en"}, 0, {"Wrote 1 of 1 scenes."});
    }

    // Every option is in the help; words that cannot reach standard output fail.
    void helpAndVersion() {
        const Run help = runTarn({"--help"});
        for (const char* option :
             {"render", "export", "-o ", "--output", "--out-dir", "--format", "--quality",
              "--progressive", "--gray", "--sepia", "--into", "--area", "--replace", "--background",
              "--help", "-h ", "--version", "--lang", "-o -"})
            QVERIFY2(help.out.contains(option), option);
        for (const char* request : {"--help", "--version"})
            QCOMPARE(runTarn({}, QString("\"$0\" %1 >/dev/full").arg(request)).exitCode, 1);
        const Run version = runTarn({"--version"});
        QVERIFY(version.exitCode == 0 && version.out.startsWith("tarn "));
    }

    // Names given as bytes that are no UTF-8, read and written under those very bytes.
    void namesAsBytes() {
        makeScene("b.tarn");
        // The shell removes them too: QTemporaryDir cannot remove what Qt cannot name.
        const Run run =
            runTarn({}, "s=$(printf 'sj\\202\\240.tarn') o=$(printf 'out\\202\\240.bmp'); "
                        "mv b.tarn \"$s\" && \"$0\" render \"$s\" -o \"$o\" && test -s \"$o\"; "
                        "r=$?; rm -f \"$s\" \"$o\"; exit $r");
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    }

    // Stopped halfway: no temporary file is left (nor one a dead writer left
    // before), every picture written is whole, and the status tells the signal.
    void batchStoppedBySignal() {
        const QString scene = makeScene("one.tarn");
        const QByteArray whole = qBytes(encodeBmp24(windowCanvas(scene)));
        QStringList scenes;
        for (int i = 0; i < 2000; ++i) {
            scenes << folder.path(QStringLiteral("s%1.tarn").arg(i));
            QFile::copy(scene, scenes.last());
        }
        for (const auto& [signal, status] : {std::pair(SIGINT, 130), std::pair(SIGTERM, 143)}) {
            const QString out = folder.makeFolder(QStringLiteral("out%1").arg(signal));
            writeFile(out + "/.tarn-Dead01", "a dead writer's");
            QProcess tarn;
            tarn.start(TARN_EXECUTABLE, QStringList{"render", "--out-dir", out} + scenes);
            QTRY_VERIFY_WITH_TIMEOUT(QDir(out).entryList({"*.bmp"}).size() >= 20, 30000);
            ::kill(static_cast<pid_t>(tarn.processId()), signal);
            QVERIFY(tarn.waitForFinished(30000));
            QCOMPARE(std::pair(tarn.exitStatus(), tarn.exitCode()),
                     std::pair(QProcess::NormalExit, status));
            const auto left = filesIn(out);
            for (const auto& [file, bytes] : left.asKeyValueRange())
                QVERIFY2(file.endsWith(".bmp") && bytes == whole, qPrintable(file));
        }
    }

    // The sample map and pack make a whole dungeon; a faulty map or pack writes nothing at all.
    void dungeonFromTheSamples() {
        const QString map = kParts + "/crypt.txt", pack = kParts + "/crypt.pack.json";
        expectRun({"dungeon", map, "--pack", pack, "--into", "crypt"}, 0, {"エリア 1〜120"});
        const QStringList written{"Area120.wid", "crypt.dungeon.json", "Summary.wsm"};
        QCOMPARE(QDir(folder.path("crypt")).entryList(written), written);
        writeFile(folder.path("bad.txt"), "+-+\n|x|\n+-+\n");
        writeFile(folder.path("bad.json"), "{\"format\": 1}");
        expectRun({"dungeon", "bad.txt", "--pack", pack, "--into", "nothing"}, 1, {"bad.txt"});
        expectRun({"dungeon", map, "--pack", "bad.json", "--into", "nothing"}, 1, {"bad.json"});
        QVERIFY(!QFile::exists(folder.path("nothing")));
        writeFile(folder.path("crypt/crypt.dungeon.json"), "{\"format\": 5}"); // no string
        expectRun({"dungeon", map, "--pack", pack, "--into", "crypt", "--replace"}, 1,
                  {"crypt.dungeon.json"});
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_command_line.moc"
