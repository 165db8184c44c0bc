#include "ui/print_system_calls.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

namespace suantiji {

using Clock = std::chrono::steady_clock;

// What the threads share with this object, and outlive it with.
struct PrintSystemCalls::Shared {
    std::mutex mutex;
    std::condition_variable finished;
    QObject* receiver = nullptr;  // null once the object is gone
    // The calls under way, by number, with the end of their bound.
    std::map<int, Clock::time_point> running;
    int lastCall = 0;
};

PrintSystemCalls::PrintSystemCalls(QObject* parent)
    : QObject(parent), m_shared(std::make_shared<Shared>()) {
    m_shared->receiver = this;
}

PrintSystemCalls::~PrintSystemCalls() {
    // Answers already posted are dropped with this object; later ones are never posted.
    const std::lock_guard lock(m_shared->mutex);
    m_shared->receiver = nullptr;
}

void PrintSystemCalls::startThread(std::function<std::function<void()>()> call,
                                   std::function<void()> unanswered,
                                   std::chrono::milliseconds bound) {
    int number = 0;
    {
        const std::lock_guard lock(m_shared->mutex);
        number = ++m_shared->lastCall;
        m_shared->running[number] = Clock::now() + bound;
    }
    try {
        std::thread([shared = m_shared, call = std::move(call), number] {
            std::function<void()> answer = call();
            const std::lock_guard lock(shared->mutex);
            if (shared->receiver != nullptr) {
                QMetaObject::invokeMethod(shared->receiver, std::move(answer),
                                          Qt::QueuedConnection);
            }
            shared->running.erase(number);
            shared->finished.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the call never answers.
        const std::lock_guard lock(m_shared->mutex);
        m_shared->running.erase(number);
    }
    if (bound > std::chrono::milliseconds::zero()) {
        QTimer::singleShot(bound, this, std::move(unanswered));
    }
}

bool PrintSystemCalls::Wait(std::chrono::milliseconds limit) {
    std::unique_lock lock(m_shared->mutex);
    return m_shared->finished.wait_for(lock, limit, [this] { return m_shared->running.empty(); });
}

bool PrintSystemCalls::Finish(std::chrono::milliseconds limit) {
    const Clock::time_point until = Clock::now() + limit;
    std::unique_lock lock(m_shared->mutex);
    while (!m_shared->running.empty()) {
        Clock::time_point latest = Clock::time_point::min();
        for (const auto& [number, end] : m_shared->running) latest = std::max(latest, end);
        const Clock::time_point now = Clock::now();
        if (latest <= now || until <= now) break;
        m_shared->finished.wait_until(lock, std::min(latest, until));
    }
    return m_shared->running.empty();
}

void PrintSystemCalls::HandOverAnswers() {
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

}  // namespace suantiji
