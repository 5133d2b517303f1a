#include "app/cli/dungeon_command.h"

#include "app/cli/batch_render.h"
#include "app/cli/usage_error.h"
#include "app/common/messages.h"
#include "app/common/native_path.h"
#include "dungeon/dungeon_export.h"
#include "dungeon/dungeon_view.h"
#include "export/export_procedure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <thread>

namespace tarn {

namespace {

class Words {
    Q_DECLARE_TR_FUNCTIONS(DungeonCommand)
};

constexpr int kFault = 1;

// Paths tidied as the window's fields are.
std::string native(const QString& path) {
    return toNative(QDir::cleanPath(path));
}

struct DungeonOptions {
    QString map;
    QString pack;
    QString into;
    QString views;
    std::optional<int> firstArea;
    bool flatten = false;
    bool replace = false;
    bool dryRun = false;
};

// Empty when the arguments make a request; otherwise what is wrong with them.
QString parse(const QStringList& args, DungeonOptions& out) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        QString* value = a == QStringLiteral("--pack")    ? &out.pack
                         : a == QStringLiteral("--into")  ? &out.into
                         : a == QStringLiteral("--views") ? &out.views
                                                          : nullptr;
        QString number;
        if (a == QStringLiteral("--first-area"))
            value = &number;
        if (value != nullptr) {
            if (i + 1 >= args.size())
                return Words::tr("%1 には値を指定してください").arg(a);
            *value = args[++i];
            if (value == &number) {
                bool whole = false;
                const int n = number.toInt(&whole);
                if (!whole || n < kFirstAreaNumber || n > kLastAreaNumber)
                    return Words::tr("--first-area は 1 から 9999 までの整数です");
                out.firstArea = n;
            }
        } else if (a == QStringLiteral("--flatten")) {
            out.flatten = true;
        } else if (a == QStringLiteral("--replace")) {
            out.replace = true;
        } else if (a == QStringLiteral("--dry-run")) {
            out.dryRun = true;
        } else if (a.startsWith(QLatin1Char('-')) || !out.map.isEmpty()) {
            return unknownOption(a);
        } else {
            out.map = a;
        }
    }
    if (out.map.isEmpty() || out.pack.isEmpty() || out.into.isEmpty())
        return Words::tr("地図、--pack と --into を指定してください");
    return {};
}

} // namespace

int dungeonCommand(const Arguments& arguments) {
    QStringList args;
    for (const std::string& argument : arguments)
        args << fromNative(argument);
    DungeonOptions a;
    if (const QString problem = parse(args, a); !problem.isEmpty())
        return usageError(problem, "tarn dungeon");

    DungeonMap map;
    if (const MapResult r = readDungeonMap(native(a.map), map); !r.ok()) {
        say(dungeonFileText(r));
        return kFault;
    }
    DungeonPack pack;
    if (const PackResult r = readDungeonPack(native(a.pack), pack); !r.ok()) {
        say(dungeonFileText(r));
        return kFault;
    }
    if (const std::vector<PartRole> missing = missingRoles(map, pack); !missing.empty()) {
        say(missingRolesText(missing));
        return kFault;
    }

    PartCache parts;
    const bool terminal = isTerminal();
    DungeonRequest request;
    request.folder = native(a.into);
    request.mapFile = native(QFileInfo(a.map).fileName());
    request.packFile = native(QFileInfo(a.pack).fileName());
    request.firstArea = a.firstArea;
    request.flatten = a.flatten;
    request.replace = a.replace;
    request.dryRun = a.dryRun;
    if (!a.views.isEmpty()) {
        request.viewsFolder = native(a.views);
        request.encodePreview = encodePng;
    }
    request.threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (terminal)
        request.progress = [](int done, int total) {
            showProgress(done, total);
            return true;
        };
    const DungeonResult r = exportDungeon(
        map, pack,
        [&parts](const std::string& path, PartKind kind) { return parts.image(path, kind); },
        request);
    if (!r.ok()) {
        say(a.map + QStringLiteral(": ") +
            Words::tr("%1何も書き出していません。").arg(dungeonProblemText(r, true)));
        return kFault;
    }
    if (a.dryRun) {
        std::printf("%s\n",
                    Words::tr("%1 マス、%2 画面（異なる画面 %3）、エリア %4〜%5、開始エリア %6")
                        .arg(r.squares)
                        .arg(r.views)
                        .arg(r.distinctViews)
                        .arg(r.firstArea)
                        .arg(r.lastArea)
                        .arg(r.startArea)
                        .toLocal8Bit()
                        .constData());
        return 0;
    }
    QString text = Words::tr("%1 マスの迷宮をエリア %2〜%3 に書き出しました（異なる画面 %4）。")
                       .arg(r.squares)
                       .arg(r.firstArea)
                       .arg(r.lastArea)
                       .arg(r.distinctViews);
    if (!r.summaryWritten)
        text = Words::tr("%1Summary.wsm はそのままです。開始エリアは %2 です。")
                   .arg(text)
                   .arg(r.startArea);
    say(text);
    return 0;
}

} // namespace tarn
