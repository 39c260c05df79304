// Token checks. They run for every token of every line, so the run-time
// lists carry an index: exact lookups hash the token, and the prefix test of
// check_sep probes the token's first L bytes for each distinct name length L.
// Every answer equals the one a walk of the list in order would give.
#include "tables/name_checks.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "support/messages.h"
#include "support/name_hash.h"
#include "support/options.h"
#include "tables/separators.h"

namespace kavel {

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

// Bit of the first three bytes of a text of at least three.
size_t triple_of(const char* s) {
  uint32_t v = (uint32_t{static_cast<unsigned char>(s[0])} << 16) |
               (uint32_t{static_cast<unsigned char>(s[1])} << 8) | static_cast<unsigned char>(s[2]);
  return static_cast<size_t>((v * 2654435761u) >> 16) & (kFilterBits - 1);
}

bool test_bit(const std::vector<uint64_t>& bits, size_t b) {
  return (bits[b >> 6] >> (b & 63)) & 1;
}
void set_bit(std::vector<uint64_t>& bits, size_t b) {
  bits[b >> 6] |= uint64_t{1} << (b & 63);
}

// Bit number of a name's first two bytes; the name is not empty.
size_t pair_of(const char* s) {
  unsigned char a = static_cast<unsigned char>(s[0]);
  unsigned char b = static_cast<unsigned char>(s[1]);
  return (size_t{a} << 8) | b;
}

constexpr const char* keyword_tab[] = {
    "if",     "else",  "switch", "for",  "while", "do",    "return", "case",
    "sizeof", "ifdef", "ifndef", "else", "endif", "undef", nullptr,
};

constexpr const char* type_tab[] = {
    "register", "long",   "int",  "short",   "char",   "signed", "unsigned",
    "float",    "double", "void", "typedef", "struct", "union",  nullptr,
};

// A built-in word table sorted by first byte: a token is compared only
// with the few words that begin as it does, and a separator or most
// identifiers with none. Built at compile time, so a check pays no guard of
// a first-use initialisation.
class word_set {
 public:
  constexpr explicit word_set(const char* const* tab) {
    for (; *tab != nullptr; ++tab) {
      unsigned char c = static_cast<unsigned char>((*tab)[0]);
      unsigned char d = static_cast<unsigned char>((*tab)[1]);
      seconds_[c][d >> 6] |= uint64_t{1} << (d & 63);
      for (int k = 0; k < kPerByte; ++k) {
        if (by_first_[c][k] == nullptr) {
          by_first_[c][k] = *tab;
          break;
        }
      }
    }
  }
  bool contains(const char* token) const {
    const unsigned char c = static_cast<unsigned char>(token[0]);
    if (c == 0)
      return false;  // no word is empty, and "" has no second byte to read
    const unsigned char d = static_cast<unsigned char>(token[1]);
    // Identifiers that begin as a word does rarely go on as one: the second
    // byte turns them away before any word is compared.
    if (!((seconds_[c][d >> 6] >> (d & 63)) & 1))
      return false;
    const char* const* words = by_first_[c];
    for (int k = 0; k < kPerByte && words[k] != nullptr; ++k) {
      // Both begin with the same byte; a token longer than the word fails
      // on the word's terminator.
      const char* w = words[k] + 1;
      const char* t = token + 1;
      while (*w != 0 && *w == *t) {
        ++w;
        ++t;
      }
      if (*w == 0 && *t == 0)
        return true;
    }
    return false;
  }

 private:
  static constexpr int kPerByte = 6;  // more than any first byte begins in the tables
  const char* by_first_[256][kPerByte] = {};
  uint64_t seconds_[256][4] = {};  // second bytes of the words, by first byte
};

constexpr word_set kKeywords(keyword_tab);
constexpr word_set kTypeWords(type_tab);

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

// The type and keyword words must begin with the bytes the inline checks
// let through.
constexpr bool firsts_cover(const char* const* tab, const check_detail::first_bytes& firsts) {
  for (; *tab != nullptr; ++tab) {
    if (!firsts.has(static_cast<unsigned char>((*tab)[0])))
      return false;
  }
  return true;
}
static_assert(firsts_cover(type_tab, check_detail::kTypeFirst), "type word first bytes");
static_assert(firsts_cover(keyword_tab, check_detail::kKeywordFirst), "keyword first bytes");

}  // namespace

int word_table::find(std::string_view key) const {
  return find(key, span_hash(key));
}

int word_table::find(std::string_view key, uint64_t hash) const {
  const int* at = index_.find(key, hash);
  return at == nullptr ? -1 : *at - 1;
}

bool word_table::append(const std::string& name) {
  memo_set_ = false;
  if (starts_.empty())
    starts_.assign(65536, 0);
  ++count_;
  // Only the first of equal names goes into the index: a search in order
  // would stop there.
  if (name.empty()) {
    has_empty_ = true;
    for (uint8_t& e : starts_)
      e |= kEmpty;
  } else {
    size_t pair = pair_of(name.c_str());
    starts_[pair] |= kPairBegins;
    if (name.size() == 1) {
      for (size_t k = 0; k < 256; ++k)
        starts_[pair | k] |= kSingle;
    }
    if (whole_.empty()) {
      whole_.assign(kFilterWords, 0);
      triples_.assign(kFilterWords, 0);
      begins_.assign(kFilterWords, 0);
      exact_.assign(kFilterWords, 0);
    }
    uint64_t h = kHashSeed;
    for (unsigned char c : name) {
      h = (h ^ c) * kHashStep;
      set_bit(begins_, hash_slot(h, kFilterBits - 1));
    }
    set_bit(whole_, hash_slot(h, kFilterBits - 1));
    set_bit(exact_, hash_slot(span_hash(name), kFilterBits - 1));
    if (name.size() >= 3)
      set_bit(triples_, triple_of(name.c_str()));
  }
  int& first = index_[name];
  if (first == 0)
    first = size();
  auto at = std::lower_bound(lengths_.begin(), lengths_.end(), name.size());
  if (at == lengths_.end() || *at != name.size())
    lengths_.insert(at, name.size());
  return true;
}

bool word_table::contains(const char* token) const {
  if (token[0] == 0)
    return has_empty_;
  if (starts_.empty() || !(starts_[pair_of(token)] & kPairBegins))
    return false;
  const std::string_view key(token);
  const uint64_t h = span_hash(key);
  if (!test_bit(exact_, hash_slot(h, kFilterBits - 1)))
    return false;
  return find(key, h) >= 0;
}

bool word_table::has_prefix_of(const char* token) const {
  if (has_empty_)
    return true;
  if (token[0] == 0 || starts_.empty())
    return false;
  // A one-byte name is a prefix exactly when it is the token's first byte;
  // a longer one needs the token's first two bytes among the names'.
  uint8_t starts = starts_[pair_of(token)];
  if (starts & kSingle)
    return true;
  if (token[1] == 0 || !(starts & kPairBegins))
    return false;
  // Past two bytes only names that begin with the token's first three can
  // be prefixes of it.
  const bool longer = token[2] != 0 && test_bit(triples_, triple_of(token));
  if (!longer)
    return prefix_search(token, false);
  // The scan asks twice about the name before most '(': once to see a
  // call, once when the analysis makes the entry. The second answer is the
  // first one, while no name has been added since.
  if (memo_set_ && std::strcmp(memo_, token) == 0)
    return memo_answer_;
  const bool answer = prefix_search(token, true);
  const size_t n = std::strlen(token);
  memo_set_ = n < sizeof memo_;
  if (memo_set_) {
    std::memcpy(memo_, token, n + 1);
    memo_answer_ = answer;
  }
  return answer;
}

bool word_table::prefix_search(const char* token, bool longer) const {
  // Lengths ascend, so the token is read once: the hash of each prefix is
  // the running hash at its length, and a token shorter than the next
  // length ends the search.
  // Once no name begins with the bytes read so far, no longer prefix can
  // be a name either.
  uint64_t h = kHashSeed;
  size_t known = 0;
  for (size_t len : lengths_) {
    if (len > 2 && !longer)
      return false;
    for (; known < len; ++known) {
      unsigned char c = static_cast<unsigned char>(token[known]);
      if (c == 0)
        return false;
      h = (h ^ c) * kHashStep;
      if (!test_bit(begins_, hash_slot(h, kFilterBits - 1)))
        return false;
    }
    if (test_bit(whole_, hash_slot(h, kFilterBits - 1)) && find(std::string_view(token, len)) >= 0)
      return true;
  }
  return false;
}

void word_table::clear() {
  count_ = 0;
  index_.clear();
  lengths_.clear();
  starts_.clear();
  triples_.clear();
  whole_.clear();
  begins_.clear();
  exact_.clear();
  has_empty_ = false;
  memo_set_ = false;
}

int strcmp1(const char* word, const char* text) {
  for (; *word != 0; ++word, ++text) {
    if (*word != *text)
      return -1;
  }
  return 0;
}

namespace check_detail {

const char* check_sep_full(const char* token) {
  if (token[0] == 0)
    return nullptr;
  if (const char* entry = sep_entry[static_cast<unsigned char>(token[0])])
    return entry;
  return g_names.mac_name.has_prefix_of(token) ? token : nullptr;
}

int check_keyword_full(const char* token) {
  return kKeywords.contains(token) ? 1 : 0;
}

int check_type_full(const char* token) {
  if (kTypeWords.contains(token))
    return 1;
  return g_names.typedef_name.contains(token) ? 1 : 0;
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
  word_table& tab = g_names.typedef_name;
  // An empty name would only ever match the empty token; keep the table to
  // real names.
  if (name[0] == 0 || tab.contains(name))
    return;
  tab.append(name);
}

}  // namespace kavel
