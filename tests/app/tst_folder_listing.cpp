// The folder and file lists against Qt's own listing and name comparison: same entries, same
// order, also where case folding is subtle; the part lists in the file list's order.
#include "app/window/folder_listing.h"
#include "app/window/frm_main.h"
#include "app/window/list_box.h"
#include "support/program_folder.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

using namespace tarn;
using namespace tarn::test;

namespace {

// The listing as QDir gives it, ordered by QString's comparisons.
QStringList qtListing(const QString& folder, QDir::Filters filters) {
    QStringList names;
    for (const QString& name : QDir(folder).entryList(filters | QDir::NoDotAndDotDot, QDir::NoSort))
        if (!name.contains(QChar(0xFFFD)))
            names << name;
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
    });
    return names;
}

} // namespace

class TestFolderListing : public QObject {
    Q_OBJECT

  private slots:
    // Names whose order depends on how case is folded: accents, sharp s, final sigma, the Kelvin
    // sign, dotted capital I, title-case digraphs, full-width letters and letters beyond the
    // first 65,536 (Deseret). Files through the window's file list, which shows the listing.
    void listsFollowQtsOrder() {
        ProgramFolder folder;
        const char16_t* const tails[] = {
            u"b",           u"B",      u"a",      u"\u00C4", u"\u00E4",     u"\u00DF",
            u"SS",          u"ss",     u"\u03C3", u"\u03A3", u"\u03C2",     u"k",
            u"K",           u"\u212A", u"\u0130", u"i",      u"I",          u"\u01C4",
            u"\u01C5",      u"\u01C6", u"\uFF21", u"\uFF41", u"10",         u"9",
            u"_",           u"~",      u"Z",      u"[",      u"\U00010400", u"\U00010428",
            u"\U00010400x", u"\uFFFF"};
        for (const char16_t* tail : tails) {
            const QString t = QString::fromUtf16(tail);
            writeFile(folder.path("ob_" + t + ".bmp"), {});
            writeFile(folder.path("w" + t + "_fl.bmp"), {});
        }
        for (const char* name : {"notes.txt", ".hidden_fl.bmp"})
            writeFile(folder.path(name), {});
        const QByteArray undecodable = QFile::encodeName(folder.path()) + "/ob_\xff.bmp";
        QVERIFY(std::ofstream(undecodable.constData()).good());
        const auto removeIt = qScopeGuard([&] { ::unlink(undecodable.constData()); });
        QVERIFY(QFile::link(folder.path("ob_a.bmp"), folder.path("ob_link.bmp")));
        QVERIFY(QFile::link(folder.path("nowhere.bmp"), folder.path("ob_broken.bmp")));
        QCOMPARE(::mkfifo(QFile::encodeName(folder.path("ob_fifo.bmp")).constData(), 0600), 0);
        for (const char* sub : {"Sub", "sub", "\u00E4", ".git", "B"})
            folder.makeFolder(QString::fromUtf8(sub));
        QVERIFY(QFile::link(folder.path("Sub"), folder.path("dirlink")));
        QVERIFY(QFile::link(folder.path("gone"), folder.path("brokendir")));
        QCOMPARE(listFolder(folder.path()).subfolders, qtListing(folder.path(), QDir::Dirs));
        QCOMPARE(listFolder(folder.path("missing")).files, QStringList());
        FrmMain w(folder.context());
        w.load();
        const QStringList files = qtListing(folder.path(), QDir::Files);
        QCOMPARE(entries(w.findChild<QListWidget*>("flb")), files);
        QStringList objects, walls;
        for (const QString& f : files)
            if (f.endsWith(".bmp"))
                (f.startsWith("ob") ? objects : walls) << f.chopped(4);
        QCOMPARE(entries(w.lst(0)) + entries(w.lst(4)), objects + walls);
        // A file added later shows up after the refresh command, in its place.
        writeFile(folder.path("ob_aa.bmp"), {});
        QCOMPARE(entries(w.lst(0)), objects);
        w.findChild<QAction*>("mnuRenew(0)")->trigger();
        objects.insert(objects.indexOf("ob_a") + 1, "ob_aa");
        QCOMPARE(entries(w.lst(0)), objects);
    }
};

QTEST_MAIN(TestFolderListing)
#include "tst_folder_listing.moc"
