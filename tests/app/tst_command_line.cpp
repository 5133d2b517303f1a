// The program run from a shell, without a display: pictures of scene files that
// match the window's canvas for the same scene, failures that stay with their
// scene, usage errors, names that are no UTF-8, and a batch stopped by a signal.
#include "app/common/picture_io.h"
#include "app/dialogs/frm_write.h"
#include "app/window/canvas_view.h"
#include "app/window/frm_main.h"
#include "output/bmp_writer.h"
#include "output/jpeg_writer.h"
#include "scene/bmp.h"
#include "support/modal_script.h"
#include "support/program_folder.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>
#include <sys/stat.h>

using namespace tarn;
using namespace tarn::test;

namespace {

const QString kParts = QStringLiteral(TARN_SAMPLE_PARTS);

struct Run {
    int exitCode = -1;
    QString err;
    QByteArray out;
};

// The installed command as a user's shell starts it: no display of any kind.
// With `script`, a shell runs it with the command as $0; with `stdoutFile`,
// standard output goes there.
Run runTarn(const QStringList& args, const QString& folder, const QString& script = {},
            const QString& stdoutFile = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    if (!stdoutFile.isEmpty())
        process.setStandardOutputFile(stdoutFile);
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

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

    ProgramFolder folder;

    // A scene of sample parts, saved by the window's document: every slot, a
    // mirrored door behind the front walls and a chest in front.
    QString makeScene(const QString& name, const QString& doorPart = QStringLiteral("ob_door")) {
        SceneDocument doc(folder.path().toStdString());
        const char* names[] = {"stone_ug", "stone_bl", "brick_br", "stone_fl", "brick_fr"};
        for (int slot = 1; slot <= kSlotCount; ++slot) {
            Picture part;
            const QString path = kParts + QLatin1Char('/') + names[slot - 1] + ".bmp";
            [&] { QVERIFY(loadPicture(path, part)); }();
            doc.choosePart(slot, names[slot - 1], path.toStdString(), part);
        }
        for (const QString& object : {doorPart, QStringLiteral("ob_chest")}) {
            const QString file = object + (object == "ob_chest" ? ".BMP" : ".bmp");
            Picture part;
            if (!loadPicture(kParts + '/' + file, part))
                part = Picture(4, 4, {1, 2, 3}); // not on disk: one test wants it missing
            doc.insertObject(object.toStdString(), kParts.toStdString(), file.toStdString(), part);
        }
        doc.moveObject(0, 190, 70);
        doc.mirrorObject(0, 1);
        doc.moveObject(1, 150, 190);
        doc.toggleLayer(1);
        const QString path = folder.path(name);
        [&] { QVERIFY(doc.save(path.toStdString()).ok()); }();
        return path;
    }

    // What the window shows for a scene file, after a menu command if one is named.
    Picture windowCanvas(const QString& scene, const QString& command = {}) {
        FrmMain window(folder.context());
        window.document().open(scene.toStdString(), PartLoader(loadPartFile));
        if (!command.isEmpty())
            window.findChild<QAction*>(command)->trigger();
        return fromQImage(window.canvasView()->shownImage());
    }

  private slots:
    void picturesMatchTheWindowInEveryFormat() {
        const QString scene = makeScene("view.tarn");
        const Picture canvas = windowCanvas(scene);
        QVERIFY(canvas != Picture(kCanvasWidth, kCanvasHeight));
        const QString out = folder.makeFolder("out");
        for (const auto& [args, file] :
             {std::pair(QStringList{"-o", "out/a.bmp"}, "a.bmp"),
              std::pair(QStringList{"-o", "out/b.png"}, "b.png"),
              std::pair(QStringList{"-o", "out/c.jpg", "--quality", "30", "--progressive"},
                        "c.jpg"),
              std::pair(QStringList{"--out-dir", "out", "--format", "jpg"}, "view.jpg"),
              // --format names the format whatever the name ends in.
              std::pair(QStringList{"-o", "out/d.png", "--format", "jpg"}, "d.png")}) {
            const Run run = runTarn(QStringList{"render", scene} + args, folder.path());
            QCOMPARE(run.exitCode, 0);
            QVERIFY(run.err.contains("1 件のシーンのうち 1 件"));
        }
        // The save-as writers on the window's canvas give the same bytes.
        Bytes bmp;
        QCOMPARE(encode256(canvas, true, bmp), kSave256TooManyColours);
        bmp = encodeBmp24(canvas);
        QCOMPARE(fileBytes(out + "/a.bmp"), qBytes(bmp));
        QCOMPARE(fromQImage(QImage(out + "/b.png")), canvas);
        for (const auto& [file, quality, progressive] :
             {std::tuple("c.jpg", 30, true), std::tuple("view.jpg", 65, false),
              std::tuple("d.png", 65, false)}) {
            const std::string expected = folder.path("expected.jpg").toStdString();
            QCOMPARE(DCSavetoJPEG(canvas, kCanvasWidth, kCanvasHeight, expected,
                                  static_cast<std::uint8_t>(quality), progressive),
                     0);
            QCOMPARE(fileBytes(out + '/' + file), fileBytes(QString::fromStdString(expected)));
        }
        // Toned as the menu tones it.
        QCOMPARE(runTarn({"render", scene, "-o", "out/g.png", "--gray"}, folder.path()).exitCode,
                 0);
        QCOMPARE(fromQImage(QImage(out + "/g.png")), windowCanvas(scene, "mnuGray"));
    }

    // A scene that cannot be drawn fails alone; the others are written.
    void aFailedSceneDoesNotStopTheBatch() {
        const QString good = makeScene("good.tarn");
        const QString missing = makeScene("missing.tarn", "ob_gone");
        QFile::copy(good, folder.path("cut.tarn"));
        QFile::resize(folder.path("cut.tarn"), 40);
        const QString out = folder.path("batch");
        folder.makeFolder("dir.tarn");
        const Run run = runTarn({"render", "good.tarn", "missing.tarn", "cut.tarn", "dir.tarn",
                                 "--out-dir", out, "--sepia"},
                                folder.path());
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(filesIn(out), QStringList{"good.bmp"});
        QVERIFY2(run.err.contains("missing.tarn: ") && run.err.contains(kParts + "/ob_gone.bmp"),
                 qPrintable(run.err));
        QVERIFY2(run.err.contains("壊れているため開けませんでした"), qPrintable(run.err));
        QVERIFY(run.err.contains("「dir.tarn」はフォルダーです。"));
        QVERIFY(run.err.contains("4 件のシーンのうち 1 件を書き出しました。"));
    }

    // The same files, byte for byte, as the window's export of the same scene.
    void exportMatchesTheWindow() {
        const QString scene = makeScene("exp.tarn");
        const QString byWindow = folder.makeFolder("scenario_window");
        const QString byCommand = folder.path("scenario_command"); // made by the export
        {
            FrmMain window(folder.context());
            window.document().open(scene.toStdString(), PartLoader(loadPartFile));
            window.findChild<QAction*>("mnuWrte")->trigger();
            auto* dialog = window.findChild<FrmWrite*>("frmWrite");
            QVERIFY(dialog);
            dialog->findChild<QLineEdit*>("txtFolder")->setText(byWindow);
            dialog->findChild<QLineEdit*>("txtNewFILE")->setText("7");
            ModalScript script({press(QMessageBox::Ok)});
            QTest::mouseClick(dialog->findChild<QPushButton*>("OKButton"), Qt::LeftButton);
            QCOMPARE(script.seen().size(), std::size_t{1});
        }
        const QStringList args{"export", scene, "--into", byCommand, "--area", "7"};
        const Run first = runTarn(args, folder.path());
        QCOMPARE(first.exitCode, 0);
        QVERIFY2(first.err.contains("Area7.wid"), qPrintable(first.err));
        QVERIFY(filesIn(byWindow).contains("Area7.wid"));
        QCOMPARE(filesIn(byCommand), filesIn(byWindow));
        for (const QString& file : filesIn(byWindow))
            QVERIFY2(fileBytes(byCommand + '/' + file) == fileBytes(byWindow + '/' + file),
                     qPrintable(file));
        // Asked in the window, refused here unless the user says --replace.
        const Run again = runTarn(args, folder.path());
        QCOMPARE(again.exitCode, 1);
        QVERIFY2(again.err.contains("--replace"), qPrintable(again.err));
        QCOMPARE(runTarn(args + QStringList{"--replace"}, folder.path()).exitCode, 0);
        const Run outOfRange =
            runTarn({"export", scene, "--into", byCommand, "--area", "10000"}, folder.path());
        QCOMPARE(outOfRange.exitCode, 1);
        QVERIFY(outOfRange.err.contains("1 から 9999 までの整数"));
    }

    // A scene whose floor is a part beside it: own/stone_ug.tarn over own/stone_ug.bmp.
    QString makeSceneBesideItsPart() {
        const QString part = folder.makeFolder("own") + "/stone_ug.bmp";
        QFile::copy(kParts + "/stone_ug.bmp", part);
        Picture picture;
        [&] { QVERIFY(loadPicture(part, picture)); }();
        SceneDocument doc(folder.path().toStdString());
        doc.choosePart(1, "stone_ug", part.toStdString(), picture);
        [&] { QVERIFY(doc.save(folder.path("own/stone_ug.tarn").toStdString()).ok()); }();
        return part;
    }

    // Refused before anything is made or written, wherever the fault stands.
    void usageErrors() {
        const QString scene = makeScene("u.tarn");
        const QString part = makeSceneBesideItsPart();
        const QByteArray sceneBytes = fileBytes(scene), partBytes = fileBytes(part);
        const QStringList cases[] = {
            {"render"},
            {"render", scene},
            {"render", scene, "-o", "x.bmp", "--out-dir", "d"},
            {"render", scene, scene, "-o", "x.bmp"},
            {"render", scene, "-o", "x.bmp", "--format", "gif"},
            {"render", scene, "-o", "x.jpg", "--quality", "0"},
            {"render", scene, "-o", "x.jpg", "--quality", "101"},
            {"render", scene, "-o", "x.bmp", "--gray", "--sepia"},
            {"render", scene, "-o", "x.bmp", "--gray", "--gray"},
            {"render", scene, "-o", "x.bmp", "-o", "y.bmp"},
            {"render", scene, "-o", "x.bmp", "--bogus"},
            {"render", scene, "-o"},
            {"render", scene, "-o", ""},
            {"render", scene, "-o", "x.gif"},
            {"render", scene, "u.tarn", "--out-dir", "d"}, // both would write d/u.bmp
            {"render", scene, "--out-dir", "d", "--format", "gif"},
            // Its own scene, or a part it reads, under any name.
            {"render", scene, "-o", scene, "--format", "bmp"},
            {"render", "own/stone_ug.tarn", "--out-dir", "own"},
            {"render", "own/stone_ug.tarn", "-o", "own/../own/stone_ug.bmp", "--format", "png"},
            {"export", scene, "--area", "1"},
            {"export", scene, "--into", "d"},
            {"export", scene, "--into", "d", "--area", "1", "--background", "red"},
            {"export", scene, scene, "--into", "d", "--area", "1"},
            {"export", scene, "--into", "d", "--area", "1", "--area", "2"},
            // Unknown options and verbs, and languages, before any display.
            {"--bogus"},
            {scene, "--bogus"},
            {"rendr", scene, "-o", "x.png"},
            {"rendr"},
            {"--help", "--bogus"},
            {"--lang"},
            {"--lang", "fr"},
            {"--lang", "fr", "render", scene, "-o", "x.bmp"},
            {"render", scene, "-o", "x.bmp", "--lang"},
            {"render", scene, "-o", "x.bmp", "--lang", "de"},
        };
        for (const QStringList& args : cases) {
            const Run run = runTarn(args, folder.path());
            QVERIFY2(run.exitCode == 2, qPrintable(args.join(' ') + ": " + run.err));
            QVERIFY(run.err.contains("tarn --help"));
            QVERIFY(!args.contains("--lang") || run.err.contains("ja, en"));
        }
        QVERIFY(!QFile::exists(folder.path("x.bmp")) && !QFile::exists(folder.path("x.jpg")));
        QVERIFY(!QFile::exists(folder.path("d")));
        QCOMPARE(fileBytes(scene), sceneBytes);
        QCOMPARE(fileBytes(part), partBytes);
        // A language after the verb counts as much as one before it.
        const Run english =
            runTarn({"render", scene, "-o", "out.bmp", "--lang", "en"}, folder.path());
        QCOMPARE(english.exitCode, 0);
        QVERIFY2(english.err.contains("Wrote 1 of 1 scenes."), qPrintable(english.err));
    }

    // Every option is in the help; words that cannot reach standard output fail.
    void helpAndVersion() {
        const Run help = runTarn({"--help"}, folder.path());
        QCOMPARE(help.exitCode, 0);
        for (const char* option :
             {"render", "export", "-o ", "--output", "--out-dir", "--format", "--quality",
              "--progressive", "--gray", "--sepia", "--into", "--area", "--replace", "--background",
              "--help", "-h ", "--version", "--lang", "-o -"})
            QVERIFY2(help.out.contains(option), option);
        for (const char* request : {"--help", "--version"})
            QCOMPARE(runTarn({QString(request)}, folder.path(), {}, "/dev/full").exitCode, 1);
        const Run version = runTarn({"--version"}, folder.path());
        QVERIFY(version.exitCode == 0 && version.out.startsWith("tarn "));
    }

    // A picture on standard output, and names given as bytes that are no UTF-8,
    // read and written under those very bytes.
    void standardOutputAndNamesAsBytes() {
        const QString scene = makeScene("b.tarn");
        QCOMPARE(runTarn({"render", scene, "-o", "b.png"}, folder.path()).exitCode, 0);
        const Run piped = runTarn({"render", scene, "-o", "-", "--format", "png"}, folder.path());
        QCOMPARE(piped.exitCode, 0);
        QCOMPARE(piped.out, fileBytes(folder.path("b.png")));

        const QByteArray sceneName("sj\x82\xa0.tarn"), outName("out\x82\xa0.bmp");
        QCOMPARE(::rename(QFile::encodeName(scene).constData(),
                          (QFile::encodeName(folder.path()) + '/' + sceneName).constData()),
                 0);
        const Run run = runTarn({}, folder.path(),
                                "\"$0\" render \"$(printf 'sj\\202\\240.tarn')\" "
                                "-o \"$(printf 'out\\202\\240.bmp')\"");
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        struct stat st {};
        const QByteArray sceneBytes = QFile::encodeName(folder.path()) + '/' + sceneName;
        const QByteArray outBytes = QFile::encodeName(folder.path()) + '/' + outName;
        const bool written = ::stat(outBytes.constData(), &st) == 0 && st.st_size > 0;
        // QTemporaryDir cannot remove what Qt cannot name.
        ::unlink(sceneBytes.constData());
        ::unlink(outBytes.constData());
        QVERIFY(written);
    }

    // Stopped halfway: no temporary file is left (nor one a dead writer left
    // before), every picture written is whole, and the status tells the signal.
    void batchStoppedBySignal_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("status");
        QTest::newRow("SIGINT") << SIGINT << 130;
        QTest::newRow("SIGTERM") << SIGTERM << 143;
    }
    void batchStoppedBySignal() {
        QFETCH(int, signal);
        QFETCH(int, status);
        const QString scene = makeScene("one.tarn");
        QCOMPARE(runTarn({"render", scene, "-o", "whole.bmp"}, folder.path()).exitCode, 0);
        const QByteArray whole = fileBytes(folder.path("whole.bmp"));
        const QString many = folder.makeFolder(QStringLiteral("many%1").arg(signal));
        QStringList args{"render", "--out-dir", "out"};
        for (int i = 0; i < 2000; ++i) {
            QFile::copy(scene, many + QStringLiteral("/s%1.tarn").arg(i));
            args << many + QStringLiteral("/s%1.tarn").arg(i);
        }
        const QString out = folder.makeFolder(QStringLiteral("many%1/out").arg(signal));
        writeFile(out + "/.tarn-Dead01", "a dead writer's");
        args[2] = out;
        QProcess tarn;
        tarn.start(TARN_EXECUTABLE, args);
        QVERIFY(tarn.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (QDir(out).entryList({"*.bmp"}, QDir::Files).size() < 20 && waited.elapsed() < 30000)
            QThread::usleep(200);
        ::kill(static_cast<pid_t>(tarn.processId()), signal);
        QVERIFY(tarn.waitForFinished(30000));
        QCOMPARE(tarn.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tarn.exitCode(), status);
        const QStringList left = QDir(out).entryList(QDir::Files | QDir::Hidden);
        QVERIFY2(left.size() < 2000, "the batch ended before the signal");
        for (const QString& file : left) {
            QVERIFY2(file.endsWith(".bmp"), qPrintable(file));
            QVERIFY2(fileBytes(out + '/' + file) == whole, qPrintable(file));
        }
    }

    // The sample map and pack make a whole dungeon; a fault in the map or the
    // pack, or in the arguments, writes nothing at all.
    void dungeonFromTheSamples() {
        const QString map = kParts + "/crypt.txt";
        const QString pack = kParts + "/crypt.pack.json";
        const QString into = folder.path("crypt");
        const Run run = runTarn({"dungeon", map, "--pack", pack, "--into", into}, folder.path());
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains("エリア 1〜120"), qPrintable(run.err));
        QVERIFY(filesIn(into).contains("Area120.wid") && filesIn(into).contains("Summary.wsm") &&
                filesIn(into).contains("crypt.dungeon.json"));

        writeFile(folder.path("bad.txt"), "+-+\n|x|\n+-+\n");
        writeFile(folder.path("bad.json"), "{\"format\": 1}");
        const QString out = folder.path("nothing");
        const struct {
            QStringList args;
            int exitCode;
            QString says;
        } rows[] = {
            {{folder.path("bad.txt"), "--pack", pack}, 1, "bad.txt"},
            {{map, "--pack", folder.path("bad.json")}, 1, "bad.json"},
            {{map, "--pack", pack, "--first-area", "0"}, 2, "tarn --help"},
            {{map, "--into", out}, 2, "tarn --help"},
        };
        for (const auto& row : rows) {
            QStringList args = QStringList{"dungeon"} + row.args;
            if (!args.contains("--into"))
                args << "--into" << out;
            const Run r = runTarn(args, folder.path());
            QVERIFY2(r.exitCode == row.exitCode && r.err.contains(row.says), qPrintable(r.err));
            QVERIFY(!QFile::exists(out));
        }
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_command_line.moc"
