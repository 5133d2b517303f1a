#include "export/export_procedure.h"

#include "export/cw_writers.h"
#include "export/sjis.h"

#include "base/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tarn {

namespace {

constexpr std::int64_t kLargestAreaNumber = std::numeric_limits<std::int32_t>::max() - 40000;
constexpr std::int64_t kSmallestAreaNumber = std::numeric_limits<std::int32_t>::min();

Status ioStatus(int number) {
    return systemError(number);
}

ExportResult problem(ExportProblem p, std::string subject, Status io = {}) {
    if (!io.ok() && io.file.empty())
        io.file = subject;
    return {p, std::move(subject), std::move(io)};
}

// The number box as the platform's conversion read it, and whether 40000 + N
// fits the area file's signed 32-bit number field.
NumberReading readAreaNumber(std::string_view text, int& n) {
    std::int64_t value = 0;
    const NumberReading r = readWholeNumber(text, value);
    if (r != NumberReading::Whole)
        return r;
    if (value > kLargestAreaNumber || value < kSmallestAreaNumber)
        return NumberReading::TooLarge;
    n = static_cast<int>(value);
    return NumberReading::Whole;
}

// The N of a name of the form Area<N>.wid, when it fits the number field.
bool numberInAreaName(const std::string& name, int& n) {
    constexpr std::string_view prefix = "Area";
    constexpr std::string_view suffix = ".wid";
    if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(suffix))
        return false;
    const std::string middle =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    // Digits with at most a minus sign: no blanks, plus sign or fraction.
    const std::size_t first = middle.starts_with('-') ? 1 : 0;
    if (middle.size() == first ||
        middle.find_first_not_of("0123456789", first) != std::string::npos)
        return false;
    return readAreaNumber(middle, n) == NumberReading::Whole;
}

ExportResult checkFolder(const std::string& folder) {
    struct stat st {};
    if (folder.empty() || ::stat(folder.c_str(), &st) != 0)
        return problem(ExportProblem::FolderMissing, folder,
                       ioStatus(folder.empty() ? ENOENT : errno));
    if (!S_ISDIR(st.st_mode))
        return problem(ExportProblem::FolderMissing, folder, ioStatus(ENOTDIR));
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return problem(ExportProblem::FolderNotWritable, folder, ioStatus(errno));
    // access() says yes to root even on a read-only file system: try for real.
    std::string probe = joinPath(folder, ".tarn-probe-XXXXXX");
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return problem(ExportProblem::FolderNotWritable, folder, ioStatus(errno));
    ::close(fd);
    ::unlink(probe.c_str());
    return {};
}

bool isReadableFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

struct Copy {
    std::string source;
    std::string destination;
    std::string name; // slot or object name, for messages
};

// Every part bitmap goes to <name>.bmp, the file name the area's cell gives,
// whatever case the source's extension had.
std::vector<Copy> partCopies(const Scene& scene, const std::string& folder) {
    std::vector<Copy> copies;
    for (int i = 1; i <= kSlotCount; ++i) {
        const Slot& slot = scene.slot(i);
        if (!slot.name.empty())
            copies.push_back({slot.path, joinPath(folder, slot.name + ".bmp"), slot.name});
    }
    for (const ObjectRow& row : scene.objects)
        copies.push_back({row.path, joinPath(folder, row.name + ".bmp"), row.name});
    return copies;
}

struct AreaTarget {
    int n = 0;
    std::string fileName;
};

ExportResult chooseArea(const ExportRequest& request, const std::vector<std::string>& areaFiles,
                        AreaTarget& target) {
    if (request.mode == AreaMode::ExistingFile) {
        // Only a file of the current listing may be replaced; a stale or foreign
        // selection must be chosen again.
        const auto it = std::find(areaFiles.begin(), areaFiles.end(), request.selectedFile);
        if (request.selectedFile.empty() || it == areaFiles.end())
            return problem(ExportProblem::NothingSelected, request.selectedFile);
        // The number its name carries; for other names the list position. Either
        // way the new content goes into the selected file itself.
        target.fileName = request.selectedFile;
        if (!numberInAreaName(request.selectedFile, target.n))
            target.n = static_cast<int>(it - areaFiles.begin()) + 1;
        return {};
    }
    switch (readAreaNumber(request.numberText, target.n)) {
    case NumberReading::Bad:
        return problem(ExportProblem::BadNumber, request.numberText);
    case NumberReading::TooLarge:
        return problem(ExportProblem::NumberTooLarge, request.numberText);
    case NumberReading::Whole:
        break;
    }
    target.fileName = areaFileName(target.n);
    // A folder of that name is no file to offer to replace.
    if (isFolder(joinPath(request.folder, target.fileName)))
        return problem(ExportProblem::WriteFailed, joinPath(request.folder, target.fileName),
                       ioStatus(EISDIR));
    struct stat st {};
    if (!request.replaceExisting &&
        ::lstat(joinPath(request.folder, target.fileName).c_str(), &st) == 0)
        return problem(ExportProblem::AreaExists, target.fileName);
    return {};
}

} // namespace

std::vector<std::string> listAreaFiles(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.starts_with('.') || getext(name) != "wid")
            continue;
        struct stat st {};
        if (::stat(joinPath(folder, name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
            names.push_back(name);
    }
    ::closedir(dir);
    auto folded = [](std::string name) {
        for (char& c : name)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return name;
    };
    // Names differing only in case keep a fixed order between them.
    std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        const std::string fa = folded(a);
        const std::string fb = folded(b);
        return fa != fb ? fa < fb : a < b;
    });
    return names;
}

ExportResult exportTemplate(const Scene& scene, const ExportRequest& request) {
    const std::string& folder = request.folder;

    // Everything is checked before the first byte is written.
    if (ExportResult r = checkFolder(folder); !r.ok())
        return r;
    const std::vector<std::string> areaFiles = listAreaFiles(folder);
    AreaTarget target;
    if (ExportResult r = chooseArea(request, areaFiles, target); !r.ok())
        return r;

    const std::vector<Copy> copies = partCopies(scene, folder);
    for (const Copy& copy : copies) {
        std::string encoded;
        if (!toShiftJis(copy.name, encoded))
            return problem(ExportProblem::NoShiftJis, copy.name);
    }
    for (const Copy& copy : copies)
        if (copy.source.empty() || !isReadableFile(copy.source))
            return problem(ExportProblem::SourceMissing,
                           copy.source.empty() ? copy.name : copy.source);

    const bool writeSummary = areaFiles.empty();
    const bool black = request.background == Background::Black;
    const std::string backgroundName = black ? kDarkBackgroundName : kDefaultBackgroundName;
    // Rows flagged neither "F" nor "T" get no cell, so the count is taken from
    // the cells themselves; for the rows the lists hold it is 1 + slots + rows.
    const int cellCount = static_cast<int>(areaCells(scene, backgroundName).size());
    Bytes area;
    if (ExportResult r = encodeArea(scene, target.n, cellCount, backgroundName, area); !r.ok())
        return r;

    const std::string summaryPath = joinPath(folder, kSummaryFileName);
    const std::string darkPath = joinPath(folder, kDarkBackgroundName);
    const std::string areaPath = joinPath(folder, target.fileName);
    std::vector<std::string> destinations;
    if (writeSummary)
        destinations.push_back(summaryPath);
    for (const Copy& copy : copies)
        destinations.push_back(copy.destination);
    if (black)
        destinations.push_back(darkPath);
    destinations.push_back(areaPath);
    for (const std::string& destination : destinations)
        if (isFolder(destination))
            return problem(ExportProblem::WriteFailed, destination, ioStatus(EISDIR));

    // Writing. Each file is replaced whole or not at all, so when one fails the
    // files before it in this order are already complete on disk (the summary,
    // earlier part copies, dark.bmp), the failed one keeps its old content or
    // stays absent, and nothing after it is touched: an area file is only ever
    // written last, when every bitmap it names is in place.
    if (writeSummary)
        if (Status io = WriteSummary(folder); !io.ok())
            return problem(ExportProblem::WriteFailed, summaryPath, io);
    for (const Copy& copy : copies)
        // A part already in the scenario folder is its own copy and is skipped there.
        if (Status io = copyFileAtomically(copy.source, copy.destination); !io.ok())
            return problem(ExportProblem::WriteFailed, copy.destination, io);
    if (black)
        if (Status io = WriteDarkBmp(darkPath); !io.ok())
            return problem(ExportProblem::WriteFailed, darkPath, io);
    if (Status io = writeFileAtomically(areaPath, area); !io.ok())
        return problem(ExportProblem::WriteFailed, areaPath, io);
    return {};
}

} // namespace tarn
