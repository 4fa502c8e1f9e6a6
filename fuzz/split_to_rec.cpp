// SPDX-License-Identifier: GPL-3.0-or-later
// A record text from the server, any text: parsing it either fills the whole record or leaves
// the target as it was, and a parsed record written back and parsed again is the same record.
#include "FuzzSupport.h"
#include "online/RecordText.h"
#include "records/ScoreRec.h"
#include "text/Error.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstring>
#include <string>

namespace {

using namespace lexfall;

bool SameBytes(const TScoreRec& a, const TScoreRec& b) {
    return std::memcmp(&a, &b, sizeof(TScoreRec)) == 0;
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    static const std::array<const char*, 6> patterns = {"%m/%d/%y", "%d.%m.%Y", "%F",
                                                        "%e-%m-%y", "%D",       "%Y%m%d"};
    ShortDateFormat dates;
    const bool known = data.ConsumeBool();
    dates.pattern = known ? data.PickValueInArray(patterns) : data.ConsumeRandomLengthString(12);
    const bool fourDigitYears = known && dates.pattern.find("%y") == std::string::npos &&
                                dates.pattern.find("%D") == std::string::npos;
    dates.currentYear = data.ConsumeIntegralInRange(1900, 2200);

    // The target holds anything beforehand, as a record fetched earlier can.
    TScoreRec before{};
    const std::string old = data.ConsumeBytesAsString(sizeof(TScoreRec));
    std::memcpy(&before, old.data(), old.size());
    const std::string text = data.ConsumeRemainingBytesAsString();

    TScoreRec rec = before;
    try {
        SplitToRec(text, rec, dates);
    } catch (const Error& error) {
        const std::string_view what = error.what();
        // A NUL in the field ends the message there, as the message box would show it.
        FUZZ_CHECK(!what.empty() && what.front() == '\'');
        FUZZ_CHECK(EndsWith(what, "' is not a valid integer value") ||
                   EndsWith(what, "' is not a valid date") || text.find('\0') != std::string::npos);
        FUZZ_CHECK(SameBytes(rec, before));
        return 0;
    }
    // The whole record came from the text: the name is its first field,
    const std::string_view name = std::string_view(text).substr(0, text.find(','));
    // cut to 20 bytes without splitting a character.
    const std::string kept = RecordName(rec);
    FUZZ_CHECK(name.substr(0, kept.size()) == kept);
    FUZZ_CHECK(name.size() <= kMaxNameLength ? kept.size() == name.size()
                                             : kept.size() + 3 >= kMaxNameLength);
    FUZZ_CHECK(rec.NameLength <= kMaxNameLength);

    // Written back and split again: the same record. A date whose year a two-digit format
    // cannot hold comes back in the format's century window, and from then on stays.
    const std::string written = RecordText(rec);
    TScoreRec again = rec;
    try {
        SplitToRec(written, again, dates);
    } catch (const Error& error) {
        fuzz::Fail(error.what(), __FILE__, __LINE__);
    }
    FUZZ_CHECK(RecordText(again) == written);
    TScoreRec sameDate = again;
    sameDate.Date = rec.Date;
    FUZZ_CHECK(SameBytes(sameDate, rec));
    if (fourDigitYears)
        FUZZ_CHECK(SameBytes(again, rec));
    TScoreRec third = again;
    SplitToRec(RecordText(again), third, dates);
    FUZZ_CHECK(SameBytes(third, again));
    return 0;
}
