// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test doubles for the seams: scripted numbers, recorded boxes and sounds, a fixed date.
#include "platform/BrowserProxy.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Random.h"
#include "platform/Sound.h"
#include "text/Error.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lexfall::testing {

class ScriptedRandom final : public Random {
public:
    std::deque<int> numbers; // taken in order; 0 once they run out
    std::vector<int> ranges; // every range asked for
    int Below(int range) override {
        ranges.push_back(range);
        if (numbers.empty())
            return 0;
        const int value = numbers.front();
        numbers.pop_front();
        return value;
    }
};

class RecordingDialogs final : public Dialogs {
public:
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    bool answer = true;
    // When set, decides each Confirm instead of answer.
    std::function<bool()> decide;
    // Runs while a message is shown, as a real box runs the event loop while it is open.
    std::function<void()> whileShown;
    void ShowMessage(const std::string& text) override {
        messages.push_back(text);
        if (whileShown)
            whileShown();
    }
    bool Confirm(const std::string& question) override {
        questions.push_back(question);
        return decide ? decide() : answer;
    }
    // The answer to Yes/No/Cancel questions, which are recorded with the others.
    Answer threeWay = Answer::Yes;
    Answer AskYesNoCancel(const std::string& question) override {
        questions.push_back(question);
        return threeWay;
    }
};

class RecordingSound final : public Sound {
public:
    std::vector<std::string> waves;
    std::vector<std::string> commands;
    void PlayWave(const std::string& name) override { waves.push_back(name); }
    void SendCommand(const std::string& command) override { commands.push_back(command); }
};

// The browser's proxy settings as a test sets them; none by default.
class FixedBrowserProxy final : public BrowserProxy {
public:
    std::optional<BrowserProxyValues> values;
    std::optional<BrowserProxyValues> Read() const override { return values; }
};

class SilentSound final : public Sound {
public:
    void PlayWave(const std::string&) override {}
    void SendCommand(const std::string&) override {}
};

// A chime that fails: an injected error wherever the game plays a sound.
class FailingChime final : public Sound {
public:
    void PlayWave(const std::string&) override { throw Error(" The chime failed. "); }
    void SendCommand(const std::string&) override {}
};

class FixedClock final : public Clock {
public:
    double today = 46366.0; // 2026-12-10
    std::uint64_t seed = 1;
    double Today() const override { return today; }
    std::uint64_t SeedValue() const override { return seed; }
};

} // namespace lexfall::testing
