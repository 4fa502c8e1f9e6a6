// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file's INI rules over any bytes: reading never fails, a write reads back as
// written, touches no other key, and writing the same value twice changes nothing.
#include "FuzzSupport.h"
#include "settings/FileReplace.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsFile.h"
#include "text/Error.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cctype>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

using namespace lexfall;
using fuzz::ReadFile;
using fuzz::ScratchDir;
using fuzz::WriteFile;

// What a read gives back for a value written by the layer: cut at its first line break or
// NUL, then to the read limit.
std::string AsRead(std::string_view value) {
    value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));
    return std::string(value.substr(0, profile::MaxValueLength));
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Short names from a small alphabet find each other (and the file's own keys) often; the
// blanks, brackets, quotes and "=" make the invalid names the writer must refuse.
std::string Name(FuzzedDataProvider& data) {
    static constexpr std::string_view kAlphabet = "aAbB_ =[];\"'\t\r\n0";
    std::string name;
    const std::size_t length = data.ConsumeIntegralInRange<std::size_t>(0, 6);
    for (std::size_t i = 0; i < length; ++i)
        name += kAlphabet[data.ConsumeIntegralInRange<std::size_t>(0, kAlphabet.size() - 1)];
    return name;
}

std::string Text(FuzzedDataProvider& data) {
    return data.ConsumeBool() ? data.ConsumeRandomLengthString(64) : Name(data);
}

// Nothing when the writer refuses the name pair.
std::optional<std::string> TrySet(std::string_view content, std::string_view section,
                                  std::string_view key, std::string_view value) {
    try {
        return profile::SetValue(content, section, key, value);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

void CheckWrite(const std::string& content, FuzzedDataProvider& data) {
    const std::string section = Name(data);
    const std::string key = Name(data);
    const std::string value = Text(data);
    const std::string otherSection = Name(data);
    const std::string otherKey = Name(data);

    const auto written = TrySet(content, section, key, value);
    if (!written)
        return;
    FUZZ_CHECK(profile::FindValue(*written, section, key) == AsRead(value));
    // The same key in another letter case is the same key.
    std::string upper = key;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    FUZZ_CHECK(profile::FindValue(*written, section, upper) == AsRead(value));

    if (!(SameName(section, otherSection) && SameName(key, otherKey)))
        FUZZ_CHECK(profile::FindValue(*written, otherSection, otherKey) ==
                   profile::FindValue(content, otherSection, otherKey));

    // Writing what is already there leaves the bytes as they are.
    FUZZ_CHECK(TrySet(*written, section, key, value) == written);
    // The lines around the key keep their bytes: a second key written after the first one
    // does not disturb it.
    const std::string secondValue = Text(data);
    if (!SameName(key, otherKey)) {
        if (const auto twice = TrySet(*written, section, otherKey, secondValue)) {
            FUZZ_CHECK(profile::FindValue(*twice, section, key) == AsRead(value));
            FUZZ_CHECK(profile::FindValue(*twice, section, otherKey) == AsRead(secondValue));
        }
    }
}

// The nine keys in the order the game writes them, each read back afterwards.
void CheckSettingsPass(std::string content, FuzzedDataProvider& data) {
    static constexpr std::array<const char*, 9> kKeys = {"AutoSave", "EnableProxy", "Music",
                                                         "Proxy",    "ProxyUser",   "ProxyPwd",
                                                         "Port",     "Speed",       "Sound"};
    std::array<std::string, 9> values;
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        values[i] = Text(data);
        content = profile::SetValue(content, "Options", kKeys[i], values[i]);
    }
    for (std::size_t i = 0; i < kKeys.size(); ++i)
        FUZZ_CHECK(profile::FindValue(content, "options", kKeys[i]) == AsRead(values[i]));
}

void CheckIntegers(const std::string& text, std::int32_t number) {
    // Whatever the text, a parsed integer is one that writing it gives back.
    if (const auto parsed = profile::ParseInteger(text))
        FUZZ_CHECK(profile::ParseInteger(std::to_string(*parsed)) == parsed);
    FUZZ_CHECK(profile::ParseInteger(std::to_string(number)) == number);
}

// The input as the settings file on disk, read and written through the real file layer: a
// write the layer takes reads back as written, keeps the file's permissions, leaves section
// Register and no temporary file behind; a refused one leaves the bytes as they were.
void CheckFileLayer(const std::string& content, FuzzedDataProvider& data) {
    namespace fs = std::filesystem;
    static constexpr std::array<fs::perms, 3> kModes = {
        fs::perms::owner_read | fs::perms::owner_write,
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
        fs::perms::owner_read};
    const fs::path dir = ScratchDir() / "profile";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path path = dir / SettingsFileName;
    WriteFile(path, content);
    const fs::perms mode = kModes[data.ConsumeIntegralInRange<std::size_t>(0, kModes.size() - 1)];
    fs::permissions(path, mode);

    Settings settings = LoadSettings(path.string());
    FUZZ_CHECK(settings.Music.size() <= MusicLimit && settings.Proxy.size() <= ProxyLimit &&
               settings.ProxyUser.size() <= ProxyUserLimit &&
               settings.ProxyPwd.size() <= ProxyPwdLimit);
    const RegisterInfo identity = ReadRegisterInfo(path.string());
    settings.AutoSave = data.ConsumeBool();
    settings.Music = KeepFirst(AsRead(Text(data)), MusicLimit);
    settings.Speed = data.ConsumeIntegral<std::int16_t>();

    const bool mayWrite = MayReplaceExistingFile(path.string());
    bool refused = false;
    try {
        WriteIni(path.string(), settings);
    } catch (const Error&) {
        refused = true;
    }
    FUZZ_CHECK(refused == !mayWrite);
    if (refused) {
        FUZZ_CHECK(ReadFile(path) == content);
    } else {
        const Settings back = LoadSettings(path.string());
        FUZZ_CHECK(back.AutoSave == settings.AutoSave && back.Music == settings.Music &&
                   back.Speed == settings.Speed);
        const RegisterInfo after = ReadRegisterInfo(path.string());
        FUZZ_CHECK(after.UserName == identity.UserName && after.Email == identity.Email &&
                   after.RegCode == identity.RegCode);
        FUZZ_CHECK((fs::status(path).permissions() & fs::perms::all) == mode);
    }
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir))
        ++files;
    FUZZ_CHECK(files == 1);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const std::string content = data.ConsumeRandomLengthString(1024);

    // Reading any bytes gives nothing or a value within the limit, for any names.
    for (int i = 0; i < 2; ++i) {
        const auto found = profile::FindValue(content, Name(data), Name(data));
        if (found)
            FUZZ_CHECK(found->size() <= profile::MaxValueLength);
    }
    CheckWrite(content, data);
    // The whole pass parses the file eighteen times; one input in four is enough for it.
    if (data.ConsumeIntegralInRange(0, 3) == 0)
        CheckSettingsPass(content, data);
    CheckFileLayer(content, data);
    CheckIntegers(data.ConsumeRandomLengthString(24), data.ConsumeIntegral<std::int32_t>());
    return 0;
}
