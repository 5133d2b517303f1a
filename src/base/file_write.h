#pragma once

#include "base/status.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tarn {

using Bytes = std::vector<std::uint8_t>;

// Durable files are flushed to the disk before the rename; scratch files (the
// working files, rewritten many times a second) are only renamed, which still
// keeps them whole for every reader.
enum class Durability { Durable, Scratch };

// Puts bytes on disk whole or not at all: written to a temporary file beside the
// target, then renamed over it. On failure the target is untouched and no
// temporary file remains; every failure is System, naming the path. A name too long for its folder
// is refused before anything is written; a target that is read-only (no write bit, or not writable
// for this user) is refused with EACCES; a replaced file keeps its mode, and its owner and group
// where this user may set them. A target that is a device, a pipe or a socket
// is refused (NotRegularFile) before anything is made. Through a symbolic link
// the file it names is replaced and the link stays; a dangling link gets its
// file made, when the folder it names exists. A link that another user put in
// a shared folder (sticky and writable by all, as /tmp) is refused (EACCES), as
// the kernel refuses to follow it.
Status writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                           Durability durability = Durability::Durable);

// writeFileAtomically for a file that must not exist yet: the temporary file
// takes its name only when nothing has it, checked and done as one step, so of
// writers racing for one name exactly one succeeds; the others get EEXIST.
Status writeNewFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// Flushes everything written to the file system that holds the folder: one
// wait on the disk for a run of Scratch writes. Nothing happens when the
// folder cannot be opened.
void flushFileSystemOf(const std::string& folder);

// Removes the temporary files this process is writing and keeps it from making
// more: for a process about to end on a signal. Takes a lock it never gives back.
void abandonTemporaries();

// Reads a whole regular file of at most maxBytes. Opened without waiting, so a
// pipe or a device put in a file's place fails at once (ENODEV for anything
// that is not a regular file, EFBIG for a file over the limit).
Status readWholeFile(const std::string& path, Bytes& out, std::uint64_t maxBytes);

// Copies a regular source to destination whole or not at all, a block at a
// time (holes stay holes), so a part of any size costs no more memory than a
// small one. A copy of a file onto itself is skipped, so the source is never
// truncated.
Status copyFileAtomically(const std::string& source, const std::string& destination);

// ENAMETOOLONG when the name, or the path, is longer than the folder takes.
Status checkNameLength(const std::string& path);
// What writeFileAtomically would refuse before writing: a name too long, a
// folder in the file's place (EISDIR), a device, pipe or socket
// (NotRegularFile), a read-only file (EACCES).
Status checkTarget(const std::string& path);

// Whether a file can really be made in the folder (access() says yes to root
// on a read-only file system): a temporary file is made and removed.
Status tryCreateIn(const std::string& folder);

// Temporary files are named ".tarn-" and six letters or digits, in the
// target's folder: short, so that no legal target name is pushed over the
// limit, and locked while they are written. Removes those of the folder that
// no live process holds (a program killed mid-write leaves one), and the
// "<name>.tarn-XXXXXX" files that earlier versions left.
void removeStaleTemporaries(const std::string& folder);

namespace testing {
// Makes the next writes fail with errorNumber once afterBytes bytes have gone
// out, as a full disk would. Pass errorNumber 0 to stop.
void injectWriteFailure(int errorNumber, std::size_t afterBytes);
} // namespace testing

} // namespace tarn
