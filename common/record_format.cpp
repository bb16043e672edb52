#include "common/record_format.h"

#include <cctype>
#include <cstddef>

#include "common/data_error.h"

namespace korvana {

namespace {

// Bounds that keep a mistyped count from expanding a format into millions of items.
constexpr int MAX_COUNT = 10000;
constexpr std::size_t MAX_ITEMS = 100000;
// Groups are parsed recursively: a bound on their nesting keeps a damaged
// format from exhausting the stack. No record needs more than a few levels.
constexpr int MAX_GROUP_DEPTH = 16;

// Recursive-descent parser over the descriptor list. Columns in its errors are
// 1-based positions in the format text, so the message points at the mistake.
class FormatParser {
public:
    explicit FormatParser(std::string_view text) : m_text(text) {}

    std::vector<FormatItem> parse() {
        skipBlanks();
        if (atEnd() || peek() != '(') {
            fail(column(), "does not start with '('",
                 "a record format is a list of descriptors in parentheses");
        }
        const int openColumn = column();
        ++m_pos;
        skipBlanks();
        std::vector<FormatItem> items;
        if (atEnd() || peek() != ')') {
            items = parseList(openColumn);
        }
        ++m_pos;  // the closing parenthesis, checked by parseList or above
        skipBlanks();
        if (!atEnd()) {
            fail(column(), "has text after its closing parenthesis",
                 "the list ends at the ')' matching the first '('");
        }
        return items;
    }

private:
    [[noreturn]] void fail(int col, const std::string& what, const std::string& why) const {
        throw DataError(SourcePosition{"", 0, col}, "format " + std::string(m_text) + " " + what +
                                                        " (" + why + ") - correct the format");
    }

    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return m_text[m_pos]; }
    int column() const { return static_cast<int>(m_pos) + 1; }

    void skipBlanks() {
        while (!atEnd() && (peek() == ' ' || peek() == '\t')) {
            ++m_pos;
        }
    }

    bool atDigit() const { return !atEnd() && std::isdigit(static_cast<unsigned char>(peek())); }

    // A count or width; the caller has checked that a digit is next.
    int readNumber() {
        const int start = column();
        long value = 0;
        while (atDigit()) {
            value = value * 10 + (peek() - '0');
            if (value > MAX_COUNT) {
                fail(start, "has a number above " + std::to_string(MAX_COUNT),
                     "no record is that wide");
            }
            ++m_pos;
        }
        return static_cast<int>(value);
    }

    // Items up to, not including, the ')' that closes the group opened at openColumn.
    std::vector<FormatItem> parseList(int openColumn) {
        std::vector<FormatItem> items;
        for (;;) {
            skipBlanks();
            if (atEnd()) {
                fail(openColumn,
                     "has a '(' in column " + std::to_string(openColumn) + " that is never closed",
                     "each '(' needs a matching ')'");
            }
            if (peek() == ')' || peek() == ',') {
                fail(column(), "lacks a descriptor before '" + std::string(1, peek()) + "'",
                     "items are separated by single commas");
            }
            parseItem(items);
            skipBlanks();
            if (atEnd()) {
                fail(openColumn,
                     "has a '(' in column " + std::to_string(openColumn) + " that is never closed",
                     "each '(' needs a matching ')'");
            }
            if (peek() == ')') {
                return items;
            }
            if (peek() != ',') {
                fail(column(), "has '" + std::string(1, peek()) + "' where ',' or ')' belongs",
                     "items are separated by commas");
            }
            ++m_pos;
        }
    }

    void parseItem(std::vector<FormatItem>& items) {
        const int itemColumn = column();
        bool counted = false;
        int count = 1;
        if (atDigit()) {
            counted = true;
            count = readNumber();
            skipBlanks();
            if (atEnd()) {
                return;  // parseList reports the missing ')'
            }
        }
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(peek())));
        if (counted && (c == ',' || c == ')')) {
            fail(itemColumn, "has the count " + std::to_string(count) + " without a descriptor",
                 "a count stands before the item it repeats");
        }
        if (c == '(') {
            checkRepeat(counted, count, itemColumn);
            const int openColumn = column();
            if (m_groupDepth == MAX_GROUP_DEPTH) {
                fail(openColumn,
                     "nests groups more than " + std::to_string(MAX_GROUP_DEPTH) + " deep",
                     "no record needs that many levels");
            }
            ++m_pos;
            ++m_groupDepth;
            const std::vector<FormatItem> group = parseList(openColumn);
            --m_groupDepth;
            ++m_pos;
            checkExpansion(items.size(), group.size(), count, itemColumn);
            for (int i = 0; i < count; ++i) {
                items.insert(items.end(), group.begin(), group.end());
            }
            return;
        }
        if (c == '\'' || c == '"') {
            if (counted) {
                fail(itemColumn, "has a count before a quoted literal",
                     "a literal cannot be repeated");
            }
            items.push_back(parseLiteral());
            return;
        }
        if (c == 'X') {
            if (counted && count == 0) {
                fail(itemColumn, "has 0X", "X skips at least one column");
            }
            ++m_pos;
            items.push_back(FormatItem{FieldKind::Blanks, count, 0, {}});
            return;
        }
        checkRepeat(counted, count, itemColumn);
        const int letterColumn = column();
        FormatItem item{FieldKind::Text, 0, 0, {}};
        switch (c) {
            case 'I':
                ++m_pos;
                item.kind = FieldKind::Integer;
                item.width = readWidth(c, letterColumn);
                if (!atEnd() && peek() == '.') {
                    fail(column(), "has a minimum digit count after I" + std::to_string(item.width),
                         "only the plain Iw form is supported");
                }
                break;
            case 'F':
            case 'E':
                ++m_pos;
                item.kind = c == 'F' ? FieldKind::Fixed : FieldKind::Exponent;
                item.width = readWidth(c, letterColumn);
                item.decimals = readDecimals(c, item.width, letterColumn);
                break;
            case 'A':
                ++m_pos;
                if (atDigit()) {
                    item.width = readWidth(c, letterColumn);
                }
                break;
            default:
                fail(column(), "has the unknown descriptor '" + std::string(1, peek()) + "'",
                     "the descriptors are I, F, E, A, X and quoted literals");
        }
        checkExpansion(items.size(), 1, count, itemColumn);
        for (int i = 0; i < count; ++i) {
            items.push_back(item);
        }
    }

    void checkExpansion(std::size_t present, std::size_t groupSize, int count,
                        int itemColumn) const {
        if (present + groupSize * static_cast<std::size_t>(count) > MAX_ITEMS) {
            fail(itemColumn, "expands to more than " + std::to_string(MAX_ITEMS) + " items",
                 "the repeat counts multiply");
        }
    }

    void checkRepeat(bool counted, int count, int itemColumn) const {
        if (counted && count == 0) {
            fail(itemColumn, "has a repeat count of 0", "a repeated item appears at least once");
        }
    }

    int readWidth(char letter, int letterColumn) {
        if (!atDigit()) {
            fail(column(),
                 "lacks the width of the " + std::string(1, letter) + " descriptor in column " +
                     std::to_string(letterColumn),
                 "every field has a fixed number of columns");
        }
        const int widthColumn = column();
        const int width = readNumber();
        if (width == 0) {
            fail(widthColumn, "has a field width of 0", "a field spans at least one column");
        }
        return width;
    }

    int readDecimals(char letter, int width, int letterColumn) {
        const std::string name = std::string(1, letter) + std::to_string(width);
        if (atEnd() || peek() != '.') {
            fail(column(),
                 "lacks the decimals of " + name + " in column " + std::to_string(letterColumn),
                 "real fields are written " + std::string(1, letter) + "w.d");
        }
        ++m_pos;
        if (!atDigit()) {
            fail(column(), "lacks the decimals after " + name + ".",
                 "real fields are written " + std::string(1, letter) + "w.d");
        }
        const int decimals = readNumber();
        if (decimals >= width) {
            fail(letterColumn, "has " + name + "." + std::to_string(decimals),
                 "the decimals must be fewer than the width");
        }
        if (letter == 'E' && decimals == 0) {
            fail(letterColumn, "has " + name + ".0",
                 "an E field shows at least one significant digit");
        }
        return decimals;
    }

    FormatItem parseLiteral() {
        const char quote = peek();
        const int openColumn = column();
        ++m_pos;
        std::string text;
        for (;;) {
            if (atEnd()) {
                fail(openColumn,
                     "has a literal opened in column " + std::to_string(openColumn) +
                         " that is never closed",
                     "a literal ends at its closing quote; a quote inside is doubled");
            }
            const char c = peek();
            ++m_pos;
            if (c == quote) {
                if (atEnd() || peek() != quote) {
                    break;
                }
                ++m_pos;  // a doubled quote stands for one
            }
            text += c;
        }
        FormatItem item{FieldKind::Literal, static_cast<int>(text.size()), 0, {}};
        item.literal = std::move(text);
        return item;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_groupDepth = 0;  //!< groups open around the current item
};

}  // namespace

bool carriesValue(FieldKind kind) {
    return kind == FieldKind::Integer || kind == FieldKind::Fixed || kind == FieldKind::Exponent ||
           kind == FieldKind::Text;
}

RecordFormat::RecordFormat(std::string_view descriptorList)
    : m_text(descriptorList), m_items(FormatParser(descriptorList).parse()) {}

int RecordFormat::valueFieldCount() const {
    int count = 0;
    for (const FormatItem& item : m_items) {
        if (carriesValue(item.kind)) {
            ++count;
        }
    }
    return count;
}

}  // namespace korvana
