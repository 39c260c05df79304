// Token checks. They run for every token of every line, so the lists are
// held in the name index: exact lookups hash the token, and the prefix test
// of check_sep probes the token's first L bytes for each distinct name
// length L. Every answer equals the one a walk of the list in order would give.
#include "tables/name_checks.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <utility>

#include "support/messages.h"
#include "support/name_hash.h"
#include "support/options.h"
#include "tables/separators.h"

namespace kavel {

names_state::names_state() {
  for (const char* const* w = check_detail::keyword_tab; *w != nullptr; ++w)
    words[*w] |= kKeywordWord;
  for (const char* const* w = check_detail::type_tab; *w != nullptr; ++w) {
    words[*w] |= kTypeWord;
    type_starts.add(*w);
    type_filter.add(*w);
  }
}

names_state g_names;
void reset_names() {
  g_names = names_state{};
}

namespace check_detail {
const char* sep_entry[256] = {};
}  // namespace check_detail

namespace {

constexpr size_t kFilterBits = 65536;
constexpr size_t kFilterWords = kFilterBits / 64;

bool test_bit(const std::vector<uint64_t>& bits, size_t b) {
  return (bits[b >> 6] >> (b & 63)) & 1;
}
void set_bit(std::vector<uint64_t>& bits, size_t b) {
  bits[b >> 6] |= uint64_t{1} << (b & 63);
}

// Fills check_detail::sep_entry from sep_tab's own index, so the two can
// never disagree.
struct sep_entries {
  sep_entries() {
    for (int c = 1; c < 256; ++c) {
      int e = sep_index(static_cast<unsigned char>(c));
      if (e >= 0)
        check_detail::sep_entry[c] = sep_tab + 2 * e;
    }
  }
};
const sep_entries g_sep_entries;

}  // namespace

bool word_table::append(const std::string& name) {
  memo_set_ = false;
  ++count_;
  if (name.empty()) {
    has_empty_ = true;
    starts_.add_all();
  } else if (name.size() == 1) {
    starts_.add_first(static_cast<unsigned char>(name[0]));
  } else {
    starts_.add(name.c_str());
  }
  if (begins_.empty()) {
    begins_.assign(kFilterWords, 0);
    whole_.assign(kFilterWords, 0);
  }
  uint64_t h = kHashSeed;
  for (unsigned char c : name) {
    h = (h ^ c) * kHashStep;
    set_bit(begins_, hash_slot(h, kFilterBits - 1));
  }
  set_bit(whole_, hash_slot(h, kFilterBits - 1));
  names_[name] = 1;
  auto at = std::lower_bound(lengths_.begin(), lengths_.end(), name.size());
  if (at == lengths_.end() || *at != name.size())
    lengths_.insert(at, name.size());
  return true;
}

bool word_table::contains(const char* token) const {
  if (token[0] == 0)
    return has_empty_;
  if (!starts_.may_hold(token))
    return false;
  return names_.find(token) != nullptr;
}

bool word_table::has_prefix_of(const char* token) const {
  if (has_empty_)
    return true;
  if (token[0] == 0 || !starts_.may_hold(token))
    return false;
  if (memo_set_ && std::strcmp(memo_, token) == 0)
    return memo_answer_;
  const bool answer = prefix_search(token);
  const size_t n = std::strlen(token);
  memo_set_ = n < sizeof memo_;
  if (memo_set_) {
    std::memcpy(memo_, token, n + 1);
    memo_answer_ = answer;
  }
  return answer;
}

bool word_table::prefix_search(const char* token) const {
  // Lengths ascend, so the token is read once: the hash of each prefix is
  // the running hash at its length, and a token shorter than the next
  // length ends the search. Once no name begins with the bytes read so
  // far, no longer prefix can be a name either.
  uint64_t h = kHashSeed;
  size_t known = 0;
  for (size_t len : lengths_) {
    for (; known < len; ++known) {
      unsigned char c = static_cast<unsigned char>(token[known]);
      if (c == 0)
        return false;
      h = (h ^ c) * kHashStep;
      if (!test_bit(begins_, hash_slot(h, kFilterBits - 1)))
        return false;
    }
    if (test_bit(whole_, hash_slot(h, kFilterBits - 1)) &&
        names_.find(std::string_view(token, len)) != nullptr)
      return true;
  }
  return false;
}

int strcmp1(const char* word, const char* text) {
  for (; *word != 0; ++word, ++text) {
    if (*word != *text)
      return -1;
  }
  return 0;
}

namespace check_detail {

namespace {
// The words of type_tab, the most frequent in real code first. Each is of
// eight bytes or fewer, so that its key is the word itself.
constexpr const char* kTypesByUse[] = {"struct", "void",  "int",    "unsigned", "long",
                                       "char",   "short", "signed", "union",    "double",
                                       "float",  "typedef", "register"};
constexpr bool same_words() {
  size_t n = 0;
  for (const char* const* w = type_tab; *w != nullptr; ++w, ++n) {
    bool found = false;
    for (const char* u : kTypesByUse)
      found = found || std::string_view(*w) == u;
    if (!found || std::string_view(*w).size() > 8)
      return false;
  }
  return n == sizeof kTypesByUse / sizeof kTypesByUse[0];
}
static_assert(same_words(), "kTypesByUse holds the words of type_tab");
// The keys of keyword_tab, the most frequent before a '(' first.
constexpr const char* kKeywordsByUse[] = {"if",   "sizeof", "for",   "while", "switch",
                                          "return", "do",   "case",  "else",  "ifdef",
                                          "ifndef", "endif", "undef"};
constexpr bool same_keywords() {
  size_t n = 0;
  for (const char* const* w = keyword_tab; *w != nullptr; ++w) {
    bool found = false;
    for (const char* u : kKeywordsByUse)
      found = found || std::string_view(*w) == u;
    if (!found || std::string_view(*w).size() > 8)
      return false;
    // "else" is in keyword_tab twice: count it once.
    bool before = false;
    for (const char* const* v = keyword_tab; v != w; ++v)
      before = before || std::string_view(*v) == *w;
    n += before ? 0 : 1;
  }
  return n == sizeof kKeywordsByUse / sizeof kKeywordsByUse[0];
}
static_assert(same_keywords(), "kKeywordsByUse holds the words of keyword_tab");
// The keys of `words`, made at compile time.
template <size_t N, size_t... K>
constexpr std::array<name_key, N> keys_of(const char* const (&words)[N],
                                          std::index_sequence<K...>) {
  return {name_key(words[K])...};
}
template <size_t N>
constexpr std::array<name_key, N> keys_of(const char* const (&words)[N]) {
  return keys_of(words, std::make_index_sequence<N>{});
}
constexpr auto kKeywordKeys = keys_of(kKeywordsByUse);
constexpr auto kTypeKeys = keys_of(kTypesByUse);
}  // namespace

const char* check_sep_full(const char* token) {
  if (token[0] == 0)
    return nullptr;
  if (const char* entry = sep_entry[static_cast<unsigned char>(token[0])])
    return entry;
  return g_names.mac_name.has_prefix_of(token) ? token : nullptr;
}

// Whether the token is a word of the kinds `what`.
bool is_word_of(const char* token, uint8_t what) {
  const uint8_t* kinds = g_names.words.find(token);
  return kinds != nullptr && (*kinds & what) != 0;
}

int check_keyword_full(const char* token) {
  // The keywords are the words of keyword_tab alone (a typedef name is
  // another kind), each of eight bytes or fewer: the token's key tells.
  const name_key key = name_key::of(token);
  if (key.longer)
    return 0;
  for (const name_key& word : kKeywordKeys) {
    if (key == word)
      return 1;
  }
  return 0;
}

int check_type_full(const char* token) {
  const name_key key = name_key::of(token);
  // The built-in type words are most of the tokens that get this far, and
  // each is its own key: they need no lookup.
  for (const name_key& type : kTypeKeys) {
    if (key == type)
      return 1;
  }
  if (!g_names.type_filter.may_hold(key))
    return 0;
  return is_word_of(token, kTypeWord | kTypedefWord) ? 1 : 0;
}

int check_maccall_full(const char* token) {
  return g_names.mac_call.contains(token) ? 1 : 0;
}

}  // namespace check_detail

bool check_attribute(const char* token) {
  return std::strcmp(token, "__attribute__") == 0 || std::strcmp(token, "__attribute") == 0;
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
  // An empty name would only ever match the empty token; keep the table to
  // real names.
  if (name[0] == 0)
    return;
  uint8_t& kinds = g_names.words[name];
  if (kinds & kTypedefWord)
    return;
  kinds |= kTypedefWord;
  g_names.type_starts.add(name);
  g_names.type_filter.add(name);
  ++g_names.typedef_cnt;
}

}  // namespace kavel
