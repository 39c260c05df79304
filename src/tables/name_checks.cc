// Token checks. They run for every token of every line, so the run-time
// lists carry an index: exact lookups hash the token, and the prefix test of
// check_sep probes the token's first L bytes for each distinct name length L.
// Every answer equals the one a walk of the list in order would give.
#include "tables/name_checks.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "scanner/tokenizer.h"
#include "support/messages.h"
#include "support/options.h"

namespace kavel {

names_state g_names;
void reset_names() {
  g_names = names_state{};
}

namespace {

// Twice the capacity keeps probe chains short at a full table.
constexpr size_t kSlotCount = 2 * kNameTableMax;
static_assert((kSlotCount & (kSlotCount - 1)) == 0, "slot count must be a power of two");

size_t slot_of(std::string_view key) {
  return std::hash<std::string_view>{}(key) & (kSlotCount - 1);
}

const char* const keyword_tab[] = {
    "if",     "else",  "switch", "for",  "while", "do",    "return", "case",
    "sizeof", "ifdef", "ifndef", "else", "endif", "undef", nullptr,
};

const char* const type_tab[] = {
    "register", "long",   "int",  "short",   "char",   "signed", "unsigned",
    "float",    "double", "void", "typedef", "struct", "union",  nullptr,
};

bool in_word_tab(const char* const* tab, const char* token) {
  for (; *tab != nullptr; ++tab) {
    if (std::strcmp(*tab, token) == 0)
      return true;
  }
  return false;
}

// The entry of sep_tab for each byte, null for a byte that is no separator.
// Built from sep_tab itself so the two can never disagree.
const char* sep_entry(unsigned char c) {
  static const struct table {
    const char* entry[256] = {};
    table() {
      for (const char* s = sep_tab; *s != 0; s += 2) {
        unsigned char b = static_cast<unsigned char>(*s);
        if (entry[b] == nullptr)
          entry[b] = s;
      }
    }
  } tab;
  return tab.entry[c];
}

}  // namespace

int word_table::find(std::string_view key) const {
  if (slots_.empty())
    return -1;
  for (size_t i = slot_of(key);; i = (i + 1) & (kSlotCount - 1)) {
    int pos = slots_[i];
    if (pos == 0)
      return -1;
    if (names_[pos - 1] == key)
      return pos - 1;
  }
}

bool word_table::append(const std::string& name) {
  if (size() >= kNameTableMax)
    return false;
  if (slots_.empty())
    slots_.assign(kSlotCount, 0);
  names_.push_back(name);
  // Only the first of equal names goes into the index: a search in order
  // would stop there.
  size_t i = slot_of(name);
  bool seen = false;
  for (;; i = (i + 1) & (kSlotCount - 1)) {
    int pos = slots_[i];
    if (pos == 0)
      break;
    if (names_[pos - 1] == name) {
      seen = true;
      break;
    }
  }
  if (!seen)
    slots_[i] = size();
  auto at = std::lower_bound(lengths_.begin(), lengths_.end(), name.size());
  if (at == lengths_.end() || *at != name.size())
    lengths_.insert(at, name.size());
  return true;
}

bool word_table::contains(const char* token) const {
  return find(token) >= 0;
}

bool word_table::has_prefix_of(const char* token) const {
  // Lengths ascend, so the token need only be measured as far as the next
  // length asks; a token shorter than it ends the search.
  size_t known = 0;
  for (size_t len : lengths_) {
    while (known < len && token[known] != 0)
      ++known;
    if (known < len)
      return false;
    if (find(std::string_view(token, len)) >= 0)
      return true;
  }
  return false;
}

void word_table::clear() {
  names_.clear();
  slots_.clear();
  lengths_.clear();
}

int strcmp1(const char* word, const char* text) {
  for (; *word != 0; ++word, ++text) {
    if (*word != *text)
      return -1;
  }
  return 0;
}

const char* check_sep(const char* token) {
  if (token[0] == 0)
    return nullptr;
  if (const char* entry = sep_entry(static_cast<unsigned char>(token[0])))
    return entry;
  return g_names.mac_name.has_prefix_of(token) ? token : nullptr;
}

int check_keyword(const char* token) {
  return in_word_tab(keyword_tab, token) ? 1 : 0;
}

int check_type(const char* token) {
  if (in_word_tab(type_tab, token))
    return 1;
  return g_names.typedef_name.contains(token) ? 1 : 0;
}

int check_maccall(const char* token) {
  return g_names.mac_call.contains(token) ? 1 : 0;
}

int check_mfile(const char* file) {
  if (g_opt.file_list.empty())
    return 1;
  for (const std::string& entry : g_opt.file_list) {
    if (entry.empty())
      break;
    if (entry == file)
      return 1;
  }
  return 0;
}

void add_typedef_name(const char* name) {
  word_table& tab = g_names.typedef_name;
  if (tab.size() >= kNameTableMax) {
    errmsg1("internal error; functions list table overflow\n");
    return;
  }
  // An empty name would only ever match the empty token; keep the table to
  // real names.
  if (name[0] == 0 || tab.contains(name))
    return;
  tab.append(name);
}

}  // namespace kavel
