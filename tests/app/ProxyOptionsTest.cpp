// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/SettingsFixture.h"

#include "app/FormStyle.h"
#include "online/HttpAccess.h"
#include "platform/posix/EnvironmentProxy.h"
#include "support/LoopbackServer.h"

#include <QCheckBox>
#include <QLineEdit>

namespace lexfall::testing {
namespace {

// With a music file named, start-up has no reason of its own to write the settings file.
constexpr const char* kQuietOptions = "[Options]\r\nMusic=a.mid\r\n";

class ProxyOptions : public SettingsFormTest {
protected:
    static bool FieldsEnabled(TForm1& f, bool enabled) {
        for (QLineEdit* field : {f.Options().EditIP, f.Options().EditPort,
                                 f.Options().EditProxyUser, f.Options().EditProxyPwd})
            if (style::OwnEnabled(field) != enabled)
                return false;
        return true;
    }
    // The player types into a field: the field changes and its handler runs.
    static void Type(QLineEdit* field, const QString& text) {
        field->setText(text);
        emit field->textEdited(text);
    }
};

// A stored proxy is in force from the start, shown in disabled fields, the file untouched.
TEST_F(ProxyOptions, StartUpWithAStoredProxy) {
    const std::string ini = std::string(kQuietOptions) +
                            "EnableProxy=1\r\nProxy=10.0.0.1\r\nPort=65535\r\nProxyUser=joe\r\n";
    LayIni(ini);
    browserProxy.values = BrowserProxyValues{"browser.lan:1", std::nullopt, std::nullopt};
    TForm1& f = Form();
    dialogs.messages.clear(); // the new record file's notice
    EXPECT_EQ(f.IdHTTP1->proxy.host, "10.0.0.1");
    EXPECT_EQ(f.IdHTTP1->proxy.ConnectPort(), 65535);
    EXPECT_EQ(f.IdHTTP1->proxy.user, "joe");
    EXPECT_TRUE(f.Options().CheckBox1->isChecked());
    EXPECT_TRUE(FieldsEnabled(f, false));
    EXPECT_EQ(f.Options().EditIP->text(), "10.0.0.1");
    EXPECT_EQ(f.Options().EditPort->text(), "-1");
    EXPECT_EQ(f.Options().EditProxyUser->text(), "joe");
    EXPECT_EQ(writes->Take(), 0);
    EXPECT_EQ(Ini(), ini);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front();
}

// Enabled without a host: the browser's proxy is taken and applied, or none when it has none.
TEST_F(ProxyOptions, StartUpEnabledWithoutAHostTakesTheBrowsersProxy) {
    const std::string ini = std::string(kQuietOptions) + "EnableProxy=1\r\n";
    for (const bool browserHasOne : {true, false}) {
        SCOPED_TRACE(browserHasOne);
        form.reset();
        LayIni(ini);
        browserProxy.values.reset();
        if (browserHasOne)
            browserProxy.values = BrowserProxyValues{"proxy.lan:3128", "joe", "pw"};
        TForm1& f = Form();
        EXPECT_EQ(f.IdHTTP1->proxy.host, browserHasOne ? "proxy.lan" : "");
        EXPECT_EQ(f.IdHTTP1->proxy.port, browserHasOne ? 3128 : 8080);
        EXPECT_EQ(f.Options().EditIP->text().toStdString(), browserHasOne ? "proxy.lan" : "");
        EXPECT_EQ(f.Options().EditProxyPwd->text().toStdString(), browserHasOne ? "pw" : "");
        EXPECT_TRUE(f.Options().CheckBox1->isChecked());
        EXPECT_EQ(writes->Take(), 0);
        EXPECT_EQ(Ini(), ini);
    }
}

// The host check: 5 characters are refused and the box ends clear with the fields enabled;
// 7 are accepted, taken, written and applied.
TEST_F(ProxyOptions, TickingChecksTheHostLength) {
    LayIni(kQuietOptions);
    TForm1& f = ShowOptionsPage();
    dialogs.messages.clear();
    Type(f.Options().EditIP, "1.2.3");
    EXPECT_EQ(writes->TakePasses(), 1) << "an edit with the box clear writes the stored settings";
    EXPECT_EQ(Option("Proxy"), "") << "the text being typed is not taken";

    f.Options().CheckBox1->click();
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{" Please enter a valid proxy server. "});
    EXPECT_FALSE(f.Options().CheckBox1->isChecked());
    EXPECT_TRUE(FieldsEnabled(f, true));
    EXPECT_TRUE(f.Options().EditIP->hasFocus());
    EXPECT_FALSE(f.settings.EnableProxy);
    EXPECT_EQ(f.IdHTTP1->proxy.host, "");

    Type(f.Options().EditIP, "1.2.3.4");
    Type(f.Options().EditPort, " 80 80");
    Type(f.Options().EditProxyUser, "joe");
    writes->Take();
    f.Options().CheckBox1->click();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(FieldsEnabled(f, false));
    EXPECT_EQ(writes->TakePasses(), 1);
    EXPECT_EQ(Option("EnableProxy"), "1");
    EXPECT_EQ(Option("Proxy"), "1.2.3.4");
    EXPECT_EQ(Option("Port"), "8080");
    EXPECT_EQ(Option("ProxyUser"), "joe");
    EXPECT_EQ(f.IdHTTP1->proxy.host, "1.2.3.4");
    EXPECT_EQ(f.IdHTTP1->proxy.port, 8080);

    f.Options().CheckBox1->click();
    EXPECT_TRUE(FieldsEnabled(f, true));
    EXPECT_EQ(Option("EnableProxy"), "0");
    EXPECT_EQ(f.IdHTTP1->proxy.host, "") << "unticked, requests go directly";
}

TEST_F(ProxyOptions, EmptyPortIsRefusedAndLettersRaiseTheConversionError) {
    LayIni(kQuietOptions);
    TForm1& f = ShowOptionsPage();
    Type(f.Options().EditIP, "proxyhost");
    Type(f.Options().EditPort, "");
    writes->Take();
    f.Options().CheckBox1->click();
    EXPECT_EQ(dialogs.messages.back(), " Please enter a valid proxy port. ");
    EXPECT_FALSE(f.Options().CheckBox1->isChecked());
    EXPECT_TRUE(f.Options().EditPort->hasFocus());

    Type(f.Options().EditPort, "8o");
    writes->Take();
    f.Options().CheckBox1->click();
    EXPECT_EQ(dialogs.messages.back(), "'8o' is not a valid integer value");
    EXPECT_TRUE(f.Options().CheckBox1->isChecked()) << "the box stays ticked";
    EXPECT_TRUE(FieldsEnabled(f, false));
    EXPECT_TRUE(f.settings.EnableProxy) << "taken in memory before the port";
    EXPECT_EQ(f.settings.Proxy, "proxyhost");
    EXPECT_EQ(writes->Take(), 0) << "nothing written";
    EXPECT_EQ(f.IdHTTP1->proxy.host, "") << "the proxy in use does not change";
}

// A port from 32768 up is stored, written and shown negative; the connection goes to the port
// itself. The test's server listens on such a port (the kernel's ephemeral range).
TEST_F(ProxyOptions, HighPortIsSignedInTheSettingsAndUnsignedOnTheWire) {
    LoopbackServer proxyServer({{"HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n0"}});
    if (proxyServer.Port() < 32768)
        GTEST_SKIP() << "the kernel gave a port below 32768";
    LayIni(kQuietOptions);
    TForm1& f = ShowOptionsPage();
    Type(f.Options().EditIP, "localhost");
    Type(f.Options().EditPort, QString::number(proxyServer.Port()));
    f.Options().CheckBox1->click();
    const int signedPort = proxyServer.Port() - 65536;
    EXPECT_EQ(f.settings.Port, signedPort);
    EXPECT_EQ(Option("Port"), std::to_string(signedPort));
    f.ShowProxy();
    EXPECT_EQ(f.Options().EditPort->text().toStdString(), std::to_string(signedPort));

    EXPECT_EQ(f.IdHTTP1->HttpGet("http://records.lexfall.example.org/checkwr.asp"), "0");
    ASSERT_EQ(proxyServer.Requests().size(), 1u);
    EXPECT_EQ(proxyServer.Requests()[0].substr(0, 62),
              "GET http://records.lexfall.example.org:80/checkwr.asp HTTP/1.1");
}

// "Use IE Proxy Setting": with "Enable Proxy" clear the browser's proxy is shown and written
// but stays off; with it ticked it is checked and applied at once.
TEST_F(ProxyOptions, BrowserProxyBox) {
    LayIni(kQuietOptions);
    browserProxy.values = BrowserProxyValues{"proxy.lan:3128", "joe", "pw"};
    TForm1& f = ShowOptionsPage();
    f.Options().CheckBox3->click();
    EXPECT_EQ(f.Options().EditIP->text(), "proxy.lan");
    EXPECT_EQ(f.Options().EditPort->text(), "3128");
    EXPECT_EQ(Option("Proxy"), "proxy.lan");
    EXPECT_EQ(Option("ProxyPwd"), "pw");
    EXPECT_EQ(f.IdHTTP1->proxy.host, "");

    f.Options().CheckBox3->click(); // clear: nothing happens
    f.Options().CheckBox1->click();
    browserProxy.values = BrowserProxyValues{"other.lan:8000", std::nullopt, std::nullopt};
    f.Options().CheckBox3->click();
    EXPECT_TRUE(f.Options().CheckBox1->isChecked());
    EXPECT_EQ(f.IdHTTP1->proxy.host, "other.lan");
    EXPECT_EQ(f.IdHTTP1->proxy.port, 8000);
    EXPECT_EQ(Option("Proxy"), "other.lan");
}

// The proxy variable as other programs read it: no user part means no login (the stored one
// is dropped), no port means port 80, a long host is kept whole, no_proxy goes with it, and a SOCKS
// proxy is refused with a message and changes nothing.
TEST_F(ProxyOptions, ProxyVariableRules) {
    LayIni(std::string(kQuietOptions) + "Proxy=10.0.0.1\r\nProxyUser=old\r\nProxyPwd=oldpw\r\n");
    browserProxy.values = posix::ProxyValuesFromVariable("http://proxy.example.lan:3128/");
    browserProxy.values->NoProxy = "localhost,.lan";
    TForm1& f = ShowOptionsPage();
    f.Options().CheckBox3->click();
    f.Options().CheckBox1->click();
    EXPECT_EQ(f.Options().EditIP->text(), "proxy.example.lan");
    EXPECT_EQ(f.IdHTTP1->proxy.host, "proxy.example.lan");
    EXPECT_EQ(f.IdHTTP1->proxy.port, 3128);
    EXPECT_EQ(f.IdHTTP1->proxy.user, "");
    EXPECT_EQ(f.IdHTTP1->proxy.password, "");
    EXPECT_EQ(f.IdHTTP1->proxy.noProxy, "localhost,.lan");
    EXPECT_EQ(Option("Proxy"), "proxy.example.lan");
    EXPECT_EQ(Option("ProxyPwd"), "");

    // Without a port the variable names port 80: nothing of the proxy before survives.
    browserProxy.values = posix::ProxyValuesFromVariable("http://user:pw@proxy.lan/");
    f.Options().CheckBox3->click();
    f.Options().CheckBox3->click();
    EXPECT_EQ(f.IdHTTP1->proxy.host, "proxy.lan");
    EXPECT_EQ(f.IdHTTP1->proxy.port, 80);
    EXPECT_EQ(f.IdHTTP1->proxy.user, "user");
    EXPECT_EQ(f.IdHTTP1->proxy.password, "pw");
    EXPECT_EQ(Option("Port"), "80");

    dialogs.messages.clear();
    browserProxy.values = posix::ProxyValuesFromVariable("socks5://joe:pw@socks.lan:1080");
    f.Options().CheckBox3->click();
    f.Options().CheckBox3->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find("socks5://"), std::string::npos) << dialogs.messages[0];
    EXPECT_NE(dialogs.messages[0].find("not an HTTP proxy"), std::string::npos);
    EXPECT_EQ(f.IdHTTP1->proxy.host, "proxy.lan");
    EXPECT_EQ(Option("Proxy"), "proxy.lan");
}

} // namespace
} // namespace lexfall::testing
