// event_log.h: EventLog, the recent applied changes as Server-Sent Events frames, read by every open stream.
//
//   EventLog log(/*backlog*/ 4096, /*maxSubscribers*/ 64);
//   log.Append(seq, frame);                       // the writer, in sequence order
//   std::unique_ptr<EventLog::Subscription> s = log.Subscribe();   // null when full or closed
//   EventLog::Batch batch = log.Wait(*s, std::chrono::seconds(15));
//
// Frames are kept in a ring of `backlog` entries and shared, not copied, between readers. A reader that falls
// more than `backlog` frames behind is told so (Batch::lost) and continues from the oldest frame still kept; it learns
// the gap from the sequence numbers as well. Close wakes every reader and refuses new ones; the server closes
// the log before it stops, so no stream keeps a worker thread.
//
// Thread-safe: one mutex guards the ring; Wait sleeps on a condition variable, never holding anything else.
#ifndef QENPROPERTIES_SERVER_INTERNAL_EVENT_LOG_H_
#define QENPROPERTIES_SERVER_INTERNAL_EVENT_LOG_H_

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Quenneth {
namespace server {
namespace detail {

class EventLog {
 public:
  // Subscription: one reader's place in the log; destroying it gives its slot back. It must not outlive the
  // log.
  class Subscription {
   public:
    ~Subscription();
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    // Cursor: the sequence number of the last frame this reader was given (or was current when it joined).
    std::uint64_t Cursor() const { return cursor_; }

   private:
    friend class EventLog;
    Subscription(EventLog* log, std::uint64_t cursor) : log_(log), cursor_(cursor) {}
    EventLog* log_;
    std::uint64_t cursor_;
  };

  // Batch: what one Wait hands a reader. `frames` in sequence order; `lost` when frames were dropped before
  // this reader read them; `closed` when the log was closed (the reader ends its stream).
  struct Batch {
    std::vector<std::shared_ptr<const std::string>> frames;
    bool lost = false;
    bool closed = false;
  };

  EventLog(std::size_t backlog, std::size_t maxSubscribers);
  ~EventLog();
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;

  // Append adds the frame of change `seq`, which must be LastSeq() + 1 (the writer numbers changes under its
  // own lock, so frames arrive in order), and wakes every reader.
  void Append(std::uint64_t seq, std::string frame);
  // LastSeq gives the sequence number of the newest frame, 0 before the first.
  std::uint64_t LastSeq() const;

  // Subscribe gives a reader whose cursor is the newest frame; null when maxSubscribers readers are open or
  // the log is closed.
  std::unique_ptr<Subscription> Subscribe();
  std::size_t Subscribers() const;

  // Wait returns at once with the frames after the reader's cursor, or waits up to `timeout` for one; an empty
  // batch means the time ran out (the caller sends a keep-alive). Advances the cursor.
  Batch Wait(Subscription& subscription, std::chrono::milliseconds timeout);

  // Close wakes every reader with `closed` and refuses new ones. Idempotent.
  void Close();

 private:
  struct Entry {
    std::uint64_t seq;
    std::shared_ptr<const std::string> frame;
  };

  void Leave();

  const std::size_t backlog_;
  const std::size_t maxSubscribers_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Entry> ring_;
  std::uint64_t lastSeq_ = 0;
  std::size_t subscribers_ = 0;
  bool closed_ = false;
};

}  // namespace detail
}  // namespace server
}  // namespace Quenneth

#endif  // QENPROPERTIES_SERVER_INTERNAL_EVENT_LOG_H_
