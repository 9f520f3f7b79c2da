#include "console/value_parser.h"

#include <charconv>
#include <cstdint>

namespace lav::command {
namespace {

bool isSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isOpening(char c) {
  return c == '(' || c == '<' || c == '[' || c == '{';
}
bool isClosing(char c) {
  return c == ')' || c == '>' || c == ']' || c == '}';
}
bool isOperator(char c) {
  return c == '*' || c == '/' || c == '+' || c == '-';
}

// A run of consecutive values in a level's output, with the operator that joins it to the run
// before it (0: none, the runs simply follow each other).
struct Slot {
  std::uint32_t count = 0;
  char opBefore = 0;
};

enum class NumberScan { None, Number, Malformed };

// One parse: the text is read as blank-separated tokens, left to right; each bracket level is a
// nested call of level() on the same position.
class Parser {
 public:
  Parser(std::string_view text, std::vector<double>& out) : text_(text), out_(out) {}

  // Reads everything; false on any error.
  bool parseAll() {
    out_.clear();
    if (!level(0)) return false;
    return depth_ == 0;
  }

 private:
  bool atTokenEnd() const { return pos_ >= text_.size() || isSeparator(text_[pos_]); }

  // A number at pos_ in the manner of "%lf" for plain decimals: optional sign, digits with at
  // most one point. The scan then passes over every digit and '.' that follows; a second '.'
  // makes the number malformed (1.2.3), and an exponent or letter is left for the caller to
  // refuse.
  NumberScan scanNumber(std::size_t at, double& value, std::size_t& end) const {
    std::size_t i = at;
    bool negative = false;
    if (i < text_.size() && (text_[i] == '+' || text_[i] == '-')) negative = text_[i++] == '-';
    const std::size_t digitsAt = i;
    int points = 0;
    bool digit = false;
    while (i < text_.size() && (isDigit(text_[i]) || text_[i] == '.')) {
      if (text_[i] == '.') {
        ++points;
      } else {
        digit = true;
      }
      ++i;
    }
    if (!digit) return NumberScan::None;
    if (points > 1) return NumberScan::Malformed;
    double v = 0;
    auto r =
        std::from_chars(text_.data() + digitsAt, text_.data() + i, v, std::chars_format::fixed);
    if (r.ec != std::errc() || r.ptr != text_.data() + i) return NumberScan::Malformed;
    value = negative ? -v : v;
    end = i;
    return NumberScan::Number;
  }

  // Reads the items of one level up to its closing bracket (left at pos_) or the end of the
  // text, then evaluates it: the level's values are left at the end of out_.
  bool level(int nesting) {
    if (nesting > kMaxBracketDepth) return false;
    const std::size_t valueBase = out_.size();
    const std::size_t slotBase = slots_.size();
    bool haveOperand = false;      // an operand was read at this level
    bool operandBefore = false;    // the previous item in this token was an operand
    bool operatorPending = false;  // an operator waits for its right operand
    bool continueSlot = false;     // the next operand joins the last slot

    auto addToSlot = [&](std::uint32_t count) {
      if (!continueSlot) slots_.push_back({0, 0});
      slots_.back().count += count;
      haveOperand = true;
      operatorPending = false;
    };
    auto openOperator = [&](char op) {
      slots_.push_back({0, op});
      continueSlot = true;
      operatorPending = true;
    };

    while (true) {
      if (pos_ < text_.size() && isSeparator(text_[pos_])) {
        while (pos_ < text_.size() && isSeparator(text_[pos_])) ++pos_;
        operandBefore = false;
      }
      if (pos_ >= text_.size()) break;
      const char c = text_[pos_];

      double value = 0;
      std::size_t end = 0;
      NumberScan scan = scanNumber(pos_, value, end);
      if (scan == NumberScan::Malformed) return false;
      if (scan == NumberScan::Number) {
        // A sign right after an operand in the same token is an operator: 10-5 is 5.
        if ((c == '+' || c == '-') && operandBefore && !operatorPending) {
          openOperator(c);
          if (scanNumber(pos_ + 1, value, end) != NumberScan::Number) return false;
        }
        if (++numbersRead_ > kMaxValues) return false;
        out_.push_back(value);
        addToSlot(1);
        continueSlot = false;
        pos_ = end;
        operandBefore = !atTokenEnd();
        continue;
      }

      bool negate = false;
      std::size_t bracketAt = pos_;
      if (c == '-' && pos_ + 1 < text_.size() && isOpening(text_[pos_ + 1]) &&
          (!haveOperand || operatorPending)) {
        negate = true;  // -(1 2) at the start or after an operator
        bracketAt = pos_ + 1;
      }
      if (isOpening(text_[bracketAt])) {
        ++depth_;
        pos_ = bracketAt + 1;
        const std::size_t before = out_.size();
        if (!level(nesting + 1)) return false;
        const std::size_t n = out_.size() - before;
        if (negate)
          for (std::size_t k = before; k < out_.size(); ++k) out_[k] = -out_[k];
        addToSlot(static_cast<std::uint32_t>(n));
        continueSlot = true;              // an operand after a closing bracket joins this slot
        if (pos_ < text_.size()) ++pos_;  // past the closing bracket
        operandBefore = !atTokenEnd();
        continue;
      }
      if (isClosing(c)) {
        if (!haveOperand) return false;
        --depth_;
        break;
      }
      if (isOperator(c)) {
        if (!haveOperand) return false;
        openOperator(c);
        ++pos_;
        operandBefore = false;
        continue;
      }
      return false;
    }
    return evaluate(valueBase, slotBase);
  }

  // Applies one operator to the values l[0..a) and r[0..b) that follow each other at off; the
  // result replaces both. b = 0: no effect; a = b: element by element; a = 1 or b = 1: the
  // single value with each of the others.
  bool apply(char op, std::size_t off, Slot& left, const Slot& right) {
    const std::size_t a = left.count, b = right.count;
    auto calc = [op](double x, double y) {
      switch (op) {
        case '*':
          return x * y;
        case '/':
          return x / y;
        case '+':
          return x + y;
        default:
          return x - y;
      }
    };
    double* l = out_.data() + off;
    double* r = l + a;
    if (b == 0) return true;
    if (a == b || b == 1) {
      for (std::size_t j = 0; j < a; ++j) l[j] = calc(l[j], a == b ? r[j] : r[0]);
      out_.erase(out_.begin() + static_cast<std::ptrdiff_t>(off + a),
                 out_.begin() + static_cast<std::ptrdiff_t>(off + a + b));
      return true;
    }
    if (a == 1) {
      for (std::size_t j = 0; j < b; ++j) r[j] = calc(l[0], r[j]);
      out_.erase(out_.begin() + static_cast<std::ptrdiff_t>(off));
      left.count = static_cast<std::uint32_t>(b);
      return true;
    }
    return false;
  }

  // First every '*' and '/' from left to right, then every '+' and '-'.
  bool evaluate(std::size_t valueBase, std::size_t slotBase) {
    for (int pass = 0; pass < 2; ++pass) {
      std::size_t i = slotBase;
      std::size_t off = valueBase;
      while (i + 1 < slots_.size()) {
        const char op = slots_[i + 1].opBefore;
        const bool now = pass == 0 ? (op == '*' || op == '/') : (op == '+' || op == '-');
        if (!now) {
          off += slots_[i].count;
          ++i;
          continue;
        }
        if (!apply(op, off, slots_[i], slots_[i + 1])) return false;
        slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(i + 1));
      }
    }
    slots_.resize(slotBase);
    return true;
  }

  std::string_view text_;
  std::vector<double>& out_;
  std::vector<Slot> slots_;
  std::size_t pos_ = 0;
  int depth_ = 0;
  std::size_t numbersRead_ = 0;
};

}  // namespace

int ParseNumbers(std::string_view text, std::vector<double>& out, std::size_t maxValues) {
  Parser parser(text, out);
  if (!parser.parseAll() || out.size() > maxValues) {
    out.clear();
    return kParseError;
  }
  return static_cast<int>(out.size());
}

}  // namespace lav::command
