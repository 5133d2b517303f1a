// Faults while writing, as the user meets them from the main window: a folder
// that cannot be written, a folder replaced by a file while a dialog is open,
// a target name taken by a folder, a disk that fills. Each time the user is
// told, and the folder is left exactly as it was: earlier files intact, no
// temporary file behind.
#include "app/frm_main.h"
#include "app/frm_write.h"
#include "app/list_box.h"
#include "output/file_write.h"
#include "support/app_pictures.h"
#include "support/modal_script.h"
#include "support/program_folder.h"
#include "support/unprivileged_user.h"

#include <QAction>
#include <QDirIterator>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <sys/stat.h>

#include <cerrno>
#include <memory>
#include <optional>

using namespace tarn;
using namespace tarn::test;

namespace {

enum class Fault {
    ReadOnlyFolder,
    FolderReplacedByFile,
    NameTakenByFolder,
    DarkTakenByFolder,
    DiskFull
};

// Every entry under a folder, hidden ones included, with each file's bytes: a
// touched file or a leftover "<target>.tarn-XXXXXX" shows as a difference.
QMap<QString, QByteArray> snapshot(const QString& root) {
    QMap<QString, QByteArray> found;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        found.insert(QDir(root).relativeFilePath(path),
                     it.fileInfo().isDir() ? QByteArray("<folder>") : fileBytes(path));
    }
    return found;
}

// A folder that was there when the dialog opened is now a file.
void replaceByFile(const QString& folder) {
    QVERIFY(QDir(folder).removeRecursively());
    writeFile(folder, "a file now");
}

// The main window with a ground part and one object, ready to save or export.
struct Session {
    Session() {
        folder.copySample(QStringLiteral("stone_ug.bmp"));
        folder.copySample(QStringLiteral("ob_barrel.bmp"));
        work = folder.makeFolder(QStringLiteral("work"));
        window.setExitHandler([] {});
        window.load();
        window.show();
        click(1, QStringLiteral("stone_ug"));
        click(0, QStringLiteral("ob_barrel"));
        QTest::mouseClick(window.findChild<QToolButton*>(QStringLiteral("cmd_ob(0)")),
                          Qt::LeftButton);
    }
    void click(int list, const QString& entry) {
        ListBox* box = window.lst(list);
        const QList<QListWidgetItem*> found = box->findItems(entry, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        QTest::mouseClick(box->viewport(), Qt::LeftButton, {},
                          box->visualItemRect(found.first()).center());
    }
    ProgramFolder folder;
    FrmMain window{folder.context()};
    QString work;
};

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestWriteFaults : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { testing::injectWriteFailure(0, 0); }
    void saveAsFaultIsToldAndLeavesNoTrace_data();
    void saveAsFaultIsToldAndLeavesNoTrace();
    void exportFaultIsToldAndLeavesNoTrace_data();
    void exportFaultIsToldAndLeavesNoTrace();
};

void TestWriteFaults::saveAsFaultIsToldAndLeavesNoTrace_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("error");
    QTest::newRow("read-only folder") << Fault::ReadOnlyFolder << EACCES;
    QTest::newRow("folder replaced by a file after the dialog opened")
        << Fault::FolderReplacedByFile << ENOTDIR;
    // The dialog itself opens a folder whose name is typed, so nothing is written.
    QTest::newRow("x.bmp is a folder") << Fault::NameTakenByFolder << 0;
}

void TestWriteFaults::saveAsFaultIsToldAndLeavesNoTrace() {
    QFETCH(Fault, fault);
    QFETCH(int, error);

    Session s;
    const QString out = s.work + QStringLiteral("/out");
    const QString target = out + QStringLiteral("/x.bmp");
    QVERIFY(QDir().mkpath(out));
    if (fault == Fault::NameTakenByFolder) {
        QVERIFY(QDir().mkpath(target));
        writeFile(target + QStringLiteral("/keep.txt"), "kept");
    } else {
        writeFile(target, "the earlier picture");
    }
    if (fault == Fault::ReadOnlyFolder)
        QVERIFY(::chmod(QFile::encodeName(out).constData(), 0555) == 0);
    QMap<QString, QByteArray> before = snapshot(s.work);

    bool enteredFolder = false;
    std::vector<ModalScript::Step> steps{[&](QDialog* dialog) {
        if (fault == Fault::FolderReplacedByFile) {
            replaceByFile(out);
            before = snapshot(s.work);
        }
        typeFileName(target)(dialog);
        if (fault == Fault::NameTakenByFolder) {
            enteredFolder =
                dialog->isVisible() &&
                qobject_cast<QFileDialog*>(dialog)->directory().absolutePath() == target;
            dialog->reject();
        }
    }};
    if (fault == Fault::ReadOnlyFolder)
        steps.push_back(press(QMessageBox::Yes)); // replace the earlier picture
    if (error != 0)
        steps.push_back(press(QMessageBox::Ok));
    {
        std::optional<UnprivilegedUser> user;
        if (fault == Fault::ReadOnlyFolder)
            user.emplace(s.folder.path());
        QVERIFY(!user || user->ok());
        ModalScript script(steps);
        s.window.findChild<QAction*>(QStringLiteral("mnuSaveAs"))->trigger();
        QVERIFY(script.allAnswered());
        QCOMPARE(script.seen().size(), steps.size());
        if (error != 0) {
            const SeenDialog& told = script.seen().back();
            QCOMPARE(told.title, QStringLiteral("エラー発生！"));
            QCOMPARE(told.icon, QMessageBox::Warning);
            QVERIFY2(told.text.contains(QString::fromStdString(errorDescription(error))),
                     qPrintable(told.text));
        }
    }
    QCOMPARE(enteredFolder, fault == Fault::NameTakenByFolder);
    QCOMPARE(snapshot(s.work), before);
}

void TestWriteFaults::exportFaultIsToldAndLeavesNoTrace_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("told"); // a part of the message; "@" is the scenario folder

    QTest::newRow("read-only scenario folder")
        << Fault::ReadOnlyFolder << QStringLiteral("「@」に書き込めません");
    QTest::newRow("scenario folder replaced by a file after the dialog opened")
        << Fault::FolderReplacedByFile << QStringLiteral("「@」が見つかりません");
    QTest::newRow("Area1.wid is a folder")
        << Fault::NameTakenByFolder
        << QStringLiteral("「@/Area1.wid」を書き込めませんでした。\n") +
               QString::fromStdString(errorDescription(EISDIR));
    QTest::newRow("dark.bmp is a folder")
        << Fault::DarkTakenByFolder
        << QStringLiteral("「@/dark.bmp」を書き込めませんでした。\n") +
               QString::fromStdString(errorDescription(EISDIR));
    QTest::newRow("disk fills while a part is copied")
        << Fault::DiskFull
        << QStringLiteral("「@/stone_ug.bmp」を書き込めませんでした。\n") +
               QString::fromStdString(errorDescription(ENOSPC));
}

void TestWriteFaults::exportFaultIsToldAndLeavesNoTrace() {
    QFETCH(Fault, fault);
    QFETCH(QString, told);

    Session s;
    const QString scenario = s.work + QStringLiteral("/scenario");
    told.replace(u'@', scenario);
    QVERIFY(QDir().mkpath(scenario));
    const QString inside = scenario + QLatin1Char('/');
    if (fault == Fault::NameTakenByFolder || fault == Fault::DarkTakenByFolder) {
        const QString taken =
            inside + (fault == Fault::NameTakenByFolder ? "Area1.wid" : "dark.bmp");
        QVERIFY(QDir().mkpath(taken));
        writeFile(taken + QStringLiteral("/keep.txt"), "kept");
    } else {
        writeFile(inside + QStringLiteral("Summary.wsm"), "the earlier summary");
        writeFile(inside + QStringLiteral("Area1.wid"), "the earlier area");
        writeFile(inside + QStringLiteral("stone_ug.bmp"), "the earlier copy");
    }
    if (fault == Fault::ReadOnlyFolder)
        QVERIFY(::chmod(QFile::encodeName(scenario).constData(), 0555) == 0);

    s.window.findChild<QAction*>(QStringLiteral("mnuWrte"))->trigger();
    QPointer<FrmWrite> dialog = s.window.findChild<FrmWrite*>();
    QVERIFY(dialog);
    auto* txtFolder = dialog->findChild<QLineEdit*>(QStringLiteral("txtFolder"));
    txtFolder->selectAll();
    QTest::keyClicks(txtFolder, scenario);
    if (fault == Fault::FolderReplacedByFile)
        replaceByFile(scenario);
    const QMap<QString, QByteArray> before = snapshot(s.work);

    if (fault == Fault::DiskFull)
        testing::injectWriteFailure(ENOSPC, 100);
    {
        std::optional<UnprivilegedUser> user;
        if (fault == Fault::ReadOnlyFolder)
            user.emplace(s.folder.path());
        QVERIFY(!user || user->ok());
        ModalScript script({press(QMessageBox::Ok)});
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("OKButton")),
                          Qt::LeftButton);
        QCOMPARE(script.seen().size(), std::size_t{1});
        QCOMPARE(script.seen()[0].title, QStringLiteral("Tarn"));
        QCOMPARE(script.seen()[0].icon, QMessageBox::Warning);
        QVERIFY2(script.seen()[0].text.contains(told), qPrintable(script.seen()[0].text));
    }
    testing::injectWriteFailure(0, 0);
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(snapshot(s.work), before);
}

QTEST_MAIN(TestWriteFaults)
#include "tst_write_faults.moc"
