#include "model/plural_rule.h"

#include <cctype>
#include <stdexcept>

namespace corvane {

namespace {

// Evaluates the formula as it reads it; catalogues hold a few dozen
// characters of it and a count is looked up once per sentence.
class FormulaReader {
public:
    FormulaReader(std::string_view formula, unsigned long n) : text_(formula), n_(n) {}

    unsigned long evaluate() {
        const unsigned long value = conditional();
        skipSpace();
        if (position_ != text_.size()) fail();
        return value;
    }

private:
    unsigned long conditional() {
        const unsigned long condition = disjunction();
        if (!take("?")) return condition;
        const unsigned long whenTrue = conditional();
        if (!take(":")) fail();
        const unsigned long whenFalse = conditional();
        return condition != 0 ? whenTrue : whenFalse;
    }

    unsigned long disjunction() {
        unsigned long value = conjunction();
        while (take("||")) {
            const unsigned long right = conjunction();
            value = (value != 0 || right != 0) ? 1 : 0;
        }
        return value;
    }

    unsigned long conjunction() {
        unsigned long value = equality();
        while (take("&&")) {
            const unsigned long right = equality();
            value = (value != 0 && right != 0) ? 1 : 0;
        }
        return value;
    }

    unsigned long equality() {
        unsigned long value = relation();
        for (;;) {
            if (take("==")) {
                value = value == relation() ? 1 : 0;
            } else if (take("!=")) {
                value = value != relation() ? 1 : 0;
            } else {
                return value;
            }
        }
    }

    unsigned long relation() {
        unsigned long value = sum();
        for (;;) {
            if (take("<=")) {
                value = value <= sum() ? 1 : 0;
            } else if (take(">=")) {
                value = value >= sum() ? 1 : 0;
            } else if (take("<")) {
                value = value < sum() ? 1 : 0;
            } else if (take(">")) {
                value = value > sum() ? 1 : 0;
            } else {
                return value;
            }
        }
    }

    unsigned long sum() {
        unsigned long value = product();
        for (;;) {
            if (take("+")) {
                value += product();
            } else if (take("-")) {
                value -= product();
            } else {
                return value;
            }
        }
    }

    unsigned long product() {
        unsigned long value = unary();
        for (;;) {
            if (take("*")) {
                value *= unary();
            } else if (take("/")) {
                const unsigned long divisor = unary();
                value = divisor == 0 ? 0 : value / divisor;
            } else if (take("%")) {
                const unsigned long divisor = unary();
                value = divisor == 0 ? 0 : value % divisor;
            } else {
                return value;
            }
        }
    }

    unsigned long unary() {
        if (take("!")) return unary() == 0 ? 1 : 0;
        if (take("(")) {
            const unsigned long value = conditional();
            if (!take(")")) fail();
            return value;
        }
        if (take("n")) return n_;
        skipSpace();
        if (position_ == text_.size() ||
            !std::isdigit(static_cast<unsigned char>(text_[position_]))) {
            fail();
        }
        unsigned long value = 0;
        while (position_ < text_.size() &&
               std::isdigit(static_cast<unsigned char>(text_[position_]))) {
            value = value * 10 + static_cast<unsigned long>(text_[position_++] - '0');
        }
        return value;
    }

    bool take(std::string_view token) {
        skipSpace();
        if (text_.substr(position_, token.size()) != token) return false;
        // "<" must not take the first half of "<=", nor "!" of "!=".
        if (token.size() == 1 && position_ + 1 < text_.size() && text_[position_ + 1] == '=' &&
            std::string_view("<>!=").find(token[0]) != std::string_view::npos) {
            return false;
        }
        position_ += token.size();
        return true;
    }

    void skipSpace() {
        while (position_ < text_.size() &&
               std::isspace(static_cast<unsigned char>(text_[position_]))) {
            ++position_;
        }
    }

    [[noreturn]] void fail() const {
        throw std::invalid_argument("plural formula is not understood: " + std::string(text_));
    }

    std::string_view text_;
    unsigned long n_;
    std::size_t position_ = 0;
};

std::string_view fieldAfter(std::string_view text, std::string_view name) {
    const std::size_t at = text.find(name);
    if (at == std::string_view::npos) return {};
    return text.substr(at + name.size());
}

}  // namespace

PluralRule PluralRule::fromHeader(std::string_view header) {
    PluralRule rule;
    std::string_view line = fieldAfter(header, "Plural-Forms:");
    if (line.data() == nullptr) return rule;
    line = line.substr(0, line.find('\n'));
    const std::string_view count = fieldAfter(line, "nplurals=");
    const std::string_view formula = fieldAfter(line, "plural=");
    if (count.empty() || formula.empty()) {
        throw std::invalid_argument("Plural-Forms needs nplurals= and plural=");
    }
    rule.forms_ = std::stoul(std::string(count));
    if (rule.forms_ == 0) throw std::invalid_argument("Plural-Forms needs at least one form");
    rule.formula_ = std::string(formula.substr(0, formula.find(';')));
    FormulaReader(rule.formula_, 1).evaluate();
    return rule;
}

unsigned long PluralRule::formFor(unsigned long n) const {
    const unsigned long form = FormulaReader(formula_, n).evaluate();
    return form < forms_ ? form : 0;
}

}  // namespace corvane
