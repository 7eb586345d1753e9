// A value that is empty, present, or produced on first use. The source cache
// keeps a file's derived forms (UTF-8 text, UTF-16 text, mapper) this way,
// so that each is made only when somebody asks for it. Not synchronised: the
// owner's lock guards it.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <utility>

namespace Quillfern::ZoCodeInspections::Native {

/// Thrown by lazy<T>::get on an empty value; one type per T.
template <typename T>
class lazy_empty_exception : public std::exception {};

template <typename T>
class lazy {
 public:
  using producer_type = std::function<T()>;

  /// The value, produced now when only a producer is held. A producer that
  /// throws stays in place, so a later get tries again. Throws
  /// lazy_empty_exception<T> when empty.
  T get() {
    if (state_ == kValue) return value_;
    if (state_ == kEmpty) throw lazy_empty_exception<T>();
    // A copy runs, so the producer may replace this lazy's content.
    const producer_type run = producer_;
    T produced = run();
    set(produced);
    return produced;
  }

  /// Holds `value` from now on.
  void set(T value) {
    value_ = std::move(value);
    producer_ = nullptr;
    state_ = kValue;
  }

  /// Produces the value on the next get.
  void set_producer(producer_type producer) {
    producer_ = std::move(producer);
    value_ = T();
    state_ = kProducer;
  }

  bool empty() const { return state_ == kEmpty; }
  bool has_value() const { return state_ == kValue; }
  bool has_producer() const { return state_ == kProducer; }
  /// The held value; only meaningful when has_value().
  const T& value() const { return value_; }

 private:
  static constexpr uint8_t kEmpty = 0;
  static constexpr uint8_t kValue = 1;
  static constexpr uint8_t kProducer = 2;

  T value_{};
  producer_type producer_;
  uint8_t state_ = kEmpty;
};

}  // namespace Quillfern::ZoCodeInspections::Native
