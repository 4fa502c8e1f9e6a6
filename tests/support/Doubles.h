#pragma once
// Test doubles for the seams: scripted numbers, recorded boxes and sounds, a fixed date.
#include "platform/BrowserProxy.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Random.h"
#include "platform/Sound.h"

#include <deque>
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
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool Confirm(const std::string& question) override {
        questions.push_back(question);
        return answer;
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

class FixedClock final : public Clock {
public:
    double today = 46366.0; // 2026-12-10
    double Today() const override { return today; }
    std::uint64_t SeedValue() const override { return 1; }
};

} // namespace lexfall::testing
