// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/ProxySettings.h"

#include "support/Doubles.h"
#include "text/Error.h"

#include <gtest/gtest.h>

namespace lexfall {
namespace {

using testing::FixedBrowserProxy;

Settings Stored() {
    Settings settings;
    settings.Proxy = "10.1.1.1";
    settings.Port = 8080;
    settings.ProxyUser = "old";
    settings.ProxyPwd = "oldpw";
    return settings;
}

// The checks of a ticked box: the host only by its length, the port only for being empty.
TEST(ProxySettingsTest, ChecksOfTheFields) {
    struct Case {
        const char* ip;
        const char* port;
        ProxyCheck expected;
    };
    const Case cases[] = {
        {"1.2.3.4", "80", ProxyCheck::Accepted},   {"proxyhost", "80", ProxyCheck::Accepted},
        {"1.2.3", "80", ProxyCheck::HostTooShort}, {"1.2.3", "", ProxyCheck::HostTooShort},
        {"1.2.3.4", "", ProxyCheck::PortEmpty},    {"1.2.3.4", " ", ProxyCheck::Accepted},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckProxyFields({c.ip, c.port, "", ""}), c.expected) << c.ip << ":" << c.port;
}

// What ticking the box stores: the port blank-free, as its low 16 bits, signed.
TEST(ProxySettingsTest, TakingTheFieldsStoresThePortAsSigned16Bits) {
    struct Case {
        const char* port;
        std::int16_t stored;
    };
    const Case cases[] = {
        {"3128", 3128},    {"80 80", 8080}, {" ", 8080}, {"70000", 4464},
        {"32768", -32768}, {"65535", -1},   {"-1", -1},
    };
    for (const Case& c : cases) {
        Settings settings = Stored();
        TakeProxyFields({"192.168.100.200", c.port, "joe", "pw"}, settings);
        EXPECT_EQ(settings.Port, c.stored) << c.port;
        EXPECT_TRUE(settings.EnableProxy);
        EXPECT_EQ(settings.Proxy, "192.168.100.200");
        EXPECT_EQ(settings.ProxyUser, "joe");
        EXPECT_EQ(settings.ProxyPwd, "pw");
    }
    Settings settings = Stored();
    TakeProxyFields({std::string(300, 'h'), "1", std::string(300, 'u'), std::string(200, 'p')},
                    settings);
    EXPECT_EQ(settings.Proxy, std::string(255, 'h'));
    EXPECT_EQ(settings.ProxyUser, std::string(255, 'u'));
    EXPECT_EQ(settings.ProxyPwd, std::string(128, 'p'));
}

TEST(ProxySettingsTest, LettersInThePortRaiseAfterTheRestIsTaken) {
    Settings settings = Stored();
    try {
        TakeProxyFields({"1.2.3.4", " 8 0x ", "u", "p"}, settings);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "'80x' is not a valid integer value");
    }
    EXPECT_TRUE(settings.EnableProxy);
    EXPECT_EQ(settings.Proxy, "1.2.3.4");
    EXPECT_EQ(settings.ProxyUser, "u");
    EXPECT_EQ(settings.Port, 8080);
}

TEST(ProxySettingsTest, SetProxyAndShowProxy) {
    Settings settings = Stored();
    settings.Port = -1;
    EXPECT_EQ(SetProxy(settings).host, "") << "EnableProxy off";
    EXPECT_EQ(SetProxy(settings).port, 0);
    settings.EnableProxy = true;
    const ProxyParams params = SetProxy(settings);
    EXPECT_EQ(params.host, "10.1.1.1");
    EXPECT_EQ(params.ConnectPort(), 65535);
    EXPECT_EQ(params.user, "old");
    EXPECT_EQ(params.password, "oldpw");
    EXPECT_EQ(ShowProxy(settings).port, "-1");
}

// The browser's values, split and stored by the same rules on every platform.
TEST(ProxySettingsTest, GetProxyFromIE) {
    struct Case {
        const char* name;
        std::optional<BrowserProxyValues> values;
        const char* proxy;
        std::int16_t port;
        const char* user;
        const char* error;
    };
    const Case cases[] = {
        {"no settings", std::nullopt, "10.1.1.1", 8080, "old", nullptr},
        {"no server value", BrowserProxyValues{std::nullopt, "joe", "pw"}, "10.1.1.1", 8080, "old",
         nullptr},
        {"host and port", BrowserProxyValues{"proxy.lan:3128", std::nullopt, std::nullopt},
         "proxy.lan", 3128, "old", nullptr},
        {"credentials", BrowserProxyValues{"p:1", "joe", "pw"}, "p", 1, "joe", nullptr},
        {"no colon keeps host and port", BrowserProxyValues{"proxyonly", "joe", "pw"}, "10.1.1.1",
         8080, "joe", nullptr},
        {"empty server", BrowserProxyValues{"", "joe", "pw"}, "10.1.1.1", 8080, "joe", nullptr},
        {"long host",
         BrowserProxyValues{"a-very-long-proxy-host.example:65536", std::nullopt, std::nullopt},
         "a-very-long-proxy-host.example", 0, "old", nullptr},
        {"no user part clears stored credentials", BrowserProxyValues{"proxy:3128", "", ""},
         "proxy", 3128, "", nullptr},
        {"not an HTTP proxy",
         BrowserProxyValues{std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                            " socks5 is not usable "},
         "10.1.1.1", 8080, "old", " socks5 is not usable "},
        {"per protocol list", BrowserProxyValues{"http=a:1;https=b:2", "joe", "pw"}, "10.1.1.1",
         8080, "old", "'1;https=b:2' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixedBrowserProxy browser;
        browser.values = c.values;
        Settings settings = Stored();
        try {
            GetProxyFromIE(browser, settings);
            EXPECT_EQ(c.error, nullptr);
        } catch (const Error& error) {
            ASSERT_NE(c.error, nullptr) << error.what();
            EXPECT_STREQ(error.what(), c.error);
        }
        EXPECT_EQ(settings.Proxy, c.proxy);
        EXPECT_EQ(settings.Port, c.port);
        EXPECT_EQ(settings.ProxyUser, c.user);
        EXPECT_FALSE(settings.EnableProxy) << "taking the browser's proxy does not enable it";
    }
}

// no_proxy as curl and wget read it.
TEST(ProxySettingsTest, NoProxyList) {
    struct Case {
        const char* host;
        const char* noProxy;
        bool direct;
    };
    const Case cases[] = {
        {"records.example.org", "", false},
        {"records.example.org", "*", true},
        {"records.example.org", "example.org", true},
        {"records.example.org", ".example.org", true},
        {"example.org", ".example.org", true},
        {"records.EXAMPLE.org", "localhost, example.org ", true},
        {"badexample.org", "example.org", false},
        {"example.org.evil", "example.org", false},
        {"127.0.0.1", "localhost,127.0.0.1", true},
        {"10.0.0.1", "10.0.0.10,*.lan", false},
        {"host", ",,", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.host) + " / " + c.noProxy);
        EXPECT_EQ(BypassesProxy(c.host, c.noProxy), c.direct);
    }
}

} // namespace
} // namespace lexfall
