#include "app/command_line.h"

#include "app/batch_render.h"
#include "app/dungeon_command.h"
#include "app/frm_write.h"
#include "app/language.h"
#include "app/messages.h"
#include "app/picture_io.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <unistd.h>

#include <cstdio>
#include <set>
#include <thread>

namespace tarn {

namespace {

constexpr int kUsageError = 2;

class Words {
    Q_DECLARE_TR_FUNCTIONS(CommandLine)
};

void say(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fputc('\n', stderr);
}

QString usageText() {
    return Words::tr("使い方:\n"
                     "  tarn [シーン.tarn]\n"
                     "      ウィンドウを開きます（シーンを指定するとそれを開きます）。\n"
                     "  tarn render シーン.tarn... (-o ファイル | --out-dir フォルダ)\n"
                     "             [--format bmp|png|jpg] [--quality N] [--progressive]\n"
                     "             [--gray | --sepia]\n"
                     "      シーンを画像に書き出します。\n"
                     "  tarn export シーン.tarn --into フォルダ --area N [--replace]\n"
                     "             [--background black|default]\n"
                     "      シーンをシナリオのエリアとして書き出します。\n"
                     "  tarn dungeon 地図 --pack パック --into フォルダ [--first-area N]\n"
                     "             [--flatten] [--views フォルダ2] [--replace] [--dry-run]\n"
                     "      地図から歩ける迷宮のエリアをすべて書き出します。\n"
                     "  tarn --help | --version");
}

int usageError(const QString& problem) {
    say(QStringLiteral("tarn: ") + problem);
    say(Words::tr("詳しくは tarn --help を見てください。"));
    return kUsageError;
}

// "scene: what went wrong", naming the file where it is another.
QString outcomeText(const RenderJob& job, const RenderOutcome& outcome) {
    const QString scene = job.scene + QStringLiteral(": ");
    switch (outcome.kind) {
    case RenderOutcome::Kind::SceneUnusable:
        return scene + sceneOpenFailure(outcome.scene);
    case RenderOutcome::Kind::PartsMissing: {
        QStringList files;
        for (const std::string& path : outcome.missing)
            files << QString::fromStdString(path);
        return scene + Words::tr("部品を読み込めません: %1").arg(files.join(QStringLiteral(", ")));
    }
    case RenderOutcome::Kind::WriteFailed:
        return scene + Words::tr("%1 に書き込めません（%2）")
                           .arg(job.output, errorDescription(outcome.error));
    case RenderOutcome::Kind::Written:
        break;
    }
    return scene;
}

bool isTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

void showProgress(int finished, int total) {
    constexpr int kWidth = 30;
    const int filled = total > 0 ? finished * kWidth / total : kWidth;
    std::fprintf(stderr, "\r[%.*s%*s] %d/%d", filled, "##############################",
                 kWidth - filled, "", finished, total);
    if (finished == total)
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

struct RenderRequest {
    QStringList scenes;
    QString outFile;
    QString outDir;
    RenderSettings settings;
    bool formatGiven = false;
};

std::optional<OutputFormat> formatNamed(const QString& name) {
    const QString n = name.toLower();
    if (n == QStringLiteral("bmp"))
        return OutputFormat::Bmp;
    if (n == QStringLiteral("png"))
        return OutputFormat::Png;
    if (n == QStringLiteral("jpg") || n == QStringLiteral("jpeg"))
        return OutputFormat::Jpeg;
    return std::nullopt;
}

QString extensionOf(OutputFormat format) {
    switch (format) {
    case OutputFormat::Png:
        return QStringLiteral(".png");
    case OutputFormat::Jpeg:
        return QStringLiteral(".jpg");
    case OutputFormat::Bmp:
        break;
    }
    return QStringLiteral(".bmp");
}

// Empty when the arguments make a request; otherwise what is wrong with them.
QString parseRender(const QStringList& args, RenderRequest& request) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const auto value = [&](QString& out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        QString v;
        if (a == QStringLiteral("-o") || a == QStringLiteral("--output")) {
            if (!value(request.outFile))
                return Words::tr("%1 には出力ファイルを指定してください").arg(a);
        } else if (a == QStringLiteral("--out-dir")) {
            if (!value(request.outDir))
                return Words::tr("%1 には出力フォルダを指定してください").arg(a);
        } else if (a == QStringLiteral("--format")) {
            if (!value(v) || !formatNamed(v))
                return Words::tr("--format は bmp、png、jpg のどれかです");
            request.settings.format = *formatNamed(v);
            request.formatGiven = true;
        } else if (a == QStringLiteral("--quality")) {
            bool number = false;
            const int q = value(v) ? v.toInt(&number) : 0;
            if (!number || q < 1 || q > 100)
                return Words::tr("--quality は 1 から 100 までの整数です");
            request.settings.quality = q;
        } else if (a == QStringLiteral("--progressive")) {
            request.settings.progressive = true;
        } else if (a == QStringLiteral("--gray") || a == QStringLiteral("--sepia")) {
            if (request.settings.tone)
                return Words::tr("--gray と --sepia は一緒に使えません");
            request.settings.tone = a == QStringLiteral("--gray") ? Tone::Gray : Tone::Sepia;
        } else if (a.startsWith(QLatin1Char('-')) && a != QStringLiteral("-")) {
            return Words::tr("知らないオプションです: %1").arg(a);
        } else {
            request.scenes << a;
        }
    }
    if (request.scenes.isEmpty())
        return Words::tr("シーンファイルを指定してください");
    if (request.outFile.isEmpty() == request.outDir.isEmpty())
        return Words::tr("-o と --out-dir のどちらか一つを指定してください");
    if (!request.outFile.isEmpty() && request.scenes.size() > 1)
        return Words::tr("シーンが複数のときは --out-dir を使ってください");
    if (!request.outFile.isEmpty() && !request.formatGiven)
        request.settings.format =
            formatNamed(QFileInfo(request.outFile).suffix()).value_or(OutputFormat::Bmp);
    return {};
}

int render(const QStringList& args) {
    RenderRequest request;
    if (const QString problem = parseRender(args, request); !problem.isEmpty())
        return usageError(problem);
    if (!request.outDir.isEmpty() && !QDir().mkpath(request.outDir))
        return usageError(Words::tr("出力フォルダを作れません: %1").arg(request.outDir));
    std::vector<RenderJob> jobs;
    std::set<QString> outputs;
    for (const QString& scene : request.scenes) {
        const QString output = request.outFile.isEmpty() ? request.outDir + QLatin1Char('/') +
                                                               QFileInfo(scene).completeBaseName() +
                                                               extensionOf(request.settings.format)
                                                         : request.outFile;
        // Two scenes of one name would overwrite each other's picture.
        if (!outputs.insert(QFileInfo(output).absoluteFilePath()).second)
            return usageError(Words::tr("出力ファイルが重なります: %1").arg(output));
        jobs.push_back({scene, output});
    }

    const bool terminal = isTerminal();
    const int total = static_cast<int>(jobs.size());
    const std::vector<RenderOutcome> outcomes = renderBatch(
        jobs, request.settings, static_cast<int>(std::max(1u, std::thread::hardware_concurrency())),
        [&](int finished) {
            if (terminal)
                showProgress(finished, total);
        });
    int failed = 0;
    for (std::size_t i = 0; i < jobs.size(); ++i)
        if (!outcomes[i].ok()) {
            ++failed;
            say(outcomeText(jobs[i], outcomes[i]));
        }
    say(Words::tr("%1 件のシーンのうち %2 件を書き出しました。").arg(total).arg(total - failed));
    return failed == 0 ? 0 : 1;
}

// The export of the window, from a scene file: the same checks, the same words.
int exportScene(const QStringList& args) {
    QString scene, folder, area, background = QStringLiteral("black");
    bool replace = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        QString* value = a == QStringLiteral("--into")         ? &folder
                         : a == QStringLiteral("--area")       ? &area
                         : a == QStringLiteral("--background") ? &background
                                                               : nullptr;
        if (value != nullptr) {
            if (i + 1 >= args.size())
                return usageError(Words::tr("%1 には値を指定してください").arg(a));
            *value = args[++i];
        } else if (a == QStringLiteral("--replace")) {
            replace = true;
        } else if (a.startsWith(QLatin1Char('-')) || !scene.isEmpty()) {
            return usageError(Words::tr("知らないオプションです: %1").arg(a));
        } else {
            scene = a;
        }
    }
    if (scene.isEmpty() || folder.isEmpty() || area.isEmpty())
        return usageError(Words::tr("シーン、--into と --area を指定してください"));
    if (background != QStringLiteral("black") && background != QStringLiteral("default"))
        return usageError(Words::tr("--background は black か default です"));

    SceneDocument document{std::string()};
    const RenderOutcome outcome =
        openWhole(document, scene, [](const std::string& path, PartKind kind) {
            return makePartImage(loadPartFile, path, kind);
        });
    if (!outcome.ok()) {
        say(outcomeText({scene, folder}, outcome));
        return 1;
    }
    ExportRequest request;
    request.folder = QFile::encodeName(QDir::cleanPath(folder)).toStdString();
    request.numberText = area.toStdString();
    request.background =
        background == QStringLiteral("black") ? Background::Black : Background::Default;
    request.replaceExisting = replace;
    const ExportResult result = exportTemplate(document.scene(), request);
    if (result.ok()) {
        say(exportWrittenText(result));
        return 0;
    }
    if (result.problem == ExportProblem::AreaExists)
        say(scene + QStringLiteral(": ") +
            Words::tr("「%1」はすでにあります。置き換えるときは --replace を付けてください。")
                .arg(QFile::decodeName(QByteArray::fromStdString(result.subject))));
    else
        say(scene + QStringLiteral(": ") + exportProblemText(result));
    return 1;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine command;
    // `tarn SCENE.tarn`; the program's own options are taken by Qt before this.
    if (arguments.size() > 1)
        command.scene = arguments[1];
    return command;
}

int runCommand(int argc, char* argv[], const QString& language) {
    if (argc < 2)
        return -1;
    const QByteArray command(argv[1]);
    if (command != "render" && command != "export" && command != "dungeon" && command != "--help" &&
        command != "-h" && command != "--version")
        return -1;
    // Words and pictures need an application object, but no display.
    QCoreApplication app(argc, argv);
    installTranslations(app, language);
    QStringList args = QCoreApplication::arguments().mid(2);
    if (command == "--help" || command == "-h") {
        std::printf("%s\n", usageText().toLocal8Bit().constData());
        return 0;
    }
    if (command == "--version") {
        std::printf("tarn %s\n", TARN_VERSION);
        return 0;
    }
    if (command == "render")
        return render(args);
    if (command == "dungeon")
        return dungeonCommand(args);
    return exportScene(args);
}

} // namespace tarn
