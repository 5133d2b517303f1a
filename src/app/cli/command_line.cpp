#include "app/cli/command_line.h"

#include "app/cli/batch_render.h"
#include "app/cli/dungeon_command.h"
#include "app/cli/signal_exit.h"
#include "app/cli/usage_error.h"
#include "app/common/language.h"
#include "app/common/messages.h"
#include "app/common/native_path.h"
#include "app/common/picture_io.h"

#include "base/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <set>
#include <thread>

namespace tarn {

namespace {

class Words {
    Q_DECLARE_TR_FUNCTIONS(CommandLine)
};

// 0, or 1 with a word on stderr when standard output cannot take the text.
int print(const QString& text) {
    const QByteArray bytes = (text + QLatin1Char('\n')).toLocal8Bit();
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout) ==
            static_cast<std::size_t>(bytes.size()) &&
        std::fflush(stdout) == 0)
        return 0;
    say(Words::tr("標準出力に書き込めません（%1）")
            .arg(errorDescription(errno != 0 ? errno : EIO)));
    return 1;
}

QString usageText() {
    return Words::tr("使い方:\n"
                     "  tarn [シーン.tarn]\n"
                     "      ウィンドウを開きます（シーンを指定するとそれを開きます）。\n"
                     "  tarn render シーン.tarn... (-o ファイル | --out-dir フォルダ)\n"
                     "             [--format bmp|png|jpg] [--quality N] [--progressive]\n"
                     "             [--gray | --sepia]\n"
                     "      シーンを画像に書き出します。-o - は標準出力に書きます。\n"
                     "      -o は --output とも書けます。\n"
                     "  tarn export シーン.tarn --into フォルダ --area N [--replace]\n"
                     "             [--background black|default]\n"
                     "      シーンをシナリオのエリアとして書き出します。\n"
                     "  tarn dungeon 地図 --pack パック --into フォルダ [--first-area N]\n"
                     "             [--flatten] [--views フォルダ2] [--replace] [--dry-run]\n"
                     "      地図から歩ける迷宮のエリアをすべて書き出します。\n"
                     "  tarn --help | -h | --version\n"
                     "どのコマンドにも --lang ja|en を付けると、その言語で表示します。");
}

// "scene: what went wrong", naming the file where it is another.
QString outcomeText(const RenderJob& job, const SceneOpenResult& outcome) {
    return fromNative(job.scene) + QStringLiteral(": ") + renderFailure(outcome, job.output);
}

} // namespace

void showProgress(int finished, int total) {
    constexpr int kWidth = 30;
    const int filled = total > 0 ? finished * kWidth / total : kWidth;
    std::fprintf(stderr, "\r[%.*s%*s] %d/%d", filled, "##############################",
                 kWidth - filled, "", finished, total);
    if (finished == total)
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

namespace {

struct RenderRequest {
    std::vector<std::string> scenes;
    std::string outFile;
    std::string outDir;
    RenderSettings settings;
    bool formatGiven = false;
};

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The option a repeat is counted under: --gray and --sepia are one choice.
std::string optionKey(const std::string& option) {
    if (option == "--output")
        return "-o";
    return option == "--sepia" ? "--gray" : option;
}

// Empty when the arguments make a request; otherwise what is wrong with them.
QString parseRender(const Arguments& args, RenderRequest& request) {
    std::set<std::string> seen;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&](std::string& out) {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return false;
            out = args[++i];
            return true;
        };
        if (a.starts_with('-') && a != "-" && !seen.insert(optionKey(a)).second)
            return a == "--gray" || a == "--sepia"
                       ? Words::tr("--gray と --sepia はどちらか一つを一度だけ指定してください")
                       : Words::tr("%1 は一度だけ指定できます").arg(fromNative(a));
        std::string v;
        if (a == "-o" || a == "--output") {
            if (!value(request.outFile))
                return Words::tr("%1 には出力ファイルを指定してください").arg(fromNative(a));
        } else if (a == "--out-dir") {
            if (!value(request.outDir))
                return Words::tr("%1 には出力フォルダを指定してください").arg(fromNative(a));
        } else if (a == "--format") {
            if (!value(v) || !formatNamed(v))
                return Words::tr("--format は bmp、png、jpg のどれかです");
            request.settings.format = *formatNamed(v);
            request.formatGiven = true;
        } else if (a == "--quality") {
            bool number = false;
            const int q = value(v) ? QString::fromStdString(v).toInt(&number) : 0;
            if (!number || q < 1 || q > 100)
                return Words::tr("--quality は 1 から 100 までの整数です");
            request.settings.quality = q;
        } else if (a == "--progressive") {
            request.settings.progressive = true;
        } else if (a == "--gray" || a == "--sepia") {
            request.settings.tone = a == "--gray" ? Tone::Gray : Tone::Sepia;
        } else if (a.starts_with('-') && a != "-") {
            return unknownOption(a);
        } else {
            request.scenes.push_back(a);
        }
    }
    if (request.scenes.empty())
        return Words::tr("シーンファイルを指定してください");
    if (request.outFile.empty() == request.outDir.empty())
        return Words::tr("-o と --out-dir のどちらか一つを指定してください");
    if (!request.outFile.empty() && request.scenes.size() > 1)
        return Words::tr("シーンが複数のときは --out-dir を使ってください");
    if (!request.outFile.empty() && !request.formatGiven && request.outFile != "-") {
        // No ending is the default format; an ending of another kind is a mistake.
        const std::string ending = getext(fileNameOf(request.outFile));
        if (!ending.empty() && !formatNamed(ending))
            return Words::tr("拡張子「%1」の形式では書けません。--format で形式を指定してください")
                .arg(fromNative(ending));
        request.settings.format = formatNamed(ending).value_or(OutputFormat::Bmp);
    }
    return {};
}

// The files a batch reads: its scenes and every part they name, by identity,
// so that another name of the same file counts too.
std::set<std::pair<dev_t, ino_t>> inputsOf(const std::vector<std::string>& scenes) {
    std::set<std::pair<dev_t, ino_t>> inputs;
    const auto add = [&](const std::string& path) {
        struct stat st {};
        if (!path.empty() && ::stat(path.c_str(), &st) == 0)
            inputs.insert({st.st_dev, st.st_ino});
    };
    for (const std::string& scene : scenes) {
        add(scene);
        SceneFileData data;
        if (!readSceneFile(scene, data).ok())
            continue;
        for (const SceneFileSlot& slot : data.terrain)
            add(slot.path);
        for (const SceneFileObject& object : data.objects)
            add(object.path);
    }
    return inputs;
}

int render(const Arguments& args) {
    RenderRequest request;
    if (const QString problem = parseRender(args, request); !problem.isEmpty())
        return usageError(problem);
    std::vector<RenderJob> jobs;
    std::set<QString> outputs;
    for (const std::string& scene : request.scenes) {
        std::string base = fileNameOf(scene);
        base = base.substr(0, std::min(base.rfind('.'), base.size())); // as completeBaseName
        const std::string output =
            request.outFile.empty()
                ? joinPath(request.outDir, base + extensionOf(request.settings.format))
                : request.outFile;
        // Two scenes of one name would overwrite each other's picture.
        if (output != "-" &&
            !outputs.insert(QFileInfo(fromNative(output)).absoluteFilePath()).second)
            return usageError(Words::tr("出力ファイルが重なります: %1").arg(fromNative(output)));
        jobs.push_back({scene, output});
    }
    const auto inputs = inputsOf(request.scenes);
    for (const RenderJob& job : jobs) {
        struct stat st {};
        if (job.output != "-" && ::stat(job.output.c_str(), &st) == 0 &&
            inputs.contains({st.st_dev, st.st_ino}))
            return usageError(
                Words::tr("%1 はこのシーンか、その部品です。別の出力先を指定してください")
                    .arg(fromNative(job.output)));
    }
    if (!request.outDir.empty() && !QDir().mkpath(fromNative(request.outDir)))
        return usageError(
            Words::tr("出力フォルダを作れません: %1").arg(fromNative(request.outDir)));

    const bool terminal = isTerminal();
    const int total = static_cast<int>(jobs.size());
    const std::vector<SceneOpenResult> outcomes = renderBatch(
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
int exportScene(const Arguments& args) {
    std::string scene, folder, area, background = "black";
    bool replace = false;
    std::set<std::string> seen;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.starts_with('-') && !seen.insert(a).second)
            return usageError(Words::tr("%1 は一度だけ指定できます").arg(fromNative(a)));
        std::string* value = a == "--into"         ? &folder
                             : a == "--area"       ? &area
                             : a == "--background" ? &background
                                                   : nullptr;
        if (value != nullptr) {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return usageError(Words::tr("%1 には値を指定してください").arg(fromNative(a)));
            *value = args[++i];
        } else if (a == "--replace") {
            replace = true;
        } else if (a.starts_with('-') || !scene.empty()) {
            return usageError(unknownOption(a));
        } else {
            scene = a;
        }
    }
    if (scene.empty() || folder.empty() || area.empty())
        return usageError(Words::tr("シーン、--into と --area を指定してください"));
    if (background != "black" && background != "default")
        return usageError(Words::tr("--background は black か default です"));

    SceneDocument document{std::string()};
    const SceneOpenResult outcome =
        openWhole(document, scene, [](const std::string& path, PartKind kind) {
            return makePartImage(loadPartFile, path, kind);
        });
    if (!outcome.ok()) {
        say(outcomeText({scene, folder}, outcome));
        return 1;
    }
    // A missing folder is made, as render --out-dir makes its own.
    QDir().mkpath(fromNative(folder));
    ExportRequest request;
    request.folder = trimpath(folder).empty() ? folder : trimpath(folder);
    request.numberText = area;
    request.background = background == "black" ? Background::Black : Background::Default;
    request.replaceExisting = replace;
    const ExportResult result = exportTemplate(document.scene(), request);
    if (result.ok()) {
        say(exportWrittenText(result));
        return 0;
    }
    say(fromNative(scene) + QStringLiteral(": ") + exportProblemText(result, true));
    return 1;
}

// A command that needs no window: `tarn <name> ARGUMENTS...`. Returns the
// process's exit status (0 done, 1 some file failed, 2 a usage error).
struct Verb {
    const char* name;
    int (*run)(const Arguments& arguments);
};

// Every verb; the unknown-verb check knows a verb by its row here.
const Verb kVerbs[] = {
    {"render", render},
    {"export", exportScene},
    {"dungeon", dungeonCommand},
};

const Verb* verbNamed(const std::string& name) {
    for (const Verb& verb : kVerbs)
        if (name == verb.name)
            return &verb;
    return nullptr;
}

bool looksLikeScene(const std::string& argument) {
    struct stat st {};
    return QString::fromStdString(getext(argument)).toLower() == QStringLiteral("tarn") ||
           ::stat(argument.c_str(), &st) == 0;
}

} // namespace

int runCommand(int argc, char* argv[], CommandLine& window) {
    Arguments args(argv + 1, argv + argc);
    // --lang counts wherever it stands, a verb's arguments included.
    QString language = environmentLanguage();
    bool languageKnown = true;
    for (auto it = args.begin(); it != args.end();) {
        if (*it != "--lang") {
            ++it;
            continue;
        }
        languageKnown = it + 1 != args.end() && isLanguage(*(it + 1));
        if (!languageKnown)
            break;
        language = QString::fromStdString(*(it + 1));
        it = args.erase(it, it + 2);
    }
    const std::string first = args.empty() ? std::string() : args.front();
    const Verb* verb = verbNamed(first);
    const bool help = first == "--help" || first == "-h";
    const bool version = first == "--version";
    if (languageKnown && !verb && !help && !version &&
        (args.empty() || (args.size() == 1 && !first.starts_with('-') && looksLikeScene(first)))) {
        window.language = language;
        window.scene = first;
        return -1;
    }
    if (verb)
        endOnSignals();
    // Words need an application object, never a display; it sees none of the
    // arguments, which are the program's own.
    int noArguments = 1;
    QCoreApplication app(noArguments, argv);
    installTranslations(app, language);
    if (!languageKnown)
        return usageError(Words::tr("--lang には次のどれかを指定してください: %1")
                              .arg(languages().join(QStringLiteral(", "))));
    if (verb)
        return verb->run(Arguments(args.begin() + 1, args.end()));
    if ((help || version) && args.size() > 1)
        return usageError(unknownOption(args[1]));
    if (help)
        return print(usageText());
    if (version)
        return print(QStringLiteral("tarn %1").arg(QStringLiteral(TARN_VERSION)));
    if (first.starts_with('-'))
        return usageError(unknownOption(first));
    if (!looksLikeScene(first))
        return usageError(Words::tr("知らないコマンドです: %1").arg(fromNative(first)));
    for (const std::string& a : args)
        if (a.starts_with('-'))
            return usageError(unknownOption(a));
    return usageError(Words::tr("ウィンドウで開けるシーンは一つだけです"));
}

} // namespace tarn
