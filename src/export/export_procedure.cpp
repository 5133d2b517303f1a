#include "export/export_procedure.h"

#include "export/area_plan.h"
#include "export/cw_writers.h"
#include "export/sjis.h"

#include "base/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <new>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tarn {

namespace {

// The code, the file it names and, where the platform refused, why.
ExportResult problem(StatusCode code, std::string subject, int error = 0) {
    ExportResult r;
    r.code = code;
    r.file = std::move(subject);
    r.error = error;
    return r;
}

// The number box as the platform's conversion reads it, kept to the numbers the
// engine can tell apart.
ExportResult readNumberBox(const std::string& text, int& n) {
    std::int64_t value = 0;
    switch (readWholeNumber(text, value)) {
    case NumberReading::Bad:
        return problem(StatusCode::BadNumber, text);
    case NumberReading::TooLarge:
        return problem(StatusCode::NumberOutOfRange, text);
    case NumberReading::Whole:
        break;
    }
    if (value < kFirstAreaNumber || value > kLastAreaNumber)
        return problem(StatusCode::NumberOutOfRange, text);
    n = static_cast<int>(value);
    return {};
}

// The name under which the folder holds `name` in any case, as the engine's
// file system finds it; "" when it holds none.
std::string nameInFolder(const std::string& folder, const std::string& name) {
    std::string found;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name == name ||
                (found.empty() && foldedName(entry->d_name) == foldedName(name)))
                found = entry->d_name; // the name itself first, when there are several
        ::closedir(dir);
    }
    return found;
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

struct AreaTarget {
    int n = 0;
    std::string fileName;
};

ExportResult chooseArea(const ExportRequest& request, const std::vector<AreaFile>& areaFiles,
                        AreaTarget& target) {
    if (request.mode == AreaMode::ExistingFile) {
        // Only a file of the current listing may be replaced; a stale or foreign
        // selection must be chosen again.
        const auto it = std::find_if(areaFiles.begin(), areaFiles.end(), [&](const AreaFile& f) {
            return f.name == request.selectedFile;
        });
        if (request.selectedFile.empty() || it == areaFiles.end())
            return problem(StatusCode::NothingSelected, request.selectedFile);
        // The new content goes into the selected file under the number it carries.
        if (it->number < kFirstAreaNumber || it->number > kLastAreaNumber)
            return problem(StatusCode::NumberOutOfRange, std::to_string(it->number));
        target.fileName = request.selectedFile;
        target.n = it->number;
        return {};
    }
    if (ExportResult r = readNumberBox(request.numberText, target.n); !r.ok())
        return r;
    // A file of that name in another case is that same file to the engine.
    target.fileName = nameInFolder(request.folder, areaFileName(target.n));
    if (target.fileName.empty())
        target.fileName = areaFileName(target.n);
    // A folder of that name is no file to offer to replace.
    if (isFolder(joinPath(request.folder, target.fileName)))
        return problem(StatusCode::ExportWriteFailed, joinPath(request.folder, target.fileName),
                       EISDIR);
    // The engine keeps one of two areas with the same number.
    for (const AreaFile& f : areaFiles)
        if (f.number == target.n && foldedName(f.name) != foldedName(target.fileName))
            return problem(StatusCode::AreaNumberTaken, f.name);
    struct stat st {};
    if (!request.replaceExisting &&
        ::lstat(joinPath(request.folder, target.fileName).c_str(), &st) == 0)
        return problem(StatusCode::AreaExists, target.fileName);
    return {};
}

// Every name that goes into a file or becomes one, as the engine reads it back.
ExportResult checkNames(const AreaPlan& plan) {
    for (const AreaCell& cell : plan.cells) {
        std::string character;
        if (checkName(cell.fileName, character) != NameFault::None) {
            ExportResult r = problem(StatusCode::BadPartName, cell.fileName);
            r.character = character;
            return r;
        }
    }
    return {};
}

} // namespace

bool hasSummary(const std::string& folder) {
    return !nameInFolder(folder, kSummaryFileName).empty();
}

ExportResult checkFolder(const std::string& folder) {
    struct stat st {};
    if (folder.empty() || ::stat(folder.c_str(), &st) != 0)
        return problem(StatusCode::FolderMissing, folder, folder.empty() ? ENOENT : errno);
    if (!S_ISDIR(st.st_mode))
        return problem(StatusCode::FolderMissing, folder, ENOTDIR);
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return problem(StatusCode::FolderNotWritable, folder, errno);
    if (Status io = tryCreateIn(folder); !io.ok())
        return problem(StatusCode::FolderNotWritable, folder, io.error);
    return {};
}

// Opened without waiting: a pipe in a part's place must not block the window.
bool isReadableFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

std::vector<AreaFile> listAreaFiles(const std::string& folder) {
    std::vector<AreaFile> areas;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return areas;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.starts_with('.') || foldedName(getext(name)) != "wid")
            continue;
        // The engine tells an area by the type byte and numbers it from inside
        // the file, whatever the name.
        Bytes head;
        const int fd = ::open(joinPath(folder, name).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
            head.resize(kAreaHeadBytes);
            const ssize_t got = ::read(fd, head.data(), head.size());
            head.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        }
        ::close(fd);
        int number = 0;
        if (readAreaNumber(head, number))
            areas.push_back({name, number});
    }
    ::closedir(dir);
    // Names differing only in case keep a fixed order between them.
    std::sort(areas.begin(), areas.end(), [](const AreaFile& a, const AreaFile& b) {
        const std::string fa = foldedName(a.name);
        const std::string fb = foldedName(b.name);
        return fa != fb ? fa < fb : a.name < b.name;
    });
    return areas;
}

namespace {
ExportResult exportSteps(const Scene& scene, const ExportRequest& request);
} // namespace

ExportResult exportTemplate(const Scene& scene, const ExportRequest& request) {
    // Nothing of the scene changes here; a failed allocation ends the export
    // like any failed write, and the files already written are whole.
    try {
        return exportSteps(scene, request);
    } catch (const std::bad_alloc&) {
        return problem(StatusCode::ExportWriteFailed, request.folder, ENOMEM);
    }
}

namespace {

ExportResult exportSteps(const Scene& scene, const ExportRequest& request) {
    const std::string& folder = request.folder;

    // Everything is checked before the first byte is written.
    if (ExportResult r = checkFolder(folder); !r.ok())
        return r;
    const std::vector<AreaFile> areaFiles = listAreaFiles(folder);
    AreaTarget target;
    if (ExportResult r = chooseArea(request, areaFiles, target); !r.ok())
        return r;

    const bool black = request.background == Background::Black;
    const std::string backgroundName = black ? kDarkBackgroundName : kDefaultBackgroundName;
    const AreaPlan plan = planArea(scene, backgroundName);
    if (ExportResult r = checkNames(plan); !r.ok())
        return r;
    for (const PartFile& file : plan.files)
        if (file.source.empty() || !isReadableFile(file.source))
            return problem(StatusCode::SourceMissing,
                           file.source.empty() ? file.fileName : file.source);

    // An author's summary, or one that a scenario with areas relies on, stays.
    const bool writeSummary = areaFiles.empty() && !hasSummary(folder);
    Bytes area;
    if (ExportResult r = encodeArea(target.n, plan.cells, area); !r.ok())
        return r;

    const std::string summaryPath = joinPath(folder, kSummaryFileName);
    const std::string darkPath = joinPath(folder, kDarkBackgroundName);
    const std::string areaPath = joinPath(folder, target.fileName);
    std::vector<std::string> destinations;
    if (writeSummary)
        destinations.push_back(summaryPath);
    for (const PartFile& file : plan.files) {
        const std::string destination = joinPath(folder, file.fileName);
        if (!file.bitmap.empty() || !sameFile(file.source, destination)) // skipped when written
            destinations.push_back(destination);
    }
    if (black)
        destinations.push_back(darkPath);
    destinations.push_back(areaPath);
    // Names too long, folders and read-only files in the way show now, not
    // after the summary is written.
    for (const std::string& destination : destinations)
        if (Status io = checkTarget(destination); !io.ok())
            return problem(StatusCode::ExportWriteFailed, destination, io.error);

    // Writing. Each file is replaced whole or not at all, so when one fails the
    // files before it in this order are already complete on disk (the summary,
    // earlier part files, dark.bmp), the failed one keeps its old content or
    // stays absent, and nothing after it is touched: an area file is only ever
    // written last, when every bitmap it names is in place.
    ExportResult done;
    if (writeSummary) {
        if (Status io = WriteSummary(folder, target.n); !io.ok())
            return problem(StatusCode::ExportWriteFailed, summaryPath, io.error);
        done.written.push_back(kSummaryFileName);
    }
    for (const PartFile& file : plan.files) {
        const std::string destination = joinPath(folder, file.fileName);
        // A part already in the scenario folder is its own copy and is skipped there.
        const Status io = file.bitmap.empty() ? copyFileAtomically(file.source, destination)
                                              : writeFileAtomically(destination, file.bitmap);
        if (!io.ok())
            return problem(StatusCode::ExportWriteFailed, destination, io.error);
        done.written.push_back(file.fileName);
    }
    if (black) {
        if (Status io = WriteDarkBmp(darkPath); !io.ok())
            return problem(StatusCode::ExportWriteFailed, darkPath, io.error);
        done.written.push_back(kDarkBackgroundName);
    }
    // Unless replacing was asked for, an area file that appeared since the
    // check (another export of the same number) stays, and this one gives way.
    const bool mayReplace = request.replaceExisting || request.mode == AreaMode::ExistingFile;
    if (Status io = mayReplace ? writeFileAtomically(areaPath, area)
                               : writeNewFileAtomically(areaPath, area);
        !io.ok())
        return io.error == EEXIST ? problem(StatusCode::AreaExists, target.fileName)
                                  : problem(StatusCode::ExportWriteFailed, areaPath, io.error);
    done.written.push_back(target.fileName);
    done.area = target.n;
    return done;
}

} // namespace

} // namespace tarn
