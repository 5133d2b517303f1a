// Part folders that fight back: files that are not what their names say,
// files that vanish or lock up between listing and choosing, names that do not
// decode, link loops and a very large folder. Each runs the real window on a
// real folder; afterwards the window must still work and its lists, slots and
// object rows must agree with each other.
#include "app/folder_listing.h"
#include "app/frm_main.h"
#include "app/list_box.h"
#include "app/picture_io.h"
#include "support/modal_script.h"
#include "support/program_folder.h"
#include "support/unprivileged_user.h"

#include <QAction>
#include <QElapsedTimer>
#include <QImageReader>
#include <QLabel>
#include <QToolButton>
#include <QTreeWidget>
#include <QtEndian>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

using namespace tarn;
using tarn::test::entries;
using tarn::test::ModalScript;
using tarn::test::ProgramFolder;
using tarn::test::UnprivilegedUser;

namespace {

constexpr Rgb kKey{255, 0, 255};

Picture part(Rgb body) {
    Picture p(30, 20, body);
    p.setPixel(0, 0, kKey);
    return p;
}

// A 24-bit BMP as the file system holds it.
QByteArray bmpBytes(const Picture& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    toQImage(picture).save(&buffer, "BMP");
    return bytes;
}

// A sound 54-byte header that claims width x height pixels of 24 bits, and
// only `pixelBytes` bytes of pixels after it.
QByteArray bmpHeader(qint32 width, qint32 height, int pixelBytes) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("BM", 2);
    out << quint32(54 + pixelBytes) << quint32(0) << quint32(54) << quint32(40) << width << height
        << quint16(1) << quint16(24) << quint32(0) << quint32(0) << qint32(2835) << qint32(2835)
        << quint32(0) << quint32(0);
    bytes.append(QByteArray(pixelBytes, '\x40'));
    return bytes;
}

// File names are made with raw calls, so names that are not UTF-8 can be made.
bool writeRaw(const QByteArray& path, const QByteArray& bytes) {
    const int fd = ::open(path.constData(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) ==
                    static_cast<ssize_t>(bytes.size());
    return ::close(fd) == 0 && ok;
}

enum class Hostile {
    ZeroBytes,
    TextFile,
    HeaderOnly,
    PixelsCutShort,
    GiantHeader,
    GiantTopDown,
    Unreadable,
    DeletedAfterListing,
    FifoAfterListing,
    Folder,
    LinkLoop,
    ShiftJisName,
};

// Makes the hostile thing at `path` (the bytes the file system sees).
bool makeHostile(Hostile kind, const QByteArray& path) {
    switch (kind) {
    case Hostile::ZeroBytes:
        return writeRaw(path, {});
    case Hostile::TextFile:
        return writeRaw(path, "These are the notes for the next scenario, not a picture.\n");
    case Hostile::HeaderOnly:
        return writeRaw(path, bmpHeader(30, 20, 0));
    case Hostile::PixelsCutShort:
        return writeRaw(path, bmpBytes(part({10, 200, 30})).left(54 + 30 * 3 * 7));
    case Hostile::GiantHeader:
        return writeRaw(path, bmpHeader(30000, 30000, 16));
    case Hostile::GiantTopDown:
        return writeRaw(path, bmpHeader(30000, -30000, 16));
    case Hostile::Unreadable:
        return writeRaw(path, bmpBytes(part({10, 200, 30}))) && ::chmod(path.constData(), 0) == 0;
    case Hostile::DeletedAfterListing:
        return ::unlink(path.constData()) == 0;
    case Hostile::FifoAfterListing:
        return ::unlink(path.constData()) == 0 && ::mkfifo(path.constData(), 0644) == 0;
    case Hostile::Folder:
        return ::mkdir(path.constData(), 0755) == 0;
    case Hostile::LinkLoop:
        return ::symlink((path + ".other").constData(), path.constData()) == 0 &&
               ::symlink(path.constData(), (path + ".other").constData()) == 0;
    case Hostile::ShiftJisName:
        return writeRaw(path, bmpBytes(part({10, 200, 30})));
    }
    return false;
}

bool madeAfterListing(Hostile kind) {
    return kind == Hostile::DeletedAfterListing || kind == Hostile::FifoAfterListing;
}

class Window {
  public:
    explicit Window(const ProgramFolder& folder) : main(folder.context()) {
        main.setExitHandler([] {});
        main.load();
        main.show();
    }

    int rowOf(int list, const QString& entry) const {
        const QList<QListWidgetItem*> found = main.lst(list)->findItems(entry, Qt::MatchExactly);
        return found.isEmpty() ? -1 : main.lst(list)->row(found.first());
    }
    void click(int list, const QString& entry) {
        ListBox* box = main.lst(list);
        QListWidgetItem* item = box->item(rowOf(list, entry));
        QVERIFY2(item != nullptr, qPrintable(entry));
        box->scrollToItem(item);
        QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, box->visualItemRect(item).center());
    }
    void insert(const QString& entry) {
        click(0, entry);
        QTest::mouseClick(main.findChild<QToolButton*>(QStringLiteral("cmd_ob(0)")),
                          Qt::LeftButton);
    }

    // The object columns show the scene's rows; slot labels show the slot names.
    void verifyConsistent() const {
        const std::vector<ObjectRow>& rows = main.scene().objects;
        for (int i = 6; i <= 10; ++i)
            QCOMPARE(main.lst(i)->count(), static_cast<int>(rows.size()));
        for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
            const ObjectRow& o = rows[static_cast<std::size_t>(r)];
            QCOMPARE(main.lst(6)->item(r)->text(), QString::fromStdString(o.name));
            QCOMPARE(main.lst(10)->item(r)->text(), QString::fromStdString(o.path));
            QCOMPARE(o.picture.width(), o.mask.width());
            QCOMPARE(o.picture.height(), o.mask.height());
        }
        for (int s = 1; s <= kSlotCount; ++s) {
            const Slot& slot = main.scene().slot(s);
            QCOMPARE(main.use(s)->text(), QString::fromStdString(slot.name));
            if (!slot.name.empty()) {
                QCOMPARE(slot.picture.width(), slot.mask.width());
                QCOMPARE(slot.picture.height(), slot.mask.height());
            }
        }
        // Every folder the folder list offers below the current one can be entered.
        auto* dir = main.findChild<QTreeWidget*>(QStringLiteral("dir"));
        QTreeWidgetItem* current = dir->currentItem();
        for (int c = 0; current != nullptr && c < current->childCount(); ++c)
            QVERIFY2(canEnterFolder(current->child(c)->toolTip(0)),
                     qPrintable(current->child(c)->toolTip(0)));
    }

    FrmMain main;
};

} // namespace

Q_DECLARE_METATYPE(Hostile)

class TestHostileParts : public QObject {
    Q_OBJECT

  private slots:
    void headerAloneDecidesASizeRefusal_data();
    void headerAloneDecidesASizeRefusal();
    void hostilePartsLeaveTheWindowWhole_data();
    void hostilePartsLeaveTheWindowWhole();
    void tenThousandFilesAreListed();
    void bitmapsThatLeavePixelsUnwritten();
};

void TestHostileParts::headerAloneDecidesASizeRefusal_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("30000 x 30000, 70 bytes") << bmpHeader(30000, 30000, 16);
    QTest::newRow("30000 x 30000 top-down") << bmpHeader(30000, -30000, 16);
    QTest::newRow("one row past the limit") << bmpHeader(1, kMaxPartSide + 1, 16);
    QTest::newRow("width overflowing a row") << bmpHeader(0x7fffffff, 1, 16);
}

// The files are tiny, so their pixels are never there to decode; with Qt's own
// allocation limit lifted, only a refusal taken from the header keeps the
// reader from asking for gigabytes.
void TestHostileParts::headerAloneDecidesASizeRefusal() {
    QFETCH(QByteArray, bytes);
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(0);
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    Picture out(3, 2, kKey);
    const bool loaded = loadPicture(&device, out);
    QImageReader::setAllocationLimit(limit);
    QVERIFY(!loaded);
    QVERIFY(out == Picture(3, 2, kKey));
    // Nothing past the header was read.
    QVERIFY2(device.pos() <= 54, qPrintable(QString::number(device.pos())));
}

void TestHostileParts::hostilePartsLeaveTheWindowWhole_data() {
    QTest::addColumn<Hostile>("kind");
    QTest::addColumn<QByteArray>("base"); // the name before "_fl.bmp", after "ob_"

    const QByteArray bad("bad");
    QTest::newRow("zero bytes") << Hostile::ZeroBytes << bad;
    QTest::newRow("text file") << Hostile::TextFile << bad;
    QTest::newRow("header without pixels") << Hostile::HeaderOnly << bad;
    QTest::newRow("pixels cut short") << Hostile::PixelsCutShort << bad;
    QTest::newRow("header claims 30000 x 30000") << Hostile::GiantHeader << bad;
    QTest::newRow("header claims 30000 x -30000") << Hostile::GiantTopDown << bad;
    QTest::newRow("no read permission") << Hostile::Unreadable << bad;
    QTest::newRow("deleted after listing") << Hostile::DeletedAfterListing << bad;
    QTest::newRow("pipe in its place after listing") << Hostile::FifoAfterListing << bad;
    QTest::newRow("folder named as a part") << Hostile::Folder << bad;
    QTest::newRow("symbolic link loop") << Hostile::LinkLoop << bad;
    // "テスト" in Shift-JIS, which is no UTF-8; and "縺ｱ" in Shift-JIS, whose
    // bytes happen to be UTF-8 for "ぱ".
    QTest::newRow("Shift-JIS name")
        << Hostile::ShiftJisName << QByteArray("\x83\x65\x83\x58\x83\x67");
    QTest::newRow("Shift-JIS name that reads as UTF-8")
        << Hostile::ShiftJisName << QByteArray("\xe3\x81\xb1");
}

void TestHostileParts::hostilePartsLeaveTheWindowWhole() {
    QFETCH(Hostile, kind);
    QFETCH(QByteArray, base);

    ProgramFolder folder;
    folder.writePart(QStringLiteral("good_fl.bmp"), part({200, 30, 30}));
    folder.writePart(QStringLiteral("later_fl.bmp"), part({30, 30, 200}));
    folder.writePart(QStringLiteral("ob_good.bmp"), part({30, 200, 30}));
    const QByteArray root = QFile::encodeName(folder.path()) + '/';
    const QByteArray wall = root + base + "_fl.bmp";
    const QByteArray object = root + "ob_" + base + ".bmp";
    if (madeAfterListing(kind)) {
        QVERIFY(writeRaw(wall, bmpBytes(part({1, 2, 3}))));
        QVERIFY(writeRaw(object, bmpBytes(part({1, 2, 3}))));
    } else {
        QVERIFY(makeHostile(kind, wall));
        QVERIFY(makeHostile(kind, object));
    }

    Window w(folder);
    const QString wallEntry = QFile::decodeName(base) + QStringLiteral("_fl");
    const QString objectEntry = QStringLiteral("ob_") + QFile::decodeName(base);
    const bool listed = w.rowOf(4, wallEntry) >= 0;
    QCOMPARE(w.rowOf(0, objectEntry) >= 0, listed);
    if (madeAfterListing(kind)) {
        QVERIFY(makeHostile(kind, wall));
        QVERIFY(makeHostile(kind, object));
    }
    QStringList walls{QStringLiteral("good_fl"), QStringLiteral("later_fl")};
    QStringList objects{QStringLiteral("ob_good")};
    if (listed) {
        walls.append(wallEntry);
        walls.sort(Qt::CaseInsensitive);
        objects.append(objectEntry);
        objects.sort(Qt::CaseInsensitive);
    }
    QCOMPARE(entries(w.main.lst(4)), walls);
    QCOMPARE(entries(w.main.lst(0)), objects);

    w.click(4, QStringLiteral("good_fl"));
    w.insert(QStringLiteral("ob_good"));
    const Slot before = w.main.scene().slot(4);
    const Picture canvasBefore = w.main.scene().canvas;

    // A name that does not decode is either left out or listed and usable.
    const bool usable = kind == Hostile::ShiftJisName;
    if (listed) {
        UnprivilegedUser user(folder.path());
        QVERIFY(user.ok());
        if (kind == Hostile::Unreadable)
            QVERIFY(::faccessat(AT_FDCWD, wall.constData(), R_OK, AT_EACCESS) != 0);
        // One warning for the wall, one for the object; none for a usable name.
        const std::size_t boxes = usable ? 0 : 1;
        ModalScript script(std::vector<ModalScript::Step>(2 * boxes, test::press(QMessageBox::Ok)));
        w.click(4, wallEntry);
        QCOMPARE(script.seen().size(), boxes);
        if (!usable) {
            QCOMPARE(script.seen()[0].title, QStringLiteral("Tarn"));
            QCOMPARE(script.seen()[0].icon, QMessageBox::Warning);
            QVERIFY2(
                script.seen()[0].text.contains(
                    QStringLiteral("「%1」を読み込めませんでした").arg(QFile::decodeName(wall))),
                qPrintable(script.seen()[0].text));
            QCOMPARE(w.main.use(4)->text(), QStringLiteral("good_fl"));
            QCOMPARE(w.main.scene().slot(4).name, before.name);
            QCOMPARE(w.main.scene().slot(4).path, before.path);
            QVERIFY(w.main.scene().slot(4).picture == before.picture);
            QVERIFY(w.main.scene().canvas == canvasBefore);
        }

        // The preview stays empty and says nothing; Insert tells and adds nothing.
        w.insert(objectEntry);
        QCOMPARE(script.seen().size(), 2 * boxes);
        if (!usable)
            QVERIFY2(script.seen()[1].text.contains(QFile::decodeName(object)),
                     qPrintable(script.seen()[1].text));
        QCOMPARE(w.main.pctOb()->pixmap().isNull(), !usable);
        QCOMPARE(w.main.scene().objects.size(), std::size_t(usable ? 2 : 1));
    }
    w.verifyConsistent();

    // The window goes on working: another part, another object, a refresh.
    ModalScript none({});
    w.click(4, QStringLiteral("later_fl"));
    QCOMPARE(w.main.use(4)->text(), QStringLiteral("later_fl"));
    QVERIFY(!(w.main.scene().canvas == canvasBefore));
    w.insert(QStringLiteral("ob_good"));
    w.main.findChild<QAction*>(QStringLiteral("mnuRenew(0)"))->trigger();
    QCOMPARE(none.seen().size(), std::size_t{0});
    QCOMPARE(w.main.scene().objects.back().name, std::string("ob_good"));
    w.verifyConsistent();

    // Clean-up the folder's own removal may not manage.
    ::chmod(wall.constData(), 0644);
    ::chmod(object.constData(), 0644);
    for (const QByteArray& path : {wall, object, wall + ".other", object + ".other"}) {
        ::unlink(path.constData());
        ::rmdir(path.constData());
    }
}

void TestHostileParts::tenThousandFilesAreListed() {
    ProgramFolder folder;
    const QString big = folder.makeFolder(QStringLiteral("big"));
    const char* const codes[] = {"ug", "bl", "br", "fl", "fr"};
    for (int i = 0; i < 10000; ++i) {
        const QByteArray name = QFile::encodeName(big) + '/' +
                                QByteArray::number(i).rightJustified(5, '0') + '_' + codes[i % 5] +
                                ".bmp";
        QVERIFY(writeRaw(name, {}));
    }
    folder.writePart(QStringLiteral("big/~last_fl.bmp"), part({200, 30, 30}));
    Window w(folder);

    QElapsedTimer timer;
    timer.start();
    QVERIFY(w.main.changeFolder(big));
    const qint64 changeMs = timer.elapsed();
    timer.restart();
    w.main.findChild<QAction*>(QStringLiteral("mnuRenew(0)"))->trigger();
    const qint64 refreshMs = timer.elapsed();
    qInfo("10,000 files: folder change %lld ms, refresh %lld ms", changeMs, refreshMs);

    for (int slot = 1; slot <= kSlotCount; ++slot)
        QCOMPARE(w.main.lst(slot)->count(), slot == 4 ? 2001 : 2000);
    QCOMPARE(w.main.lst(4)->item(2000)->text(), QStringLiteral("~last_fl"));
    ModalScript none({});
    w.click(4, QStringLiteral("~last_fl"));
    QCOMPARE(none.seen().size(), std::size_t{0});
    QCOMPARE(w.main.use(4)->text(), QStringLiteral("~last_fl"));
}

// Inputs a fuzzer found: a run-length bitmap that ends at once leaves every
// pixel to the decoder's buffer, and pixel data said to start at offset 0
// would be read from the headers. Neither may bring stale memory into a part.
void TestHostileParts::bitmapsThatLeavePixelsUnwritten() {
    const QString dir = QStringLiteral(TARN_TEST_DATA "/crashes/picture/");
    // Leave freed blocks of the picture's size full of a marker, so an
    // uninitialised buffer would show it.
    for (int i = 0; i < 16; ++i) {
        void* block = std::malloc(64 * 64);
        std::memset(block, 0xAB, 64 * 64);
        std::free(block);
    }
    Picture picture;
    QVERIFY(loadPicture(dir + QStringLiteral("rle8_end_at_once_64x64.bmp"), picture));
    QCOMPARE(picture.width(), 64);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            QVERIFY2(picture.pixel(x, y) == kBlack,
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));

    Picture untouched(2, 2, kWhite);
    QVERIFY(!loadPicture(dir + QStringLiteral("bitfields16_offset0_short.bmp"), untouched));
    QVERIFY(untouched == Picture(2, 2, kWhite));
}

QTEST_MAIN(TestHostileParts)
#include "tst_hostile_parts.moc"
