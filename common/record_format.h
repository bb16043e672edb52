// Fixed-column record formats given as edit-descriptor lists.
//
// A format such as "(F6.1,A1,F8.5)" or "(' ',I3,' / ',I3)" describes one text
// line field by field:
//   Iw    integer in w columns         Fw.d  fixed-point real, d decimals
//   Ew.d  real with exponent, d digits Aw    w characters (A alone: as long as the text)
//   nX    n blanks                     'text' literal text ('' inside stands for ')
// A leading count repeats a descriptor or a parenthesised group: 3E10.3, 2(I3,1X).
// The parsed list is flat: repeats are expanded once, here, so readers and
// writers walk a plain sequence of items.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvana {

enum class FieldKind {
    Integer,   //!< Iw
    Fixed,     //!< Fw.d
    Exponent,  //!< Ew.d
    Text,      //!< Aw or A
    Blanks,    //!< nX
    Literal,   //!< 'text'
};

struct FormatItem {
    FieldKind kind;
    int width = 0;        //!< columns; 0 for a bare A (width of the value written)
    int decimals = 0;     //!< d of Fw.d and Ew.d
    std::string literal;  //!< text of a Literal item
};

class RecordFormat {
public:
    //! Parses a descriptor list; throws DataError naming the offending column.
    explicit RecordFormat(std::string_view descriptorList);

    const std::vector<FormatItem>& items() const { return m_items; }
    const std::string& text() const { return m_text; }

    //! Number of items that carry a value (I, F, E and A).
    int valueFieldCount() const;

private:
    std::string m_text;
    std::vector<FormatItem> m_items;
};

bool carriesValue(FieldKind kind);

}  // namespace korvana
