#pragma once

#include <string>
#include <utility>

namespace tarn {

// What went wrong in a reader or a writer: one list for the whole core, so
// that the front end puts each code into words in one place.
enum class StatusCode {
    Ok,
    System, // the platform refused: `error` holds its errno
    // A write refused before anything was made: the target is a device, a pipe
    // or a socket (or a link to one). `error` holds ENODEV.
    NotRegularFile,
    // A file that is not the uncompressed 24-bit BMP the reader takes:
    BmpTruncated,         // shorter than its headers or its pixel rows
    NotBmp,               // no "BM" signature
    BmpBadFileHeader,     // file size, reserved fields or pixel offset inconsistent
    BmpUnsupportedHeader, // information header other than the 40-byte one
    BmpUnsupportedFormat, // not 1 plane, 24 bits, uncompressed, without palette
    BmpBadSize, // width or height zero, negative width, beyond kMaxPartSide or kMaxPartPixels

    // Scene files; `file` the scene file.
    SceneUnreadable,   // cannot be opened or read; error says why
    SceneTooLarge,     // larger than kMaxSceneFileBytes
    SceneDamaged,      // not JSON, cut short, or a field missing or of the wrong kind
    NotAScene,         // JSON, but not a Tarn scene
    SceneNewerVersion, // written by a later Tarn
    SceneWriteFailed,  // error says why
    PartsMissing,      // parts of the scene cannot be read (a render refuses it)

    // The scenario export; `file` the subject named with each.
    FolderMissing,     // the folder
    FolderNotWritable, // the folder
    SourceMissing,     // the part bitmap's path
    BadNumber,         // the number text
    NumberOutOfRange,  // not kFirstAreaNumber..kLastAreaNumber; the number
    BadPartName,       // the file name (the result names the character)
    AreaExists,        // new-file mode, no replacing: the area file name
    AreaNumberTaken,   // new-file mode: the area file of another name with that number
    NothingSelected,   // existing-file mode without a selected file
    ExportWriteFailed, // the file; error says why

    // The dungeon export; `file` the subject.
    FolderUnusable,     // the folder; error says why
    IndexUnreadable,    // replace: the index file, missing or not one
    AreaTaken,          // the file in the way (the result names the number)
    AreasOutOfRange,    // the numbers reach outside 1..9999
    DungeonBadName,     // the name (the result names the character)
    PartUnreadable,     // the part file
    DungeonWriteFailed, // the file; error says why
    Stopped,            // the progress report asked to stop; the folder is as it was

    // Dungeon maps; `file` the map (or the tileset a fault is in).
    MapUnreadable,    // error says why
    MapUnknownFormat, // the extension is none of .txt, .tmj, .json
    EvenLineCount,    // text grids, from here to StartOnRock
    Tab,
    UnknownCharacter,
    NoStart,
    TwoStarts,
    StartOnRock,
    MapTooLarge, // more than kMaxMapSide squares on a side
    MapEmpty,
    MapBadJson, // Tiled maps, from here on
    NotOrthogonal,
    NoTileLayer,
    BadLayerData, // wrong size, bad base64, bad compressed stream
    UnsupportedCompression,
    XmlTileset,
    TilesetUnreadable, // error says why
    BadStart,          // start object outside the map
    BadFacing,         // the start's facing missing, or not N, E, S or W
    BadField,          // a field missing or of the wrong type

    // Dungeon part packs; `file` the pack.
    PackUnreadable, // error says why
    PackBadJson,
    NotAPack,         // format is not "tarn-dungeon-pack"
    PackNewerVersion, // version is not 1
    PackBadEntry,     // wrong type, missing part or position
};

struct Status {
    StatusCode code = StatusCode::Ok;
    std::string file; // the file concerned; empty when there is none
    int error = 0;    // the platform's errno where there is one, else 0
    bool ok() const { return code == StatusCode::Ok; }
};

inline Status systemError(int error, std::string file = {}) {
    return {StatusCode::System, std::move(file), error};
}

} // namespace tarn
