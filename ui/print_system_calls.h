#pragma once

#include <QObject>
#include <chrono>
#include <functional>
#include <memory>
#include <utility>

namespace suantiji {

// Calls into the print system run on threads of their own: libcups waits a minute or more for
// each request to a server that accepts connections and never answers, and the window must not
// wait with it. An answer comes back on this object's thread. A call that has not answered
// within its bound is reported once as unanswered, and its late answer is dropped. No thread is
// ever joined, so one stuck in libcups cannot hold up the window or the end of the program.
class PrintSystemCalls : public QObject {
public:
    explicit PrintSystemCalls(QObject* parent = nullptr);
    ~PrintSystemCalls() override;
    PrintSystemCalls(const PrintSystemCalls&) = delete;
    PrintSystemCalls& operator=(const PrintSystemCalls&) = delete;

    // Runs `call` on a thread of its own; `answered` gets its result here unless `unanswered`
    // has run first, `bound` after the start. A zero bound is none: the answer may come late.
    template <typename Result>
    void Start(std::function<Result()> call, std::function<void(Result)> answered,
               std::function<void()> unanswered = {},
               std::chrono::milliseconds bound = std::chrono::milliseconds::zero()) {
        auto settled = std::make_shared<bool>(false);
        startThread(
            [call = std::move(call), answered = std::move(answered), settled] {
                auto result = std::make_shared<Result>(call());
                return std::function<void()>([answered, settled, result] {
                    if (*settled) return;
                    *settled = true;
                    answered(std::move(*result));
                });
            },
            [unanswered = std::move(unanswered), settled] {
                if (*settled || !unanswered) return;
                *settled = true;
                unanswered();
            },
            bound);
    }

    // Waits up to `limit` for every call under way to finish; true when none is left running.
    // The answers are not handed over here.
    bool Wait(std::chrono::milliseconds limit);

    // At the end: waits up to `limit` for the calls still within their bound, not for those
    // already reported as unanswered or without a bound. True when no thread is left running.
    bool Finish(std::chrono::milliseconds limit);

    // Hands over, now, the answers that have come in.
    void HandOverAnswers();

private:
    struct Shared;
    void startThread(std::function<std::function<void()>()> call, std::function<void()> unanswered,
                     std::chrono::milliseconds bound);

    std::shared_ptr<Shared> m_shared;
};

}  // namespace suantiji
