// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Window tests around the settings file: lay it before start-up, read it back, and count the
// passes of WriteIni that reached it.
#include "support/FormFixture.h"

#include "settings/ProfileFile.h"
#include "settings/SettingsFile.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <optional>
#include <string>

namespace lexfall::testing {

// Counts the writes of the settings file in a program folder. WriteIni replaces the file as a
// whole: a new file renamed over it, so each pass is one rename onto its name.
class SettingsWrites {
public:
    explicit SettingsWrites(const std::string& appDir) : fd_(inotify_init1(IN_NONBLOCK)) {
        EXPECT_GE(fd_, 0);
        EXPECT_GE(inotify_add_watch(fd_, appDir.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE), 0);
    }
    ~SettingsWrites() { close(fd_); }
    SettingsWrites(const SettingsWrites&) = delete;
    SettingsWrites& operator=(const SettingsWrites&) = delete;

    // Writes since the last call: renames onto the file, and writes into it in place (only
    // the test's own).
    int Take() {
        int writes = 0;
        alignas(inotify_event) std::array<char, 4096> buffer{};
        for (ssize_t got; (got = read(fd_, buffer.data(), buffer.size())) > 0;) {
            for (ssize_t at = 0; at < got;) {
                inotify_event event{};
                std::memcpy(&event, buffer.data() + at, sizeof event);
                const char* name = buffer.data() + at + sizeof event;
                if ((event.mask & (IN_MOVED_TO | IN_CLOSE_WRITE)) != 0 && event.len > 0 &&
                    std::string(name) == SettingsFileName)
                    ++writes;
                at += static_cast<ssize_t>(sizeof event + event.len);
            }
        }
        return writes;
    }

    // Passes of WriteIni since the last call.
    int TakePasses() { return Take(); }

private:
    int fd_;
};

class SettingsFormTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        writes.emplace(appDir);
    }

    std::string IniPath() const { return appDir + SettingsFileName; }

    void LayIni(const std::string& text) {
        QFile file(QString::fromStdString(IniPath()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.data(), static_cast<qint64>(text.size()));
        file.close();
        writes->Take(); // only the program's own writes are counted
    }

    std::string Ini() const { return ReadAll(IniPath()); }

    // A key of section Options as the file holds it now.
    std::optional<std::string> Option(const char* key) const {
        return profile::FindValue(Ini(), "Options", key);
    }

    // The options page in front of an active window, as the player reaches it.
    TForm1& ShowOptionsPage() {
        TForm1& f = Form();
        f.show();
        f.Button2Click(f.Button2);
        f.Button6Click(f.Records().Button6);
        QApplication::setActiveWindow(&f);
        return f;
    }

    // A key pressed and released, delivered where the platform would: into an open popup
    // (a list passes typing on to its field), else to the given widget.
    static void Key(QWidget* target, int key, const QString& text = {},
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        if (QWidget* popup = QApplication::activePopupWidget())
            target = popup->focusWidget() ? popup->focusWidget() : popup;
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(target, &release);
    }

    std::optional<SettingsWrites> writes;
};

} // namespace lexfall::testing
