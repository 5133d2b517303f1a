#pragma once

// What must hold for any settings file, whatever it holds: reading never
// fails, writing one key leaves every other key's value as it was and gives
// the written one back, and writing the same value again changes no byte.
// Shared by the fuzzer and the tests that replay the inputs it found.

#include "base/file_write.h"
#include "settings/ini_store.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace tarn::fuzz {

struct IniKey {
    const char* section;
    const char* key;
};

// The keys the program keeps, spelt as it spells them and otherwise, and a few
// it never writes. No two are the same name without regard to case.
inline constexpr std::array<IniKey, 8> kIniKeys{{
    {"MemData", "MofFirst"},
    {"MemData", "Mof1"},
    {"memdata", "MOF2"},
    {"MemData", "Mof5"},
    {"MemWData", "MofSLoc"},
    {"MemData", "k"},
    {"Other", "Mof1"},
    {"a b", "c d"},
}};

// Values that need quoting, look like syntax, or are not ASCII.
inline constexpr std::array<const char*, 7> kIniValues{
    "/home/user/parts", "", " blanks around ", "\"quoted\"", "a=b;c", "'x", "日本語/フォルダ",
};

// Puts `bytes` in the store's file, writes kIniValues[value] to kIniKeys[key],
// and returns the first property that does not hold, or "" when all hold.
inline std::string iniWriteProblem(const IniStore& store, std::span<const std::uint8_t> bytes,
                                   std::size_t key, std::size_t value) {
    std::FILE* file = std::fopen(store.path().c_str(), "wb");
    if (!file)
        return "cannot create the settings file";
    const bool written =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written)
        return "cannot write the settings file";

    const std::string missing = "\x01missing";
    std::array<std::string, kIniKeys.size()> before;
    for (std::size_t i = 0; i < kIniKeys.size(); ++i)
        before[i] = store.getini(kIniKeys[i].section, kIniKeys[i].key, missing);

    const IniKey& chosen = kIniKeys[key];
    const std::string newValue = kIniValues[value];
    if (!store.putini(chosen.section, chosen.key, newValue))
        return "putini failed";
    for (std::size_t i = 0; i < kIniKeys.size(); ++i) {
        const std::string after = store.getini(kIniKeys[i].section, kIniKeys[i].key, missing);
        if (after != (i == key ? newValue : before[i]))
            return std::string("[") + kIniKeys[i].section + "] " + kIniKeys[i].key +
                   " reads differently after writing [" + chosen.section + "] " + chosen.key;
    }

    Bytes once;
    Bytes twice;
    if (!readWholeFile(store.path(), once, UINT64_MAX).ok() ||
        !store.putini(chosen.section, chosen.key, newValue) ||
        !readWholeFile(store.path(), twice, UINT64_MAX).ok())
        return "second write failed";
    if (once != twice)
        return "writing the value the file holds changed it";
    return {};
}

} // namespace tarn::fuzz
