#include "worktables/FilterExpression.h"

namespace velmaro::dbf {

namespace {

constexpr char kQuote = '\'';

// Reads an expression from left to right.
class ExpressionReader {
public:
    explicit ExpressionReader(std::string_view expression) : expression_(expression) {}

    void SkipBlanks() {
        while (!AtEnd() && expression_[pos_] == ' ') ++pos_;
    }
    bool AtEnd() const { return pos_ >= expression_.size(); }
    // Moves past `c` when it comes next; false otherwise.
    bool Take(char c) {
        if (AtEnd() || expression_[pos_] != c) return false;
        ++pos_;
        return true;
    }
    // The characters up to the next '=' or blank.
    std::string_view Name() {
        const std::size_t start = pos_;
        while (!AtEnd() && expression_[pos_] != '=' && expression_[pos_] != ' ') ++pos_;
        return expression_.substr(start, pos_ - start);
    }
    // The text up to the closing quote (a doubled quote stands for one), moving past the quote;
    // nothing when the text is not closed.
    std::optional<std::string> QuotedText() {
        std::string text;
        while (!AtEnd()) {
            const char c = expression_[pos_++];
            if (c != kQuote) {
                text += c;
            } else if (!Take(kQuote)) {
                return text;
            } else {
                text += kQuote;
            }
        }
        return std::nullopt;
    }

private:
    std::string_view expression_;
    std::size_t pos_ = 0;
};

}  // namespace

std::optional<EqualsFilter> ParseEqualsFilter(std::string_view expression) {
    ExpressionReader reader(expression);
    reader.SkipBlanks();
    const std::string_view field = reader.Name();
    reader.SkipBlanks();
    if (field.empty() || !reader.Take('=')) return std::nullopt;
    reader.SkipBlanks();
    if (!reader.Take(kQuote)) return std::nullopt;
    std::optional<std::string> value = reader.QuotedText();
    if (!value) return std::nullopt;
    reader.SkipBlanks();
    if (!reader.AtEnd()) return std::nullopt;
    return EqualsFilter{std::string(field), std::move(*value)};
}

std::string EqualsFilterText(std::string_view field, std::string_view value) {
    std::string expression(field);
    expression += "= '";
    for (char c : value) {
        expression += c;
        if (c == kQuote) expression += kQuote;
    }
    return expression + "'";
}

}  // namespace velmaro::dbf
