// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/EndOfGame.h"

#include <cstddef>

namespace lexfall {
namespace {

constexpr const char* kYours = "Congratulations! You have broken Your Record!";
constexpr const char* kWorlds = "Congratulations! You have broken World Record!";

// Time, letters, words and total, in the order they are compared. Copied out by value:
// reaching a field of the packed record through a pointer to member would be a misaligned load.
std::array<std::int32_t, 4> Figures(const TScoreRec& rec, std::int32_t total) {
    return {rec.UsedTime, rec.UsedLetters, rec.CompletedWords, total};
}

// A world figure of 0 never counts as a world record; an own figure has no lower limit.
Broken Compare(std::int32_t game, std::int32_t mine, std::int32_t world) {
    if (world > 0 && game > world)
        return Broken::World;
    if (game > mine)
        return Broken::Own;
    return Broken::None;
}

void Append(std::string& text, const char* more) {
    text += "\r\r";
    text += more;
}

// Without the file the stored record may be better than the one in memory: nothing is saved
// unseen (Save Rec reads the file first), and a line under the other texts says so.
void MarkUnread(EndOfGameVerdict& verdict) {
    const bool offered = verdict.save != SaveStep::None;
    if (offered) {
        verdict.save = SaveStep::Offer;
        verdict.savedText.clear();
    }
    if (!verdict.text.empty())
        verdict.text += "\r";
    verdict.text += offered ? kRecordsUnreadSaveText : kRecordsUnreadText;
}

EndOfGameVerdict Compared(const FinishedGame& finished) {
    EndOfGameVerdict verdict;
    verdict.total = TotalScore(finished.game);
    const auto game = Figures(finished.game, verdict.total);
    const auto mine = Figures(finished.mine, finished.mine.Total);
    const auto world = Figures(finished.world, finished.world.Total);
    for (std::size_t i = 0; i < game.size(); ++i) {
        const Broken broken = Compare(game[i], mine[i], world[i]);
        verdict.figures[i] = broken;
        if (broken == Broken::None)
            continue;
        // The congratulation follows the first broken figure; the colour ends red when any
        // world figure fell.
        if (verdict.text.empty())
            verdict.text = broken == Broken::World ? kWorlds : kYours;
        if (verdict.banner != Broken::World)
            verdict.banner = broken;
    }

    const Broken total = verdict.figures[3];
    if (total == Broken::None) {
        if (!verdict.text.empty())
            Append(verdict.text, "But you can't save it until you break the Total Score Record.");
        return verdict;
    }
    if (finished.cheated) {
        Append(verdict.text, total == Broken::World ? "But, no cheating again."
                                                    : "But, the cheating Record won't be saved.");
        return verdict;
    }
    verdict.save = finished.autoSave ? SaveStep::Run : SaveStep::Offer;
    if (total == Broken::World && !finished.autoSave)
        Append(verdict.text, "Don't forget saveput your world class record onto game server.");
    if (total == Broken::Own && finished.autoSave)
        verdict.savedText = "The new record has been saved automatically.";
    return verdict;
}

} // namespace

EndOfGameVerdict EvaluateEndOfGame(const FinishedGame& finished) {
    EndOfGameVerdict verdict = Compared(finished);
    if (!finished.recordsRead)
        MarkUnread(verdict);
    return verdict;
}

} // namespace lexfall
