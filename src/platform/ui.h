#pragma once
// The seam for what the user sees and hears. The desktop program implements it on Qt;
// the headless renderer and the tests use RecordingUi, which keeps what it was asked
// to show.
#include <mutex>
#include <string>
#include <vector>

namespace marvane {

class Ui {
 public:
  virtual ~Ui() = default;
  // A message box with only an OK button. An empty title means the program's own name.
  virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
  // The system beep that comes before range and file-name messages.
  virtual void Beep() = 0;
  // The mouse pointer: the hourglass while busy, else the default arrow.
  virtual void SetBusyPointer(bool busy) = 0;
};

// Records every request, in order. Safe to call from several threads: the renderer's
// parallel final stage may report a sampling error from any of them.
class RecordingUi : public Ui {
 public:
  struct Event {
    enum class Kind { Message, Beep, Pointer };
    Kind kind;
    std::string text;   // message text
    std::string title;  // message title
    bool busy = false;  // pointer state
  };

  void ShowMessage(const std::string& text, const std::string& title) override {
    std::lock_guard lock(mutex_);
    events_.push_back({Event::Kind::Message, text, title, false});
  }
  void Beep() override {
    std::lock_guard lock(mutex_);
    events_.push_back({Event::Kind::Beep, {}, {}, false});
  }
  void SetBusyPointer(bool busy) override {
    std::lock_guard lock(mutex_);
    busy_ = busy;
    events_.push_back({Event::Kind::Pointer, {}, {}, busy});
  }

  std::vector<Event> Events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }
  // Only the message boxes, in order.
  std::vector<Event> Messages() const {
    std::lock_guard lock(mutex_);
    std::vector<Event> out;
    for (const auto& e : events_)
      if (e.kind == Event::Kind::Message) out.push_back(e);
    return out;
  }
  // The first message box as one line, "title: text" (the text alone without a title),
  // as the command line and the preview's status line show an error; empty when none.
  std::string FirstMessage() const {
    for (const auto& m : Messages()) return m.title.empty() ? m.text : m.title + ": " + m.text;
    return {};
  }
  int BeepCount() const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const auto& e : events_) n += e.kind == Event::Kind::Beep;
    return n;
  }
  bool Busy() const {
    std::lock_guard lock(mutex_);
    return busy_;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    events_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Event> events_;
  bool busy_ = false;
};

}  // namespace marvane
