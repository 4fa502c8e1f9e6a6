// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsFile.h"

#include "settings/ProfileFile.h"

namespace lexfall {
namespace {

constexpr const char* Options = "Options";
constexpr const char* Register = "Register";
constexpr const char* DefaultUserName = "Player1";

} // namespace

// One read of the file for all the keys: a large file is read once, not once per key.
Settings LoadSettings(const std::string& path) {
    enum { UserName, AutoSave, EnableProxy, Music, Proxy, ProxyUser, ProxyPwd, Port, Speed, Sound };
    const auto values = ProfileFile(path).ReadStrings({
        {Register, "UserName"},
        {Options, "AutoSave"},
        {Options, "EnableProxy"},
        {Options, "Music"},
        {Options, "Proxy"},
        {Options, "ProxyUser"},
        {Options, "ProxyPwd"},
        {Options, "Port"},
        {Options, "Speed"},
        {Options, "Sound"},
    });
    const auto text = [&](int key) { return values[key].value_or(std::string()); };
    const Settings defaults;
    Settings settings;
    settings.UserName = values[UserName].value_or(DefaultUserName);
    settings.AutoSave = profile::BoolOr(values[AutoSave], defaults.AutoSave);
    settings.EnableProxy = profile::BoolOr(values[EnableProxy], defaults.EnableProxy);
    settings.Music = KeepFirst(text(Music), MusicLimit);
    settings.Proxy = KeepFirst(text(Proxy), ProxyLimit);
    settings.ProxyUser = KeepFirst(text(ProxyUser), ProxyUserLimit);
    settings.ProxyPwd = KeepFirst(text(ProxyPwd), ProxyPwdLimit);
    settings.Port = KeepLow16(profile::IntegerOr(values[Port], defaults.Port));
    settings.Speed = KeepLow16(profile::IntegerOr(values[Speed], defaults.Speed));
    settings.Sound = profile::BoolOr(values[Sound], defaults.Sound);
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
    auto values = ProfileFile(path).ReadStrings({
        {Register, "Username"},
        {Register, "Email"},
        {Register, "RegCode"},
    });
    RegisterInfo info;
    info.UserName = std::move(values[0]).value_or(std::string());
    info.Email = std::move(values[1]).value_or(std::string());
    info.RegCode = std::move(values[2]).value_or(std::string());
    return info;
}

} // namespace lexfall
