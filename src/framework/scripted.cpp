#include "framework/scripted.h"

#include <poll.h>

#include <algorithm>

namespace framework {

namespace {

// The next scripted answer of a text dialog: false when there is none or it
// cancels; otherwise the text goes to value.
bool takeTextAnswer(std::deque<std::optional<std::string>>& answers, std::string& value)
{
    if (answers.empty())
        return false;
    std::optional<std::string> answer = std::move(answers.front());
    answers.pop_front();
    if (!answer)
        return false;
    value = std::move(*answer);
    return true;
}

} // namespace

bool ScriptedDialogs::askYesNo(const std::string& text, const std::string& caption)
{
    questions.push_back(caption + ": " + text);
    if (yesNoAnswers.empty())
        return true;
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

Answer ScriptedDialogs::askYesNoCancel(const std::string& text, const std::string& caption)
{
    questions.push_back(caption + ": " + text);
    if (yesNoCancelAnswers.empty())
        return Answer::Yes;
    const Answer answer = yesNoCancelAnswers.front();
    yesNoCancelAnswers.pop_front();
    return answer;
}

bool ScriptedDialogs::inputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    prompts.push_back(caption + ": " + prompt);
    return takeTextAnswer(inputAnswers, value);
}

bool ScriptedDialogs::saveFileName(const std::string& caption, const std::string& filter, std::string& path)
{
    saveProposals.push_back(path);
    return takeTextAnswer(saveAnswers, path);
}

void ManualClock::timerChanged(Timer& timer)
{
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.timer == &timer; }),
                   entries_.end());
    if (timer.enabled() && timer.interval() > 0)
        entries_.push_back({&timer, now_ + static_cast<uint64_t>(timer.interval()), ++order_});
}

void ManualClock::timerDestroyed(Timer& timer)
{
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.timer == &timer; }),
                   entries_.end());
}

DateTime ManualClock::localTime()
{
    const uint64_t seconds = 10 * 3600 + now_ / 1000;
    return DateTime{date, static_cast<int>(seconds / 3600 % 24), static_cast<int>(seconds / 60 % 60),
                    static_cast<int>(seconds % 60)};
}

bool ManualClock::armed(const Timer& timer) const
{
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.timer == &timer; });
}

bool ManualClock::fireNext()
{
    if (entries_.empty())
        return false;
    auto next = std::min_element(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return a.due != b.due ? a.due < b.due : a.order < b.order;
    });
    Timer* timer = next->timer;
    now_ = std::max(now_, next->due);
    next->due = now_ + static_cast<uint64_t>(timer->interval());
    next->order = ++order_;
    timer->fire();
    return true;
}

void ManualClock::advance(uint64_t ms)
{
    const uint64_t target = now_ + ms;
    while (true) {
        auto next = std::min_element(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
            return a.due != b.due ? a.due < b.due : a.order < b.order;
        });
        if (next == entries_.end() || next->due > target)
            break;
        fireNext();
    }
    now_ = target;
}

void ScriptedPump::waitForEvents(int maxMs, int fd, bool forWrite)
{
    ++pumped;
    if (onWait)
        onWait();
    if (fd >= 0) {
        pollfd p{fd, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
        if (::poll(&p, 1, realPollMs) > 0)
            return;
    }
    if (clock_)
        clock_->advance(static_cast<uint64_t>(maxMs));
}

void ScriptedInput::keyEvent(int virtualKey, bool keyUp)
{
    events.push_back(std::string(keyUp ? "KUP " : "KDOWN ") + std::to_string(virtualKey));
}

ScriptedServices::ScriptedServices()
    : dialogs(std::make_shared<ScriptedDialogs>()), clipboard(std::make_shared<ScriptedClipboard>()),
      shell(std::make_shared<ScriptedShell>()), sound(std::make_shared<ScriptedSound>()),
      clock(std::make_shared<ManualClock>()), pump(std::make_shared<ScriptedPump>(clock.get())),
      input(std::make_shared<ScriptedInput>())
{
}

Services ScriptedServices::services() const
{
    return Services{dialogs, clipboard, shell, sound, clock, pump, input};
}

} // namespace framework
