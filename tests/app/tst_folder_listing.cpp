// The folder and file lists against Qt's own directory listing and name
// comparison: same entries, same order, also for names where case folding is
// subtle, and the part lists in the file list's order.
#include "app/window/folder_listing.h"
#include "app/window/frm_main.h"
#include "app/window/list_box.h"
#include "support/program_folder.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>

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

void touch(const QString& path) {
    QVERIFY(std::ofstream(QFile::encodeName(path).constData()).good());
}

} // namespace

class TestFolderListing : public QObject {
    Q_OBJECT

    ProgramFolder folder;

  private slots:
    // Names whose order depends on how case is folded: accents, sharp s,
    // final sigma, the Kelvin sign, dotted capital I, title-case digraphs,
    // full-width letters and letters beyond the first 65,536 (Deseret).
    void initTestCase() {
        const char16_t* const tails[] = {
            u"b",           u"B",      u"a",      u"\u00C4", u"\u00E4",     u"\u00DF",
            u"SS",          u"ss",     u"\u03C3", u"\u03A3", u"\u03C2",     u"k",
            u"K",           u"\u212A", u"\u0130", u"i",      u"I",          u"\u01C4",
            u"\u01C5",      u"\u01C6", u"\uFF21", u"\uFF41", u"10",         u"9",
            u"_",           u"~",      u"Z",      u"[",      u"\U00010400", u"\U00010428",
            u"\U00010400x", u"\uFFFF"};
        for (const char16_t* tail : tails) {
            const QString t = QString::fromUtf16(tail);
            touch(folder.path("ob_" + t + ".bmp"));
            touch(folder.path("w" + t + "_fl.bmp"));
        }
        touch(folder.path("notes.txt"));
        touch(folder.path(".hidden_fl.bmp"));
        const QByteArray notUtf8 = QFile::encodeName(folder.path()) + "/ob_\xff.bmp";
        QVERIFY(std::ofstream(notUtf8.constData()).good());
        QVERIFY(QFile::link(folder.path("ob_a.bmp"), folder.path("ob_link.bmp")));
        QVERIFY(QFile::link(folder.path("nowhere.bmp"), folder.path("ob_broken.bmp")));
        QCOMPARE(::mkfifo(QFile::encodeName(folder.path("ob_fifo.bmp")).constData(), 0600), 0);
        for (const char* sub : {"Sub", "sub", "\u00E4", ".git", "B"})
            folder.makeFolder(QString::fromUtf8(sub));
        QVERIFY(QFile::link(folder.path("Sub"), folder.path("dirlink")));
        QVERIFY(QFile::link(folder.path("gone"), folder.path("brokendir")));
    }

    void sameEntriesAndOrderAsQt() {
        const FolderEntries found = listFolder(folder.path());
        QCOMPARE(found.files, qtListing(folder.path(), QDir::Files));
        QCOMPARE(found.subfolders, qtListing(folder.path(), QDir::Dirs));
        // What QDir and the listing agree to leave out, and to keep.
        QVERIFY(found.files.contains("ob_link.bmp") && found.subfolders.contains("dirlink"));
        for (const char* gone :
             {"ob_broken.bmp", "ob_fifo.bmp", ".hidden_fl.bmp", "brokendir", ".git"})
            QVERIFY2(!found.files.contains(gone) && !found.subfolders.contains(gone),
                     qPrintable(gone));
        QCOMPARE(found.files.size(), 2 * 32 + 2);
        QCOMPARE(listFolder(folder.path("missing")).files, QStringList());
    }

    // Last: it adds a file.
    void windowListsFollowTheFileList() {
        FrmMain w(folder.context());
        w.load();
        const QStringList files = qtListing(folder.path(), QDir::Files);
        QCOMPARE(entries(w.findChild<QListWidget*>("flb")), files);
        QStringList objects, walls;
        for (const QString& f : files)
            if (f.endsWith(".bmp"))
                (f.startsWith("ob") ? objects : walls) << f.chopped(4);
        QCOMPARE(entries(w.lst(0)), objects);
        QCOMPARE(entries(w.lst(4)), walls);
        // A file added later shows up after the refresh command, in its place.
        touch(folder.path("ob_aa.bmp"));
        QCOMPARE(entries(w.lst(0)), objects);
        w.findChild<QAction*>("mnuRenew(0)")->trigger();
        objects.insert(objects.indexOf("ob_a") + 1, "ob_aa");
        QCOMPARE(entries(w.lst(0)), objects);
    }
};

QTEST_MAIN(TestFolderListing)
#include "tst_folder_listing.moc"
