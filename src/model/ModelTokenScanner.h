// ModelTokenScanner: reads the whitespace-separated tokens of model text (ints, floats, single
// separator characters) the way classic-locale stream extraction reads them, from text held in
// memory or handed over window by window by a source.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstddef>
#include <string>
#include <system_error>

namespace agim {

// What one token read produced.
enum class TokenStatus {
  kOk,          // the token was read; the scanner is past it
  kEndOfText,   // only whitespace was left
  kNotANumber,  // the text at the position cannot begin (or complete) the number asked for
  kOutOfRange,  // a well-formed number too large for its type
};

// Line and column (both 1-based, columns count bytes) of a place in the text.
struct TextPlace {
  std::size_t line = 1;    // 1 + line breaks before the place
  std::size_t column = 1;  // 1 + bytes since the last line break
};

// A forward scanner over a text. Every read first skips whitespace (blank, tab, line feed,
// vertical tab, form feed, carriage return), then reads the longest prefix that forms the
// token and stops, so tokens may touch ("0.5#", "#1"). A failed read leaves the scanner at the
// start of the offending token (after the whitespace), where token_start() names it. Nothing
// is allocated while reading and nothing outside the current window is ever touched.
class ModelTokenScanner {
 public:
  // Hands the text over in windows. Each window must end just after a whitespace byte (or at
  // the end of the text), so that no token is split between two windows.
  class Source {
   public:
    virtual ~Source() = default;
    // Makes [begin, end) the next window; false (and an empty window) at the end of the text.
    // The previous window's bytes may be overwritten.
    virtual bool next(const char*& begin, const char*& end) = 0;
  };

  // Scans the `length` bytes at `text`; the text need not end in a zero byte.
  ModelTokenScanner(const char* text, std::size_t length)
      : begin_(text), cur_(text), end_(text + length), token_(text), total_(length) {}
  // Scans the windows of `source`, a text of `length` bytes (used only by remaining()).
  ModelTokenScanner(Source& source, std::size_t length) : source_(&source), total_(length) {}

  // True for the characters classic-locale extraction skips as whitespace.
  static bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
  // True for a character that can begin a number: a digit, '+', '-' or '.'.
  static bool can_begin_number(char c) {
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
  }

  // Skips whitespace (moving on to the next window when this one is used up) and marks where
  // the next token begins.
  void skip_space() {
    while (true) {
      while (cur_ != end_ && is_space(*cur_)) ++cur_;
      if (cur_ != end_ || source_ == nullptr || !next_window()) break;
    }
    token_ = cur_;
  }

  // Reads an optionally signed decimal int ("7", "-3", "+12"). Overflow is kOutOfRange.
  TokenStatus read_int(int& out) {
    skip_space();
    if (cur_ == end_) return TokenStatus::kEndOfText;
    const char* p = cur_;
    // A sign must be followed by a digit; from_chars takes '-' but not '+'.
    const char* digits = (*p == '+' || *p == '-') ? p + 1 : p;
    if (digits == end_ || *digits < '0' || *digits > '9') return TokenStatus::kNotANumber;
    if (*p == '+') p = digits;
    const std::from_chars_result r = std::from_chars(p, end_, out);
    if (r.ec == std::errc::invalid_argument) return TokenStatus::kNotANumber;
    if (r.ec == std::errc::result_out_of_range) return TokenStatus::kOutOfRange;
    cur_ = r.ptr;
    return TokenStatus::kOk;
  }

  // Reads a decimal float: optional sign, digits with an optional fraction (at least one
  // digit in all: "1.", ".5"), optional exponent ("e-3"), rounded once to float. Rejects
  // what extraction rejects: "inf", "nan", a bare "." or sign, an exponent mark without
  // digits ("1e", "1e+"), and magnitudes above the float range. Values too small for a float
  // become a zero of the same sign, as extraction gives them.
  TokenStatus read_float(float& out) {
    skip_space();
    if (cur_ == end_) return TokenStatus::kEndOfText;
    if (read_short_float(out)) return TokenStatus::kOk;
    const char* p = cur_;
    if (*p == '+' || *p == '-') ++p;
    // Only a digit or a full stop may follow the sign: this keeps out "inf", "nan", "+-1".
    if (p == end_ || !((*p >= '0' && *p <= '9') || *p == '.')) return TokenStatus::kNotANumber;
    const char* from = (*cur_ == '+') ? p : cur_;
    float value = 0.0f;
    const std::from_chars_result r = std::from_chars(from, end_, value);
    if (r.ec == std::errc::invalid_argument) return TokenStatus::kNotANumber;
    // An exponent mark left behind means it had no digits: extraction takes it and fails.
    if (r.ptr != end_ && (*r.ptr == 'e' || *r.ptr == 'E')) return TokenStatus::kNotANumber;
    if (r.ec == std::errc::result_out_of_range) {
      if (!magnitude_below_one(p, r.ptr)) return TokenStatus::kOutOfRange;
      value = (*cur_ == '-') ? -0.0f : 0.0f;
    }
    out = value;
    cur_ = r.ptr;
    return TokenStatus::kOk;
  }

  // Reads the next non-whitespace character, whatever it is.
  TokenStatus read_char(char& out) {
    skip_space();
    if (cur_ == end_) return TokenStatus::kEndOfText;
    out = *cur_++;
    return TokenStatus::kOk;
  }

  // Where the token of the last read (successful or not) begins, or the end of the text.
  const char* token_start() const { return token_; }
  // Where the next read starts.
  const char* position() const { return cur_; }
  // Bytes not yet consumed.
  std::size_t remaining() const {
    const std::size_t done = consumed_ + static_cast<std::size_t>(cur_ - begin_);
    const std::size_t total = std::max(total_, consumed_ + static_cast<std::size_t>(end_ - begin_));
    return total - done;
  }
  // True when nothing but whitespace remains (skips it).
  bool at_end() {
    skip_space();
    return cur_ == end_;
  }

  // Line and column in the whole text of `place` (a pointer into the current window, or its
  // end).
  TextPlace place_of(const char* place) const;
  // The token at `place` for a message: quoted, at most a few dozen bytes, control and
  // non-ASCII bytes escaped; "end of file" when only whitespace is left.
  std::string describe_token(const char* place) const;

 private:
  // Leaves the current window, counting its line breaks for later places, and takes the next
  // one from the source. False at the end of the text.
  bool next_window() {
    lines_before_ += static_cast<std::size_t>(std::count(begin_, end_, '\n'));
    const char* last_break = end_;
    while (last_break != begin_ && last_break[-1] != '\n') --last_break;
    if (last_break != begin_) {
      column_before_ = static_cast<std::size_t>(end_ - last_break);
    } else {
      column_before_ += static_cast<std::size_t>(end_ - begin_);
    }
    consumed_ += static_cast<std::size_t>(end_ - begin_);
    const char* begin = nullptr;
    const char* end = nullptr;
    const bool more = source_->next(begin, end) && begin != end;
    begin_ = cur_ = token_ = more ? begin : nullptr;
    end_ = more ? end : nullptr;
    return more;
  }

  // The quick path of read_float for the common spellings: at most 19 mantissa digits and a
  // decimal exponent within 22 of zero. The mantissa is then exact in a double, one multiply
  // or divide by an exact power of ten rounds it once to double, and rounding that double to
  // float gives the correctly rounded float unless the double sits exactly halfway between
  // two floats. Anything else (longer numbers, bad or far exponents, halfway doubles, text
  // that is not a number) returns false without moving, for the full path to read.
  bool read_short_float(float& out) {
    static constexpr double kPow10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const char* p = cur_;
    bool negative = false;
    if (*p == '-' || *p == '+') {
      negative = (*p == '-');
      ++p;
    }
    std::uint64_t mantissa = 0;  // wraps only past 19 digits, which are sent to the full path
    int digits = 0;
    int exponent = 0;
    for (; p != end_ && static_cast<unsigned>(*p - '0') < 10u; ++p, ++digits)
      mantissa = mantissa * 10u + static_cast<unsigned>(*p - '0');
    if (p != end_ && *p == '.') {
      for (++p; p != end_ && static_cast<unsigned>(*p - '0') < 10u; ++p, ++digits, --exponent)
        mantissa = mantissa * 10u + static_cast<unsigned>(*p - '0');
    }
    if (digits == 0 || digits > 19) return false;
    if (p != end_ && (*p == 'e' || *p == 'E')) {
      const char* q = p + 1;
      bool exponent_negative = false;
      if (q != end_ && (*q == '+' || *q == '-')) exponent_negative = (*q++ == '-');
      int value = 0;
      int exponent_digits = 0;
      for (; q != end_ && static_cast<unsigned>(*q - '0') < 10u; ++q, ++exponent_digits) {
        if (exponent_digits == 4) return false;
        value = value * 10 + (*q - '0');
      }
      if (exponent_digits == 0) return false;
      exponent += exponent_negative ? -value : value;
      p = q;
    }
    if (mantissa > (std::uint64_t{1} << 53) || exponent < -22 || exponent > 22) return false;
    double d = static_cast<double>(mantissa);
    d = (exponent >= 0) ? d * kPow10[exponent] : d / kPow10[-exponent];
    // d is 0 or between 1e-22 and 9.1e37: a normal float result, never a subnormal one.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    constexpr std::uint64_t kBelowFloat = (std::uint64_t{1} << 29) - 1;  // bits a float drops
    if ((bits & kBelowFloat) == (std::uint64_t{1} << 28)) return false;  // exactly halfway
    const float f = static_cast<float>(d);
    out = negative ? -f : f;
    cur_ = p;
    return true;
  }

  // For a well-formed decimal number [digits, stop) without its sign: true when its
  // magnitude is below one, so that an out-of-range conversion was an underflow.
  static bool magnitude_below_one(const char* digits, const char* stop);

  const char* begin_ = nullptr;  // first byte of the current window
  const char* cur_ = nullptr;    // next byte to read
  const char* end_ = nullptr;    // one past the window's last byte
  const char* token_ = nullptr;  // start of the token of the last read
  Source* source_ = nullptr;       // where further windows come from; null for one text
  std::size_t total_ = 0;          // length of the whole text, as far as known
  std::size_t consumed_ = 0;       // bytes in the windows before the current one
  std::size_t lines_before_ = 0;   // line breaks in those windows
  std::size_t column_before_ = 0;  // bytes after their last line break
};

// --- Out-of-line members: places and excerpts for messages, the underflow test ---------

inline TextPlace ModelTokenScanner::place_of(const char* place) const {
  TextPlace where;
  where.line = 1 + lines_before_;
  if (place < begin_ || place > end_) place = begin_;
  const char* line_start = nullptr;
  for (const char* p = begin_; p != place; ++p) {
    if (*p == '\n') {
      ++where.line;
      line_start = p + 1;
    }
  }
  where.column = (line_start != nullptr)
                     ? static_cast<std::size_t>(place - line_start) + 1
                     : column_before_ + static_cast<std::size_t>(place - begin_) + 1;
  return where;
}

inline std::string ModelTokenScanner::describe_token(const char* place) const {
  constexpr std::size_t kMaxShown = 32;
  if (place < begin_ || place > end_) return "nothing";
  const char* p = place;
  while (p != end_ && is_space(*p)) ++p;
  if (p == end_) return "end of file";
  std::string text = "\"";
  std::size_t shown = 0;
  for (; p != end_ && !is_space(*p) && shown < kMaxShown; ++p, ++shown) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '"' || c == '\\') {
      text += '\\';
      text += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(c));
      text += escaped;
    } else {
      text += static_cast<char>(c);
    }
  }
  text += '"';
  if (p != end_ && !is_space(*p)) text += "...";
  return text;
}

inline bool ModelTokenScanner::magnitude_below_one(const char* digits, const char* stop) {
  // Decimal exponent of the leading non-zero digit of the mantissa.
  long lead = 0;
  bool nonzero = false;
  const char* p = digits;
  long integer_digits = 0;
  for (; p != stop && *p >= '0' && *p <= '9'; ++p) {
    if (*p != '0') nonzero = true;
    if (nonzero) ++integer_digits;
  }
  if (nonzero) {
    lead = integer_digits - 1;
  } else {
    long zeros = 0;
    if (p != stop && *p == '.') ++p;
    for (; p != stop && *p >= '0' && *p <= '9'; ++p) {
      if (*p != '0') {
        nonzero = true;
        break;
      }
      ++zeros;
    }
    if (!nonzero) return true;  // zero itself is never out of range
    lead = -(zeros + 1);
  }
  while (p != stop && ((*p >= '0' && *p <= '9') || *p == '.')) ++p;
  long exponent = 0;
  if (p != stop && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negative = false;
    if (p != stop && (*p == '+' || *p == '-')) negative = (*p++ == '-');
    for (; p != stop && *p >= '0' && *p <= '9'; ++p) {
      if (exponent < 1000000000L) exponent = exponent * 10 + (*p - '0');
    }
    if (negative) exponent = -exponent;
  }
  return lead + exponent < 0;
}

}  // namespace agim
