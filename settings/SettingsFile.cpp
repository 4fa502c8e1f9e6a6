#include "settings/SettingsFile.h"

#include "settings/ProfileFile.h"

namespace lexfall {
namespace {

constexpr const char* Options = "Options";
constexpr const char* Register = "Register";
constexpr const char* DefaultUserName = "Player1";

} // namespace

Settings LoadSettings(const std::string& path) {
    const ProfileFile file(path);
    const Settings defaults;
    Settings settings;
    settings.UserName = file.ReadString(Register, "UserName", DefaultUserName);
    settings.AutoSave = file.ReadBool(Options, "AutoSave", defaults.AutoSave);
    settings.EnableProxy = file.ReadBool(Options, "EnableProxy", defaults.EnableProxy);
    settings.Music = KeepFirst(file.ReadString(Options, "Music", ""), MusicLimit);
    settings.Proxy = KeepFirst(file.ReadString(Options, "Proxy", ""), ProxyLimit);
    settings.ProxyUser = KeepFirst(file.ReadString(Options, "ProxyUser", ""), ProxyUserLimit);
    settings.ProxyPwd = KeepFirst(file.ReadString(Options, "ProxyPwd", ""), ProxyPwdLimit);
    settings.Port = KeepLow16(file.ReadInteger(Options, "Port", defaults.Port));
    settings.Speed = KeepLow16(file.ReadInteger(Options, "Speed", defaults.Speed));
    settings.Sound = file.ReadBool(Options, "Sound", defaults.Sound);
    // The default covers only a missing key; a key present but empty needs this too.
    if (settings.UserName.empty())
        settings.UserName = DefaultUserName;
    return settings;
}

void WriteIni(const std::string& path, const Settings& settings) {
    const auto flag = [](bool value) { return std::string(value ? "1" : "0"); };
    ProfileFile(path).WriteStrings({
        {Options, "AutoSave", flag(settings.AutoSave)},
        {Options, "EnableProxy", flag(settings.EnableProxy)},
        {Options, "Music", settings.Music},
        {Options, "Proxy", settings.Proxy},
        {Options, "ProxyUser", settings.ProxyUser},
        {Options, "ProxyPwd", settings.ProxyPwd},
        {Options, "Port", std::to_string(settings.Port)},
        {Options, "Speed", std::to_string(settings.Speed)},
        {Options, "Sound", flag(settings.Sound)},
    });
}

RegisterInfo ReadRegisterInfo(const std::string& path) {
    const ProfileFile file(path);
    RegisterInfo info;
    info.UserName = file.ReadString(Register, "Username", "");
    info.Email = file.ReadString(Register, "Email", "");
    info.RegCode = file.ReadString(Register, "RegCode", "");
    return info;
}

} // namespace lexfall
