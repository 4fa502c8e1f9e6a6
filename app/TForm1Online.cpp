// The records page's three exchanges with the records server.
#include "app/GameTimer.h"
#include "app/TForm1.h"
#include "online/HttpAccess.h"
#include "online/RecordText.h"
#include "online/RecordsExchange.h"
#include "platform/qt/QtDialogs.h"
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
// off the window's thread so the window paints and can offer Cancel; the game's timers are
// held meanwhile, as the game stood still while a request blocked the window.
std::string TForm1::RequestWhileBusy(QPushButton* button, const std::string& url) {
    const ButtonBusy busy(button);
    const TimersHeld held(*Timer1, *Timer2);
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
    if (!services_.dialogs.Confirm(question))
        return std::nullopt;
    RegisterInfo identity = ReadRegisterInfo(SettingsPath());
    if (!exchange::IdentityComplete(identity)) {
        services_.dialogs.ShowMessage(exchange::IdentityMissingText(SettingsPath()));
        return std::nullopt;
    }
    return identity;
}

void TForm1::Button4Click(QObject*) {
    const std::string base = exchange::ReadServerBase(SettingsPath());
    const std::string reply = RequestWhileBusy(Records().Button4, exchange::CheckWrUrl(base));
    if (const auto failure = exchange::CheckWrFailure(reply)) {
        services_.dialogs.ShowMessage(*failure);
        return;
    }
    SplitToRec(reply, state.WorldRec, ShortDates());
    ShowWorldRec();
    services_.dialogs.ShowMessage(exchange::WorldRecordFetchedText);
    SaveWorldRec(services_.recordsDir, services_.dialogs, state.MyRec, state.WorldRec);
}

void TForm1::Button9Click(QObject*) {
    const auto identity = ConfirmedIdentity(exchange::GetMyRecQuestion);
    if (!identity)
        return;
    const std::string base = exchange::ReadServerBase(SettingsPath());
    const std::string reply =
        RequestWhileBusy(Records().Button9, exchange::GetMyRecUrl(base, *identity));
    const exchange::GetMyRecOutcome outcome = exchange::GetMyRecReply(reply);
    if (!outcome.isRecord) {
        if (outcome.message)
            services_.dialogs.ShowMessage(*outcome.message);
        return;
    }
    SplitToRec(reply, state.MyRec, ShortDates());
    ShowMyRec();
    services_.dialogs.ShowMessage(exchange::MyRecordFetchedText);
    SaveMyRec(services_.recordsDir, services_.dialogs, state.MyRec, state.WorldRec);
}

void TForm1::Button5Click(QObject*) {
    const auto identity = ConfirmedIdentity(exchange::PutMyRecQuestion);
    if (!identity)
        return;
    const std::string base = exchange::ReadServerBase(SettingsPath());
    const std::string recordText = RecordText(state.MyRec);
    const std::string reply =
        RequestWhileBusy(Records().Button5, exchange::PutMyRecUrl(base, *identity, recordText));
    // Sending changes nothing here: the record stays as saved on this computer.
    services_.dialogs.ShowMessage(exchange::PutMyRecMessage(reply));
}

} // namespace lexfall
