// SPDX-License-Identifier: GPL-3.0-or-later
// The records page's three exchanges with the records server.
#include "app/GameTimer.h"
#include "app/TForm1.h"
#include "online/HttpAccess.h"
#include "online/RecordText.h"
#include "online/RecordsExchange.h"
#include "platform/qt/QtDialogs.h"
#include "records/Figures.h"
#include "records/RecordFile.h"
#include "settings/SettingsFile.h"
#include "text/DayCount.h"

#include <QPushButton>

#include <atomic>
#include <exception>
#include <optional>

namespace lexfall {
namespace {

// Disables a button while its request runs and enables it again on every way out.
class ButtonBusy {
public:
    explicit ButtonBusy(QPushButton* button) : button_(button) { button_->setEnabled(false); }
    ~ButtonBusy() { button_->setEnabled(true); }
    ButtonBusy(const ButtonBusy&) = delete;
    ButtonBusy& operator=(const ButtonBusy&) = delete;

private:
    QPushButton* button_;
};

} // namespace

ShortDateFormat TForm1::ShortDates() const {
    return ShortDateFormat{services_.regional.shortDateFormat,
                           CivilFromDayCount(services_.clock.Today()).year};
}

// One request, its button disabled while it runs and enabled again on every way out. It runs
// off the window's thread so the window paints and can offer Cancel; the game is held
// meanwhile, as it stood still while a request blocked the window, and only this hold is
// lifted after it: a window minimised meanwhile keeps the game covered.
std::string TForm1::RequestWhileBusy(QPushButton* button, const std::string& url) {
    const ButtonBusy busy(button);
    const GameHeld held(*this, HoldSource::Exchange);
    std::atomic<bool> cancelled{false};
    std::string reply;
    std::exception_ptr failure;
    RunWhileWaiting(
        [&] {
            try {
                reply = IdHTTP1->HttpGet(url, &cancelled);
            } catch (...) {
                failure = std::current_exception();
            }
        },
        [&] { cancelled = true; }, this);
    // A reply that came in just as the player cancelled is dropped all the same.
    if (cancelled)
        throw RequestCancelled();
    if (failure)
        std::rethrow_exception(failure);
    return reply;
}

// Asks the question, then reads the identity afresh; nothing when the player says No or the
// identity is incomplete (and then says so).
std::optional<RegisterInfo> TForm1::ConfirmedIdentity(const std::string& question) {
    if (!dialogs_.Confirm(question))
        return std::nullopt;
    RegisterInfo identity = ReadRegisterInfo(SettingsPath());
    if (!exchange::IdentityComplete(identity)) {
        dialogs_.ShowMessage(exchange::IdentityMissingText(SettingsPath()));
        return std::nullopt;
    }
    return identity;
}

void TForm1::Button4Click(QObject*) {
    const std::string base = exchange::ReadServerBase(SettingsPath());
    const std::string reply = RequestWhileBusy(Records().Button4, exchange::CheckWrUrl(base));
    if (const auto failure = exchange::CheckWrFailure(reply)) {
        dialogs_.ShowMessage(*failure);
        return;
    }
    TScoreRec world = game_.WorldRec();
    SplitToRec(reply, world, ShortDates());
    game_.WorldRecChanged(world);
    ShowWorldRec();
    dialogs_.ShowMessage(exchange::WorldRecordFetchedText);
    SaveWorldRec(services_.recordsDir, dialogs_, game_.MyRec(), game_.WorldRec());
}

void TForm1::Button9Click(QObject*) {
    // What the player had before them when they agreed to replace it.
    const TScoreRec seen = game_.MyRec();
    const auto identity = ConfirmedIdentity(exchange::GetMyRecQuestion);
    if (!identity)
        return;
    const std::string base = exchange::ReadServerBase(SettingsPath());
    const std::string reply =
        RequestWhileBusy(Records().Button9, exchange::GetMyRecUrl(base, *identity));
    const exchange::GetMyRecOutcome outcome = exchange::GetMyRecReply(reply);
    if (!outcome.isRecord) {
        if (outcome.message)
            dialogs_.ShowMessage(*outcome.message);
        return;
    }
    TScoreRec fetched = game_.MyRec();
    SplitToRec(reply, fetched, ShortDates());
    game_.MyRecChanged(fetched);
    ShowMyRec();
    dialogs_.ShowMessage(exchange::MyRecordFetchedText);
    StoreFetchedMyRec(seen);
}

void TForm1::StoreFetchedMyRec(TScoreRec seen) {
    // The file may hold a better record than the one the player saw (another copy saved it,
    // or a game ended and was saved while the question was open): it is replaced only when
    // the player says so, asked about the very record the file holds when they answer.
    for (;;) {
        const auto kept = SaveMyRecUnless(
            services_.recordsDir, dialogs_, game_.MyRec(), game_.WorldRec(),
            [&](const TScoreRec& stored) { return KeepStoredMyRec(stored, game_.MyRec(), &seen); });
        if (!kept)
            return;
        const std::string question =
            "Your record file holds a better record (total " + FormatWhole(kept->Total) + ": " +
            FormatWhole(kept->CompletedWords) + " words, " + FormatWhole(kept->UsedLetters) +
            " letters, " + FormatWhole(kept->UsedTime) + " seconds) than the one from the " +
            "server (total " + FormatWhole(game_.MyRec().Total) +
            "). Replace it with the one from the server?";
        if (!dialogs_.Confirm(question)) {
            game_.MyRecChanged(*kept);
            ShowMyRec();
            return;
        }
        seen = *kept;
    }
}

void TForm1::Button5Click(QObject*) {
    const auto identity = ConfirmedIdentity(exchange::PutMyRecQuestion);
    if (!identity)
        return;
    const std::string base = exchange::ReadServerBase(SettingsPath());
    const std::string recordText = RecordText(game_.MyRec());
    const std::string reply =
        RequestWhileBusy(Records().Button5, exchange::PutMyRecUrl(base, *identity, recordText));
    // Sending changes nothing here: the record stays as saved on this computer.
    dialogs_.ShowMessage(exchange::PutMyRecMessage(reply));
}

} // namespace lexfall
