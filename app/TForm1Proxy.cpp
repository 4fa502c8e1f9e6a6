// SPDX-License-Identifier: GPL-3.0-or-later
// The proxy controls of the options page and the proxy of the HTTP access.
#include "app/TForm1.h"
#include "online/HttpAccess.h"
#include "online/ProxySettings.h"
#include "platform/qt/QtSystemText.h"

#include <QCheckBox>
#include <QLineEdit>

#include <algorithm>

namespace lexfall {
namespace {

constexpr int kTypedProxyHostLength = 15;

std::string FieldText(const QLineEdit* field) {
    return ToSystemText(field->text());
}

void SetFieldText(QLineEdit* field, const std::string& text) {
    field->setText(FromSystemText(text));
}

} // namespace

void TForm1::ConnectProxyControls(const OptionsPage& page) {
    // `toggled` runs for a program's change of the tick too, and not when the tick stays.
    connect(page.CheckBox1, &QCheckBox::toggled, this,
            [this] { GuardOptionChange([this] { CheckBox1Click(Options().CheckBox1); }); });
    connect(page.CheckBox3, &QCheckBox::toggled, this,
            [this] { GuardOptionChange([this] { CheckBox3Click(Options().CheckBox3); }); });
    // Only the player's edits run the handler; filling the fields from the program does not.
    for (QLineEdit* field : {page.EditIP, page.EditPort, page.EditProxyUser, page.EditProxyPwd})
        connect(field, &QLineEdit::textEdited, this,
                [this, field] { GuardOptionChange([this, field] { CheckBox1Click(field); }); });
}

void TForm1::SetProxy() {
    ProxyParams proxy = ::lexfall::SetProxy(settings);
    if (proxy.InUse()) {
        if (const auto browser = services_.browserProxy.Read(); browser && browser->NoProxy)
            proxy.noProxy = *browser->NoProxy;
    }
    IdHTTP1->proxy = proxy;
}

void TForm1::ShowProxy() {
    ShowProxyFields(Options(), settings);
}

void TForm1::ShowProxyFields(OptionsPage& page, const Settings& shown) {
    const ProxyFields fields = ::lexfall::ShowProxy(shown);
    // The field takes 15 typed characters, but a host taken from the proxy variable is shown
    // whole, since the proxy handler takes it back from the field.
    page.EditIP->setMaxLength(std::max(kTypedProxyHostLength, static_cast<int>(fields.ip.size())));
    SetFieldText(page.EditIP, fields.ip);
    SetFieldText(page.EditPort, fields.port);
    SetFieldText(page.EditProxyUser, fields.user);
    SetFieldText(page.EditProxyPwd, fields.password);
}

void TForm1::GetProxyFromIE() {
    ::lexfall::GetProxyFromIE(services_.browserProxy, settings);
}

void TForm1::SetProxyFieldsEnabled(bool enabled) {
    const OptionsPage& page = Options();
    for (QLineEdit* field : {page.EditIP, page.EditPort, page.EditProxyUser, page.EditProxyPwd})
        field->setEnabled(enabled);
}

void TForm1::CheckBox1Click(QObject*) {
    const OptionsPage& page = Options();
    if (!page.CheckBox1->isChecked()) {
        // While the box is clear the stored settings are written again and the proxy stays off;
        // the fields' texts are taken only when it is ticked.
        SetProxyFieldsEnabled(true);
        settings.EnableProxy = false;
        WriteIni();
        SetProxy();
        return;
    }
    const ProxyFields fields{FieldText(page.EditIP), FieldText(page.EditPort),
                             FieldText(page.EditProxyUser), FieldText(page.EditProxyPwd)};
    switch (CheckProxyFields(fields)) {
    case ProxyCheck::HostTooShort:
        RejectProxyField(InvalidProxyServerText, page.EditIP);
        return;
    case ProxyCheck::PortEmpty:
        RejectProxyField(InvalidProxyPortText, page.EditPort);
        return;
    case ProxyCheck::Accepted:
        break;
    }
    SetProxyFieldsEnabled(false);
    // A port that is not a number ends the handler here: the rest stays taken in memory,
    // nothing is written and the proxy in use does not change.
    TakeProxyFields(fields, settings);
    WriteIni();
    SetProxy();
}

void TForm1::RejectProxyField(const char* text, QLineEdit* field) {
    dialogs_.ShowMessage(text);
    Options().CheckBox1->setChecked(false); // runs this handler again, which turns the proxy off
    field->setFocus();
}

void TForm1::CheckBox3Click(QObject*) {
    if (!Options().CheckBox3->isChecked())
        return;
    GetProxyFromIE();
    ShowProxy();
    CheckBox1Click(Options().CheckBox3);
}

} // namespace lexfall
