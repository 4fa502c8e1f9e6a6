// The records page's three exchanges with the records server.
#include "app/TForm1.h"
#include "online/HttpAccess.h"
#include "online/RecordText.h"
#include "online/RecordsExchange.h"
#include "platform/DayCount.h"
#include "records/RecordFile.h"
#include "settings/SettingsFile.h"

#include <QPushButton>

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

void TForm1::Button4Click(QObject*) {
    const std::string base = exchange::ReadServerBase(SettingsPath());
    std::string reply;
    {
        const ButtonBusy busy(Button4);
        reply = IdHTTP1->HttpGet(exchange::CheckWrUrl(base));
    }
    if (const auto failure = exchange::CheckWrFailure(reply)) {
        services_.dialogs.ShowMessage(*failure);
        return;
    }
    SplitToRec(reply, state.WorldRec, ShortDates());
    ShowWorldRec();
    services_.dialogs.ShowMessage(exchange::WorldRecordFetchedText);
    SaveWorldRec(services_.appDir, services_.dialogs, state.MyRec, state.WorldRec);
}

void TForm1::Button9Click(QObject*) {
    if (!services_.dialogs.Confirm(exchange::GetMyRecQuestion))
        return;
    const RegisterInfo identity = ReadRegisterInfo(SettingsPath());
    if (!exchange::IdentityComplete(identity)) {
        services_.dialogs.ShowMessage(exchange::IdentityMissingText(SettingsPath()));
        return;
    }
    const std::string base = exchange::ReadServerBase(SettingsPath());
    std::string reply;
    {
        const ButtonBusy busy(Button9);
        reply = IdHTTP1->HttpGet(exchange::GetMyRecUrl(base, identity));
    }
    const exchange::GetMyRecOutcome outcome = exchange::GetMyRecReply(reply);
    if (!outcome.isRecord) {
        if (outcome.message)
            services_.dialogs.ShowMessage(*outcome.message);
        return;
    }
    SplitToRec(reply, state.MyRec, ShortDates());
    ShowMyRec();
    services_.dialogs.ShowMessage(exchange::MyRecordFetchedText);
    SaveMyRec(services_.appDir, services_.dialogs, state.MyRec, state.WorldRec);
}

void TForm1::Button5Click(QObject*) {
    if (!services_.dialogs.Confirm(exchange::PutMyRecQuestion))
        return;
    const RegisterInfo identity = ReadRegisterInfo(SettingsPath());
    if (!exchange::IdentityComplete(identity)) {
        services_.dialogs.ShowMessage(exchange::IdentityMissingText(SettingsPath()));
        return;
    }
    const std::string base = exchange::ReadServerBase(SettingsPath());
    std::string reply;
    {
        const ButtonBusy busy(Button5);
        reply = IdHTTP1->HttpGet(
            exchange::PutMyRecUrl(base, identity, RecordText(state.MyRec, ShortDates())));
    }
    // Sending changes nothing here: the record stays as saved on this computer.
    services_.dialogs.ShowMessage(exchange::PutMyRecMessage(reply));
}

} // namespace lexfall
