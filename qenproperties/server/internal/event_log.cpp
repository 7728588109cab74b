#include "qenproperties/server/internal/event_log.h"

#include <cassert>
#include <utility>

namespace Quenneth {
namespace server {
namespace detail {

EventLog::Subscription::~Subscription() { log_->Leave(); }

EventLog::EventLog(std::size_t backlog, std::size_t maxSubscribers)
    : backlog_(backlog == 0 ? 1 : backlog), maxSubscribers_(maxSubscribers) {}

EventLog::~EventLog() {
  // Subscriptions point at the log: every stream must have ended before the server destroys it.
  assert(subscribers_ == 0);
}

void EventLog::Append(std::uint64_t seq, std::string frame) {
  auto shared = std::make_shared<const std::string>(std::move(frame));
  {
    std::lock_guard<std::mutex> lock(mutex_);
    assert(seq == lastSeq_ + 1);
    ring_.push_back(Entry{seq, std::move(shared)});
    if (ring_.size() > backlog_) ring_.pop_front();
    lastSeq_ = seq;
  }
  changed_.notify_all();
}

std::uint64_t EventLog::LastSeq() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastSeq_;
}

std::unique_ptr<EventLog::Subscription> EventLog::Subscribe() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_ || subscribers_ >= maxSubscribers_) return nullptr;
  ++subscribers_;
  return std::unique_ptr<Subscription>(new Subscription(this, lastSeq_));
}

std::size_t EventLog::Subscribers() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return subscribers_;
}

void EventLog::Leave() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    --subscribers_;
  }
  changed_.notify_all();
}

EventLog::Batch EventLog::Wait(Subscription& subscription, std::chrono::milliseconds timeout) {
  Batch batch;
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return closed_ || lastSeq_ > subscription.cursor_; });
  if (closed_) {
    batch.closed = true;
    return batch;
  }
  if (lastSeq_ == subscription.cursor_) return batch;
  // Sequence numbers in the ring are consecutive, so the first frame a reader needs sits at a fixed offset.
  const std::uint64_t oldest = ring_.front().seq;
  if (subscription.cursor_ + 1 < oldest) {
    batch.lost = true;
    subscription.cursor_ = oldest - 1;
  }
  const std::size_t first = static_cast<std::size_t>(subscription.cursor_ + 1 - oldest);
  batch.frames.reserve(ring_.size() - first);
  for (std::size_t i = first; i < ring_.size(); ++i) batch.frames.push_back(ring_[i].frame);
  subscription.cursor_ = lastSeq_;
  return batch;
}

void EventLog::Close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

}  // namespace detail
}  // namespace server
}  // namespace Quenneth
