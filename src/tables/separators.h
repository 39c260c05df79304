// The one-character separators that end a word. The tokenizer cuts lines
// at them and the name checks ask whether a token begins with one, so the
// table lives below both; a separator token points into it.
#ifndef KAVEL_TABLES_SEPARATORS_H_
#define KAVEL_TABLES_SEPARATORS_H_

namespace kavel {

// The 33 separators in their fixed order, each with its terminator, ended
// by an empty string. One object for the whole program (inline), so a
// token's pointer into it means the same everywhere.
inline constexpr char sep_tab[] =
    " \0\t\0\n\0\"\0'\0;\0:\0,\0.\0{\0}\0=\0!\0-\0+\0*\0/\0%\0>\0<\0|\0&\0(\0)\0[\0]\0^\0~\0?\0\\\0"
    "#\0&\0|\0";
constexpr int kSepCount = 33;

// Entry number of each byte in sep_tab (its first entry for '&' and '|'),
// -1 for the rest; built at compile time so classifying a byte is one load.
struct sep_lookup {
  signed char at[256];
  constexpr sep_lookup() : at() {
    for (int c = 0; c < 256; c++)
      at[c] = -1;
    for (int e = kSepCount - 1; e >= 0; e--)
      at[static_cast<unsigned char>(sep_tab[2 * e])] = e;
  }
};
inline constexpr sep_lookup kSep;

// Index of `c` in sep_tab's characters, -1 when it is no separator. The
// terminator is no separator.
inline int sep_index(unsigned char c) {
  return kSep.at[c];
}

}  // namespace kavel

#endif  // KAVEL_TABLES_SEPARATORS_H_
